// The clean-up against the plain passes, byte for byte: on short texts made of
// the pieces where the passes and a single scan can part, and on generated clips.
#include "engine/clean_up/clean_up.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench/clip_generator.h"
#include "engine/clean_up/tag_removal.h"
#include "engine/clean_up/tag_scan.h"
#include "tests/reference_clean_up.h"

namespace wendrel {
namespace {

// WENDREL_CLEANUP_CASES and WENDREL_CLEANUP_SEED choose another run; a failure
// names the seed and the case, which WENDREL_CLEANUP_FIRST_CASE starts from.
long EnvironmentNumber(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

std::string Printable(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += static_cast<char>(byte);
        } else {
            text += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        }
    }
    return text;
}

// Bytes that make tags, join them and shift character boundaries: two lead
// bytes (B0, C7) so that no check can trust a second byte, and FF, no lead byte.
const std::vector<std::string> kAlphabet = {
    ">", "<", "t", "r", "a", " ", "h", "e", "f", "/", "\xB0", "\xC7", "\xFF",
};

// The alphabet, the needles cut at every byte, and the needles whole, these
// often enough that nested and joined tags are common.
std::vector<std::string> Pieces(const std::vector<std::string_view>& needles) {
    std::vector<std::string> pieces = kAlphabet;
    for (std::string_view needle : needles) {
        for (std::size_t cut = 1; cut < needle.size(); ++cut) {
            pieces.emplace_back(needle.substr(0, cut));
            pieces.emplace_back(needle.substr(cut));
        }
        pieces.insert(pieces.end(), 4, std::string(needle));
        pieces.insert(pieces.end(), 2, ">");
    }
    return pieces;
}

// One cheap generator a case, seeded from the run's seed and the case number,
// so that a failing case replays alone.
class Cases {
  public:
    Cases(std::uint32_t seed, long number)
        : m_random(seed * 1000003u + static_cast<std::uint32_t>(number) + 1) {
        m_random.discard(2);
    }

    int Below(int bound) { return static_cast<int>(m_random() % static_cast<unsigned>(bound)); }

    std::string Text(const std::vector<std::string>& pieces, int mostPieces = 11) {
        std::string text;
        for (int count = Below(mostPieces + 1); count > 0; --count) {
            text += pieces[Below(static_cast<int>(pieces.size()))];
        }
        return text;
    }

  private:
    std::minstd_rand m_random;
};

struct Tally {
    long declined = 0;
    long walked = 0;
};

class CleanUpDifferentialTest : public testing::Test {
  protected:
    const TagPrefixes m_layout{std::begin(kLayoutTagPrefixes), std::end(kLayoutTagPrefixes)};
    const std::vector<std::vector<std::string>> m_prefixPieces = [this] {
        std::vector<std::vector<std::string>> pieces;
        for (std::string_view prefix : m_layout) {
            pieces.push_back(Pieces({prefix}));
        }
        return pieces;
    }();
    const std::vector<std::vector<std::string>> m_markerPieces = [] {
        std::vector<std::vector<std::string>> pieces;
        for (const MarkerReplacement& replacement : kMarkerReplacements) {
            pieces.push_back(Pieces({replacement.from}));
        }
        return pieces;
    }();
    const std::vector<std::string> m_layoutPieces = [this] {
        std::vector<std::string_view> needles = m_layout;
        for (const MarkerReplacement& replacement : kMarkerReplacements) {
            needles.push_back(replacement.from);
        }
        return Pieces(needles);
    }();

    // Returns whether the case agreed; a disagreement is reported once.
    bool CheckRemoveTags(Cases& cases, Tally& tally) {
        const int which = cases.Below(static_cast<int>(m_layout.size()));
        const std::string_view prefix = m_layout[which];
        const std::string text = cases.Text(m_prefixPieces[which]);
        PageText fast = text;
        PageText plain = text;
        RemoveTags(fast, {prefix});
        reference::RemoveTags(plain, prefix);
        Count(text, {prefix}, tally);
        return Agree(fast == plain, "RemoveTags " + std::string(prefix), text);
    }

    bool CheckCleanUp(Cases& cases, Tally& tally) {
        const std::string text = cases.Text(m_layoutPieces);
        PageText fast = text;
        PageText plain = text;
        CleanUpClip(fast);
        reference::CleanUpClip(plain);
        Count(text, m_layout, tally);
        return Agree(fast == plain, "CleanUpClip", text);
    }

    bool CheckReplaceAll(Cases& cases) {
        const int which = cases.Below(static_cast<int>(std::size(kMarkerReplacements)));
        const MarkerReplacement& replacement = kMarkerReplacements[which];
        const std::string text = cases.Text(m_markerPieces[which]);
        PageText fast = text;
        PageText plain = text;
        const int count = ReplaceAll(fast, replacement.from, replacement.to);
        const int plainCount = reference::ReplaceAll(plain, replacement.from, replacement.to);
        return Agree(fast == plain && count == plainCount,
                     "ReplaceAll " + std::string(replacement.from), text);
    }

