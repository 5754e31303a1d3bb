#include "engine/text.h"

#include <climits>
#include <cstdint>

#include "engine/failure.h"

namespace wendrel {

namespace {

int Length(std::string_view text) { return static_cast<int>(text.size()); }

// Bytes taken by the character at position: a lead byte pairs with the byte
// after it, unless it stands last.
int CharWidth(std::string_view text, int position) {
    const bool paired = IsLeadByte(static_cast<unsigned char>(text[position])) &&
                        position + 1 < Length(text);
    return paired ? 2 : 1;
}

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

}  // namespace

int FindText(std::string_view text, std::string_view needle, int start) {
    if (start < 0 || start > Length(text)) {
        return -1;
    }
    if (needle.empty()) {
        return start;
    }
    const int lastCandidate = Length(text) - Length(needle);
    for (int p = start; p <= lastCandidate; p += CharWidth(text, p)) {
        if (text.compare(p, needle.size(), needle) == 0) {
            return p;
        }
    }
    return -1;
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
        return PageText();
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
    PageText result;
    int count = 0;
    int copied = 0;
    for (int p = FindText(text, from, 0); p != -1; p = FindText(text, from, p + Length(from))) {
        result.append(text, copied, p - copied).append(to);
        copied = p + Length(from);
        ++count;
    }
    if (count == 0) {
        return 0;
    }
    result.append(text, copied);
    text.swap(result);
    return count;
}

void RemoveTags(PageText& text, std::string_view prefix) {
    for (;;) {
        const int tagStart = FindText(text, prefix, 0);
        const int tagEnd = FindText(text, ">", tagStart);
        if (tagEnd == -1) {
            return;
        }
        const PageText tag = MidText(text, tagStart, tagEnd - tagStart + 1);
        ReplaceAll(text, tag, "");
    }
}

}  // namespace wendrel
