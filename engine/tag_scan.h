// Removing every tag of some prefixes in one walk over the text, where that
// gives the same bytes as RemoveTags applied for each prefix in turn.
#pragma once

#include <string_view>
#include <vector>

#include "engine/text.h"

namespace wendrel {

using TagPrefixes = std::vector<std::string_view>;

// Whether every occurrence begins with the same byte, the walk's landmark, can
// never overlap another, and has its tag end at a ">" after the prefix, never
// inside it.
bool SuitsOneScan(const TagPrefixes& prefixes);

// Deletes every closed tag of the prefixes, up to the first occurrence without
// a ">" after it, and returns true. Returns false, the text untouched, when the
// prefixes in turn could give other bytes: a tag holds another occurrence, a
// deletion would join bytes into a new occurrence, or the prefixes' own shape
// lets occurrences overlap or tags end inside a prefix.
bool RemoveTagsInOneScan(PageText& text, const TagPrefixes& prefixes);

}  // namespace wendrel
