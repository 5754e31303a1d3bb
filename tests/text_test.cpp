#include "engine/text/text.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine/failure.h"
#include "tests/case_name.h"

namespace wendrel {
namespace {

// 한 (B0 A1 is 가; C7 D1 is 한): two-byte characters of code page 949.
constexpr char kHan[] = "\xC7\xD1";

struct FindCase {
    const char* name;
    std::string text;
    std::string needle;
    int start;
    int expected;
};

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsOnCharacterBoundaries) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindText(c.text, c.needle, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(FindCase{"FromStart", "abc<tr>", "<tr", 0, 3},
                    FindCase{"PositionCountsFromFirstByte", "<tr><tr>", "<tr", 1, 4},
                    FindCase{"StartAtLengthFindsNothing", "abc", "c", 3, -1},
                    FindCase{"NegativeStart", "abc", "a", -1, -1},
                    FindCase{"StartPastLength", "abc", "a", 4, -1},
                    FindCase{"EmptyNeedleGivesStart", "abc", "", 2, 2},
                    FindCase{"EmptyNeedleAtLength", "abc", "", 3, 3},
                    FindCase{"NeedleLongerThanText", "ab", "abc", 0, -1},
                    // The "<" is the second byte of the character that B0 begins.
                    FindCase{"SecondByteIsNoCandidate", "\xB0<tr><tr>", "<tr", 0, 5},
                    FindCase{"TwoLeadBytesPairUp", "\xB0\xB0<tr>", "<tr", 0, 2},
                    FindCase{"WalkCountsFromStart", "\xB0<tr>", "<tr", 1, 1},
                    FindCase{"MatchMayEndInsideCharacter", "a\xC7\xD1", "a\xC7", 0, 0},
                    FindCase{"KoreanNeedle", std::string("x") + kHan + "y", kHan, 0, 1},
                    FindCase{"KoreanNeedleOffBoundary", "\xB0\xC7\xD1", kHan, 0, -1},
                    FindCase{"LeadByteLastIsTried", "ab\xB0", "\xB0", 0, 2},
                    FindCase{"FfIsSingleByte", "\xFF<tr>", "<tr", 0, 1}),
    CaseName());

TEST(MidTextTest, ClampsStartAndCount) {
    const std::string text = "abcdefgh";
    EXPECT_EQ(MidText(text, 5, -3), "");
    EXPECT_EQ(MidText(text, -2, 4), "abcd");
    EXPECT_EQ(MidText(text, 9, 2), "");
    EXPECT_EQ(MidText(text, 8, 0), "");
    EXPECT_EQ(MidText(text, 6, 100), "gh");
    EXPECT_EQ(MidText(text, 0, 8), "abcdefgh");
    EXPECT_EQ(MidText(text, 2, 3), "cde");
    EXPECT_EQ(MidText("", 0, 1), "");
}

TEST(MidTextTest, MaySplitACharacter) {
    EXPECT_EQ(MidText("a\xC7\xD1", 0, 2), "a\xC7");
}

TEST(MidTextTest, RangeBeyondIntMaxIsAnInvalidArgument) {
    EXPECT_THROW(MidText("abc", INT_MAX, 1), InvalidArgumentFailure);
    EXPECT_THROW(MidText("abc", 2, INT_MAX), InvalidArgumentFailure);
    EXPECT_EQ(MidText("abc", INT_MAX, 0), "");
    EXPECT_EQ(MidText("abc", 1, INT_MAX - 1), "bc");
    EXPECT_EQ(InvalidArgumentFailure::kStatus, 0x80070057UL);
}

TEST(RightTextTest, TakesTheTail) {
    EXPECT_EQ(RightText("abc", 0), "");
    EXPECT_EQ(RightText("abc", -1), "");
    EXPECT_EQ(RightText("abc", 1), "c");
    EXPECT_EQ(RightText("abc", 3), "abc");
    EXPECT_EQ(RightText("abc", 10), "abc");
    EXPECT_EQ(RightText("a\xC7\xD1", 1), "\xD1");
}

struct CompareCase {
    const char* name;
    std::string a;
    std::string b;
    int expected;
};

class CompareTextTest : public testing::TestWithParam<CompareCase> {};

TEST_P(CompareTextTest, OrdersByCharacters) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(CompareText(c.a, c.b), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTextTest,
    testing::Values(CompareCase{"Equal", "abc", "abc", 0}, CompareCase{"BothEmpty", "", "", 0},
                    CompareCase{"Greater", "abd", "abc", 1},
                    CompareCase{"Smaller", "abc", "abd", -1},
                    CompareCase{"ProperPrefixFirst", "ab", "abc", -1},
                    CompareCase{"LongerAfter", "abc", "ab", 1},
                    CompareCase{"BytesAreUnsigned", "\x7F", "\x01", 1},
                    CompareCase{"DatesEarlier", "2008-07-15", "2008-07-16", -1},
                    CompareCase{"DatesLater", "2008-07-16", "2008-06-30", 1},
                    CompareCase{"DatesYear", "2007-12-31", "2008-01-01", -1},
                    CompareCase{"DatesSame", "2008-07-16", "2008-07-16", 0},
                    // A lone lead byte counts as the end of its text.
                    CompareCase{"LoneLeadByteBelowZeroDigit", "\xB0", "0", -1},
                    CompareCase{"LoneLeadByteBelowNineDigit", "\xB0", "9", -1},
                    CompareCase{"LoneLeadByteEqualsEmpty", "\xB0", "", 0},
                    CompareCase{"TrailingLeadByteIgnored", "ab\xB0", "ab", 0},
                    CompareCase{"FfBelowTwoByteCharacter", "\xFF", "\xB0\xA1", -1},
                    CompareCase{"TwoByteCharacters", "\xB0\xA2", "\xB0\xA1", 1},
                    CompareCase{"TwoByteAboveAscii", "\xB0\xA1", "z", 1}),
    CaseName());

struct ReplaceCase {
    const char* name;
    std::string text;
    std::string from;
    std::string to;
    std::string expected;
    int count;
};

class ReplaceAllTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesLeftToRightWithoutRescanning) {
    const ReplaceCase& c = GetParam();
    std::string text = c.text;
    EXPECT_EQ(ReplaceAll(text, c.from, c.to), c.count);
    EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    testing::Values(ReplaceCase{"Simple", "a<P>b<P>", "<P>", "<br>", "a<br>b<br>", 2},
                    ReplaceCase{"NoOverlap", "aaa", "aa", "x", "xa", 1},
                    ReplaceCase{"DeletionIsNotRescanned", "aabb", "ab", "", "ab", 1},
                    ReplaceCase{"InsertionIsNotRescanned", "ab", "a", "aa", "aab", 1},
                    ReplaceCase{"EmptyFromChangesNothing", "abc", "", "x", "abc", 0},
                    ReplaceCase{"NoMatch", "abc", "d", "x", "abc", 0},
                    ReplaceCase{"Everything", "abab", "ab", "", "", 2},
                    ReplaceCase{"SecondByteIsSkipped", "\xB0<a<", "<", "", "\xB0<a", 1},
                    ReplaceCase{"KoreanText", "\xC7\xD1 \xC7\xD1", "\xC7\xD1", "x", "x x", 2}),
    CaseName());

}  // namespace
}  // namespace wendrel
