// Page text: bytes of code page 949, searched, cut and joined, never
// converted. Positions and counts are signed 32-bit byte offsets from the
// text's first byte, and -1 means "not found". A search from -1 finds nothing,
// so the result of one search can start the next without a test between them.
#pragma once

#include <string>
#include <string_view>

namespace wendrel {

// One fetched page, the collected clip or any other text of a run. It never
// holds a NUL byte: a fetched page is cut at its first one.
using PageText = std::string;

// Returns the text's length in bytes, as the int that positions are.
constexpr int Length(std::string_view text) {
    return static_cast<int>(text.size());
}

// Returns the position of the first occurrence of needle at or after start
// that begins a character, counting characters from start; -1 when there is
// none, or when start lies outside 0..Length(text). An empty needle is found
// at start. FindText("\xB0<tr>", "<tr", 0) is -1: that "<" is the second
// byte of the character 0xB0 begins.
int FindText(std::string_view text, std::string_view needle, int start);

// Returns at most count bytes from start, which may split a character. A
// negative start or count counts as 0 and a count past the end is shortened,
// so MidText("abc", -1, -1) is "". Throws InvalidArgumentFailure when
// start + count lies beyond 2^31 - 1.
PageText MidText(std::string_view text, int start, int count);

// Returns the last count bytes: the whole text when count reaches its length,
// "" when count is 0 or less.
PageText RightText(std::string_view text, int count);

// Returns -1, 0 or 1 as a sorts before, with or after b, character by
// character; a two-byte character weighs lead byte * 256 + second byte. A
// lead byte standing last counts as the end of its text, so
// CompareText("\xB0", "0") is -1.
int CompareText(std::string_view a, std::string_view b);

// Replaces every occurrence of from, found as FindText finds it, left to
// right and without overlap, with to, and returns how many it replaced; 0,
// the text unchanged, when from is empty. What a replacement puts in or brings
// together is not searched again: ReplaceAll on "aabb" of "ab" by "" gives
// "ab" and returns 1.
int ReplaceAll(PageText& text, std::string_view from, std::string_view to);

}  // namespace wendrel
