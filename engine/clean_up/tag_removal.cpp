#include "engine/clean_up/tag_removal.h"

#include "engine/clean_up/tag_replay.h"
#include "engine/clean_up/tag_scan.h"

namespace wendrel {

namespace {

// The passes as RemoveTags describes them. Each walks the whole text, so they
// serve only texts that neither faster way can take.
void RemoveTagsPassByPass(PageText& text, std::string_view prefix) {
    for (;;) {
        const int tagStart = FindText(text, prefix, 0);
        const int tagEnd = FindText(text, ">", tagStart);
        if (tagEnd == -1) {
            return;
        }
        const PageText tag = MidText(text, tagStart, tagEnd - tagStart + 1);
        ReplaceAll(text, tag, "");
    }
}

void RemoveTagsOfPrefix(PageText& text, std::string_view prefix) {
    if (RemoveTagsInOneScan(text, {prefix}) || ReplayTagPasses(text, prefix)) {
        return;
    }
    RemoveTagsPassByPass(text, prefix);
}

}  // namespace

void RemoveTags(PageText& text, const TagPrefixes& prefixes) {
    // A clip of many megabytes is scanned once instead of once per prefix
    // wherever that gives the same bytes, as it does for ordinary markup.
    if (RemoveTagsInOneScan(text, prefixes)) {
        return;
    }
    for (std::string_view prefix : prefixes) {
        RemoveTagsOfPrefix(text, prefix);
    }
}

}  // namespace wendrel
