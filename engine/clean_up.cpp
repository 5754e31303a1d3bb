#include "engine/clean_up.h"

#include <iterator>

#include "engine/tag_scan.h"

namespace wendrel {

void CleanUpClip(PageText& clip) {
    // All at once where that gives the bytes of the prefixes in turn: one walk
    // instead of sixteen over a clip of many megabytes.
    const TagPrefixes all(std::begin(kLayoutTagPrefixes), std::end(kLayoutTagPrefixes));
    if (!RemoveTagsInOneScan(clip, all)) {
        for (std::string_view prefix : kLayoutTagPrefixes) {
            RemoveTags(clip, prefix);
        }
    }
    for (const MarkerReplacement& replacement : kMarkerReplacements) {
        ReplaceAll(clip, replacement.from, replacement.to);
    }
}

}  // namespace wendrel