    // Any needle: one may end in a lead byte, and the walk then goes on from
    // the byte after it all the same.
    bool CheckReplaceAnything(Cases& cases) {
        const std::string text = cases.Text(kAlphabet);
        const std::string from = cases.Text(kAlphabet, 3);
        const std::string to = cases.Text(kAlphabet, 2);
        PageText fast = text;
        PageText plain = text;
        const int count = ReplaceAll(fast, from, to);
        const int plainCount = reference::ReplaceAll(plain, from, to);
        return Agree(fast == plain && count == plainCount,
                     "ReplaceAll \"" + Printable(from) + "\" by \"" + Printable(to) + "\"", text);
    }

    bool CheckFindText(Cases& cases) {
        const int which = cases.Below(static_cast<int>(m_layout.size()));
        const std::string_view needle = m_layout[which];
        const std::string text = cases.Text(m_prefixPieces[which]);
        const int start = cases.Below(static_cast<int>(text.size()) + 3) - 1;
        return Agree(FindText(text, needle, start) == reference::FindText(text, needle, start),
                     "FindText " + std::string(needle) + " from " + std::to_string(start), text);
    }

    std::uint32_t m_seed =
        static_cast<std::uint32_t>(EnvironmentNumber("WENDREL_CLEANUP_SEED", 716));
    long m_case = 0;

  private:
    static void Count(const std::string& text, const TagPrefixes& prefixes, Tally& tally) {
        PageText copy = text;
        ++(RemoveTagsInOneScan(copy, prefixes) ? tally.walked : tally.declined);
    }

    bool Agree(bool agreed, const std::string& operation, const std::string& text) const {
        if (!agreed) {
            ADD_FAILURE() << operation << " differs from the plain passes on \"" << Printable(text)
                          << "\" (WENDREL_CLEANUP_SEED=" << m_seed
                          << " WENDREL_CLEANUP_FIRST_CASE=" << m_case << ")";
        }
        return agreed;
    }
};

TEST_F(CleanUpDifferentialTest, ShortTextsAgreeWithThePlainPasses) {
    const long count = EnvironmentNumber("WENDREL_CLEANUP_CASES", 1000000);
    const long first = EnvironmentNumber("WENDREL_CLEANUP_FIRST_CASE", 0);
    Tally removeTags;
    Tally cleanUp;
    for (m_case = first; m_case < first + count; ++m_case) {
        Cases cases(m_seed, m_case);
        bool agreed;
        // The whole clean-up costs most, so it takes one case in sixteen.
        const long kind = m_case % 16;
        if (kind == 0) {
            agreed = CheckCleanUp(cases, cleanUp);
        } else if (kind < 8) {
            agreed = CheckRemoveTags(cases, removeTags);
        } else if (kind < 10) {
            agreed = CheckReplaceAll(cases);
        } else if (kind < 12) {
            agreed = CheckReplaceAnything(cases);
        } else {
            agreed = CheckFindText(cases);
        }
        if (!agreed) {
            return;
        }
    }
    RecordProperty("cases", std::to_string(count));
    std::printf(
        "%ld cases (seed %u); the single scan declined %ld of %ld RemoveTags and %ld of %ld "
        "clean-ups\n",
        count, m_seed, removeTags.declined, removeTags.declined + removeTags.walked,
        cleanUp.declined, cleanUp.declined + cleanUp.walked);
    // Both ways through the clean-up must have been taken often.
    for (const Tally& tally : {removeTags, cleanUp}) {
        EXPECT_GE(tally.declined * 100, tally.declined + tally.walked);
        EXPECT_GE(tally.walked * 2, tally.declined + tally.walked);
    }
}

// WENDREL_CLEANUP_ARTICLES sets the clips' length; the plain passes' time grows
// with its square.
TEST(CleanUpClipTest, GeneratedClipsAgreeWithThePlainPasses) {
    const int articles = static_cast<int>(EnvironmentNumber("WENDREL_CLEANUP_ARTICLES", 25));
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        PageText fast = GenerateClip(articles, seed);
        PageText plain = fast;
        CleanUpClip(fast);
        reference::CleanUpClip(plain);
        EXPECT_TRUE(fast == plain) << "seed " << seed;
    }
}

// Ordinary markup must take the single scan, or the clean-up is slow again.
TEST(CleanUpClipTest, GeneratedClipsTakeTheOneWalk) {
    PageText clip = GenerateClip(100);
    const TagPrefixes layout(std::begin(kLayoutTagPrefixes), std::end(kLayoutTagPrefixes));
    EXPECT_TRUE(RemoveTagsInOneScan(clip, layout));
}

// The passes decide where tags nest or join, and still give the same bytes.
TEST(CleanUpClipTest, ClipWithNestedAndJoinedTagsAgrees) {
    PageText fast = GenerateClipWithNestedTags(12);
    PageText plain = fast;
    CleanUpClip(fast);
    reference::CleanUpClip(plain);
    EXPECT_TRUE(fast == plain);
}

}  // namespace
}  // namespace wendrel
