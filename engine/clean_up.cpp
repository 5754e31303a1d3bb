#include "engine/clean_up.h"

namespace wendrel {

namespace {

constexpr const char* kLayoutTagPrefixes[] = {
    "<table", "</table>", "<tr",     "</tr>",     "<td",  "</td>",   "<script",  "</script>",
    "<div",   "</div>",   "<IFRAME", "</IFRAME>", "<font", "</font>", "<a href", "</a>",
};

struct Replacement {
    const char* from;
    const char* to;
};

constexpr Replacement kMarkerReplacements[] = {
    {"<!-- ##### news text - auto ST ##### -->", "<br><br>"},
    {"// fontSet();", ""},
    {"<P align=justify />", "<br>"},
};

}  // namespace

void CleanUpClip(PageText& clip) {
    for (const char* prefix : kLayoutTagPrefixes) {
        RemoveTags(clip, prefix);
    }
    for (const Replacement& replacement : kMarkerReplacements) {
        ReplaceAll(clip, replacement.from, replacement.to);
    }
}

}  // namespace wendrel
