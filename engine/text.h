// Operations on page text: bytes of code page 949, searched, cut and joined,
// never converted. Positions and counts are signed 32-bit byte offsets and -1
// stands for "not found", so that a failed search flows into the next step
// without a test of its own.
#pragma once

#include <string>
#include <string_view>

namespace wendrel {

// One fetched page, the collected clip or any other text of a run. It never
// holds a NUL byte: a fetched page is cut at its first one.
using PageText = std::string;

// Lead bytes of code page 949: such a byte and the byte after it form one character.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Position of the first occurrence of needle at or after start that begins on a
// character boundary (the walk counts boundaries from start), or -1. Also -1
// when start lies outside 0..length.
int FindText(std::string_view text, std::string_view needle, int start);

// At most count bytes from start; negative values are raised to 0 and a count
// running past the end is shortened. Throws InvalidArgumentFailure when
// start + count lies beyond 2^31 - 1.
PageText MidText(std::string_view text, int start, int count);

// The last count bytes, or the whole text when count reaches its length.
PageText RightText(std::string_view text, int count);

// -1, 0 or 1: order by code page 949 characters, a lead byte standing last
// counting as the end of its text.
int CompareText(std::string_view a, std::string_view b);

// Replaces every occurrence of from, found left to right without overlap and
// never searched again inside what was put in, with to. Returns the count.
int ReplaceAll(PageText& text, std::string_view from, std::string_view to);

// Deletes every tag that begins with prefix: each pass takes the first
// occurrence, its text through the next ">", and deletes every copy of that
// exact tag text. An occurrence without a ">" after it ends the operation and
// stays in place.
void RemoveTags(PageText& text, std::string_view prefix);

}  // namespace wendrel
