// Properties every text operation keeps on any input.
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "engine/clean_up/tag_removal.h"
#include "engine/failure.h"
#include "engine/text/code_page.h"
#include "engine/text/text.h"
#include "tests/fuzz/fuzz_input.h"

namespace wendrel::fuzzing {
namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool IsBoundaryFrom(std::string_view text, int from, int position) {
    int p = from;
    while (p < position) {
        const bool paired = IsLeadByte(static_cast<unsigned char>(text[p])) &&
                            p + 1 < static_cast<int>(text.size());
        p += paired ? 2 : 1;
    }
    return p == position;
}

void CheckFind(const std::string& text, const std::string& needle, int start) {
    const int found = FindText(text, needle, start);
    const int length = static_cast<int>(text.size());
    if (start < 0 || start > length) {
        Check(found == -1);
        return;
    }
    if (found == -1) {
        return;
    }
    Check(found >= start && found + static_cast<int>(needle.size()) <= length);
    Check(text.compare(found, needle.size(), needle) == 0);
    Check(IsBoundaryFrom(text, start, found));
}

void CheckMid(const std::string& text, int start, int count) {
    PageText mid;
    try {
        mid = MidText(text, start, count);
    } catch (const InvalidArgumentFailure&) {
        Check(static_cast<std::int64_t>(std::max(start, 0)) + std::max(count, 0) > INT_MAX);
        return;
    }
    const int from = std::max(start, 0);
    Check(mid.size() <= static_cast<std::size_t>(std::max(count, 0)));
    Check(from <= static_cast<int>(text.size()) ? text.compare(from, mid.size(), mid) == 0
                                                : mid.empty());
}

void CheckReplace(std::string text, const std::string& from, const std::string& to) {
    const auto before = static_cast<std::int64_t>(text.size());
    const int count = ReplaceAll(text, from, to);
    Check(count >= 0);
    const std::int64_t growth =
        static_cast<std::int64_t>(to.size()) - static_cast<std::int64_t>(from.size());
    Check(static_cast<std::int64_t>(text.size()) == before + growth * count);
}

void CheckRemove(std::string text, const std::string& prefix) {
    if (prefix.empty()) {
        return;
    }
    RemoveTags(text, {prefix});
    // What stays is either no occurrence or an occurrence nothing closes.
    Check(FindText(text, ">", FindText(text, prefix, 0)) == -1);
}

void CheckCompare(const std::string& a, const std::string& b) {
    Check(CompareText(a, b) == -CompareText(b, a));
    Check(CompareText(a, a) == 0);
}

}  // namespace
}  // namespace wendrel::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wendrel::fuzzing;
    FuzzInput input(data, size);
    const int start = input.TakeInt(-4, 300);
    const int count = input.TakeInt(INT_MIN, INT_MAX);
    const std::string text = input.TakePiece();
    const std::string needle = input.TakePiece();
    const std::string replacement = input.TakePiece();
    CheckFind(text, needle, start);
    CheckMid(text, start, count);
    CheckMid(text, start, start);
    CheckReplace(text, needle, replacement);
    CheckRemove(text, needle);
    CheckCompare(text, needle);
    return 0;
}
