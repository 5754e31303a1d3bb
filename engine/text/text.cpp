#include "engine/text/text.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "engine/failure.h"
#include "engine/text/boundary_search.h"
#include "engine/text/code_page.h"

namespace wendrel {

namespace {

// The value of the character at position, which then moves behind it; 0 at the
// end of the text and for a lead byte that stands last.
int TakeCharValue(std::string_view text, int& position) {
    if (position >= Length(text)) {
        return 0;
    }
    const auto byte = static_cast<unsigned char>(text[position]);
    if (!IsLeadByte(byte)) {
        ++position;
        return byte;
    }
    if (position + 1 >= Length(text)) {
        return 0;
    }
    const int value = byte * 256 + static_cast<unsigned char>(text[position + 1]);
    position += 2;
    return value;
}

// A replacement no longer than what it replaces is written over bytes the
// search has passed, so that a clip of many megabytes is not copied.
int ReplaceInPlace(PageText& text, std::string_view from, std::string_view to, int first) {
    int count = 0;
    int copied = first;
    auto kept = text.begin() + first;
    // The end of a match ends a character, so the next search counts from there.
    for (int match = first; match != -1; match = FindOnBoundary(text, from, copied, copied)) {
        kept = std::copy(text.begin() + copied, text.begin() + match, kept);
        kept = std::copy(to.begin(), to.end(), kept);
        copied = match + Length(from);
        ++count;
    }
    kept = std::copy(text.begin() + copied, text.end(), kept);
    text.erase(kept, text.end());
    return count;
}

int ReplaceIntoCopy(PageText& text, std::string_view from, std::string_view to, int first) {
    PageText result;
    int count = 0;
    int copied = 0;
    for (int match = first; match != -1; match = FindOnBoundary(text, from, copied, copied)) {
        result.append(text, copied, match - copied).append(to);
        copied = match + Length(from);
        ++count;
    }
    result.append(text, copied);
    text.swap(result);
    return count;
}

}  // namespace

int FindText(std::string_view text, std::string_view needle, int start) {
    if (start < 0 || start > Length(text)) {
        return -1;
    }
    if (needle.empty()) {
        return start;
    }
    return FindOnBoundary(text, needle, start, start);
}

PageText MidText(std::string_view text, int start, int count) {
    if (start < 0) {
        start = 0;
    }
    if (count < 0) {
        count = 0;
    }
    if (static_cast<std::int64_t>(start) + count > INT_MAX) {
        throw InvalidArgumentFailure();
    }
    if (start + count > Length(text)) {
        count = Length(text) - start;
    }
    if (start > Length(text)) {
        count = 0;
    }
    if (count == 0) {
        return {};
    }
    return PageText(text.substr(start, count));
}

PageText RightText(std::string_view text, int count) {
    if (count < 0) {
        count = 0;
    }
    if (count >= Length(text)) {
        return PageText(text);
    }
    return PageText(text.substr(text.size() - count));
}

int CompareText(std::string_view a, std::string_view b) {
    int i = 0;
    int j = 0;
    for (;;) {
        const int left = TakeCharValue(a, i);
        const int right = TakeCharValue(b, j);
        if (left != right) {
            return left > right ? 1 : -1;
        }
        if (left == 0) {
            return 0;
        }
    }
}

int ReplaceAll(PageText& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return 0;
    }
    const int first = FindOnBoundary(text, from, 0, 0);
    if (first == -1) {
        return 0;
    }
    if (to.size() <= from.size()) {
        return ReplaceInPlace(text, from, to, first);
    }
    return ReplaceIntoCopy(text, from, to, first);
}

}  // namespace wendrel
