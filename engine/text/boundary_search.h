// Searching code page 949 text without walking it character by character:
// candidates are found byte-wise and each is checked for a character boundary
// by the lead bytes just before it. The text primitives (text.h) and tag
// removal (tag_removal.h) search with it.
#pragma once

#include <string_view>

namespace wendrel {

// Returns the position of the first occurrence of needle (not empty) at or
// after from that begins a character, or -1. boundary, at most from, must be
// a position known to begin a character (0, or the end of an earlier match):
// the walk that FindText describes would count characters from there.
int FindOnBoundary(std::string_view text, std::string_view needle, int from, int boundary);

}  // namespace wendrel
