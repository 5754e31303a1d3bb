// Strips the site's layout markup from a collected clip.
#pragma once

#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

// The layout tags, removed one prefix after the other in this order: a later
// prefix sees the text the earlier ones left.
inline constexpr std::string_view kLayoutTagPrefixes[] = {
    "<table", "</table>", "<tr",     "</tr>",     "<td",   "</td>",   "<script", "</script>",
    "<div",   "</div>",   "<IFRAME", "</IFRAME>", "<font", "</font>", "<a href", "</a>",
};

struct MarkerReplacement {
    std::string_view from;
    std::string_view to;
};

// The site's text markers, rewritten after the tags have gone.
inline constexpr MarkerReplacement kMarkerReplacements[] = {
    {"<!-- ##### news text - auto ST ##### -->", "<br><br>"},
    {"// fontSet();", ""},
    {"<P align=justify />", "<br>"},
};

// Deletes the layout tags (tables, scripts, frames, fonts, links) with
// RemoveTags (tag_removal.h), then rewrites the site's text markers with
// ReplaceAll, each list in its order.
void CleanUpClip(PageText& clip);

}  // namespace wendrel
