#include "engine/clean_up/clean_up.h"

#include <iterator>

#include "engine/clean_up/tag_removal.h"

namespace wendrel {

void CleanUpClip(PageText& clip) {
    RemoveTags(clip, TagPrefixes(std::begin(kLayoutTagPrefixes), std::end(kLayoutTagPrefixes)));
    for (const MarkerReplacement& replacement : kMarkerReplacements) {
        ReplaceAll(clip, replacement.from, replacement.to);
    }
}

}  // namespace wendrel
