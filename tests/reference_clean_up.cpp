#include "tests/reference_clean_up.h"

#include "engine/clean_up/clean_up.h"
#include "engine/text/code_page.h"

namespace wendrel::reference {

namespace {

int CharWidth(std::string_view text, int position) {
    const bool paired =
        IsLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < Length(text);
    return paired ? 2 : 1;
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
        const PageText tag = text.substr(tagStart, tagEnd - tagStart + 1);
        ReplaceAll(text, tag, "");
    }
}

void CleanUpClip(PageText& clip) {
    for (std::string_view prefix : kLayoutTagPrefixes) {
        RemoveTags(clip, prefix);
    }
    for (const MarkerReplacement& replacement : kMarkerReplacements) {
        ReplaceAll(clip, replacement.from, replacement.to);
    }
}

}  // namespace wendrel::reference
