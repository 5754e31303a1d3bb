#include "engine/boundary_search.h"

#include <cstring>

#include "engine/code_page.h"

namespace wendrel {

namespace {

// Position of the first byte-wise occurrence of needle at or after from, or -1.
// Markup is sparse in the first bytes of the needles the clean-up asks for
// ("<", ">"), so jumping between them with memchr beats a general search.
int FindBytes(std::string_view text, std::string_view needle, int from) {
    if (needle.size() > text.size() - from) {
        return -1;
    }
    const char* const lastCandidate = text.data() + (text.size() - needle.size());
    for (const char* candidate = text.data() + from; candidate <= lastCandidate; ++candidate) {
        candidate = static_cast<const char*>(
            std::memchr(candidate, needle.front(), lastCandidate - candidate + 1));
        if (candidate == nullptr) {
            return -1;
        }
        if (std::memcmp(candidate + 1, needle.data() + 1, needle.size() - 1) == 0) {
            return static_cast<int>(candidate - text.data());
        }
    }
    return -1;
}

// A byte that is no lead byte always ends a character, so the character before
// position starts right after the last such byte (or at boundary), and the lead
// bytes from there pair up: position begins a character when their count is even.
bool IsBoundary(std::string_view text, int boundary, int position) {
    int runStart = position;
    while (runStart > boundary && IsLeadByte(static_cast<unsigned char>(text[runStart - 1]))) {
        --runStart;
    }
    return (position - runStart) % 2 == 0;
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
