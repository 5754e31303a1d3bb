// Searching code page 949 text by jumping between candidate bytes instead of
// walking it character by character.
#pragma once

#include <string_view>

namespace wendrel {

// Position of the first occurrence of needle (non-empty) at or after from that
// begins on a character boundary, or -1. boundary, at most from, must itself be
// a character boundary: whether a candidate is one follows from the lead bytes
// between it and the last byte known to end a character.
int FindOnBoundary(std::string_view text, std::string_view needle, int from, int boundary);

}  // namespace wendrel
