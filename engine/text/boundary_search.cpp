#include "engine/text/boundary_search.h"

#include <cstddef>

#include "engine/text/code_page.h"

namespace wendrel {

namespace {

// Whether position begins a character. A byte that is no lead byte always
// ends a character, so the character before position starts right after the
// last such byte (or at boundary), and the lead bytes from there pair up:
// position begins a character when their count is even.
bool IsBoundary(std::string_view text, int boundary, int position) {
    int runStart = position;
    while (runStart > boundary && IsLeadByte(static_cast<unsigned char>(text[runStart - 1]))) {
        --runStart;
    }
    return (position - runStart) % 2 == 0;
}

// The first byte-wise occurrence of needle at or after from, or -1. The
// library's search jumps between copies of the needle's first byte with
// memchr, and markup is sparse in "<" and ">".
int FindBytes(std::string_view text, std::string_view needle, int from) {
    const auto found = text.find(needle, static_cast<std::size_t>(from));
    return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

}  // namespace

int FindOnBoundary(std::string_view text, std::string_view needle, int from, int boundary) {
    for (int candidate = FindBytes(text, needle, from); candidate != -1;
         candidate = FindBytes(text, needle, candidate + 1)) {
        if (IsBoundary(text, boundary, candidate)) {
            return candidate;
        }
        // The candidate is the second byte of a character, which ends there.
        boundary = candidate + 1;
    }
    return -1;
}

}  // namespace wendrel
