#include "engine/clean_up/tag_scan.h"

#include <gtest/gtest.h>

#include <iterator>

#include "engine/clean_up/clean_up.h"
#include "engine/clean_up/tag_removal.h"
#include "tests/case_name.h"
#include "tests/reference_clean_up.h"

namespace wendrel {
namespace {

const TagPrefixes kLayout(std::begin(kLayoutTagPrefixes), std::end(kLayoutTagPrefixes));

// Applies each prefix in turn, pass by pass: what a single scan must equal.
PageText InTurn(PageText text, const TagPrefixes& prefixes) {
    for (std::string_view prefix : prefixes) {
        reference::RemoveTags(text, prefix);
    }
    return text;
}

struct ScanCase {
    const char* name;
    std::string text;
    TagPrefixes prefixes;
    std::string inTurn;
    bool walks;
};

class TagScanTest : public testing::TestWithParam<ScanCase> {};

// Where a single scan would give other bytes than the passes, the scan must
// notice and leave the text to them untouched.
TEST_P(TagScanTest, WalksOnlyWhereThePassesGiveTheSameBytes) {
    const ScanCase& c = GetParam();
    ASSERT_EQ(InTurn(c.text, c.prefixes), c.inTurn);
    PageText text = c.text;
    EXPECT_EQ(RemoveTagsInOneScan(text, c.prefixes), c.walks);
    EXPECT_EQ(text, c.walks ? c.inTurn : c.text);
    text = c.text;
    for (std::string_view prefix : c.prefixes) {
        RemoveTags(text, {prefix});
    }
    EXPECT_EQ(text, c.inTurn);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TagScanTest,
    testing::Values(
        ScanCase{"EveryTagText", "<tr>1<tr class=x>2<track>3<tr>", {"<tr"}, "123", true},
        ScanCase{"UnclosedStopsTheWalk", "<tr>a</tr>b<tr c", {"<tr", "</tr>"}, "ab<tr c", true},
        ScanCase{"AdjacentTags", "<table><tr><td>x</td></tr></table>", kLayout, "x", true},
        // B0 pairs with "<": no tag begins there. Two lead bytes pair up.
        ScanCase{"SecondByteIsNoTag", "\xB0<tr>x<tr>", {"<tr"}, "\xB0<tr>x", true},
        ScanCase{"LeadBytesPairUp", "\xB0\xB0<tr>x", {"<tr"}, "\xB0\xB0x", true},
        // 한 (C7 D1) before the tag; B0 takes the first ">" as its second byte.
        ScanCase{"GreaterThanAsSecondByte", "\xC7\xD1<tr \xB0>>x", {"<tr"}, "\xC7\xD1x", true},
        ScanCase{"KeptBytesNoJoin", "<t<tr>x<tr>r>", {"<tr"}, "<txr>", true},
        // The first pass deletes the inner tag and joins the outer bytes into a
        // new row tag, which only a later pass finds.
        ScanCase{"DeletionJoinsANewTag", "<t<tr>r>x", {"<tr"}, "x", false},
        ScanCase{"JoinOverTwoDeletions", "<t<tr><tr a>r>x", {"<tr"}, "x", false},
        ScanCase{"JoinAcrossKeptByteRuns", "<<tr>t<tr>r>x", {"<tr"}, "x", false},
        // Which of the nested tags goes first depends on the first tag text
        // in the whole text: here an earlier bare row tag takes the inner one.
        ScanCase{"NestedAfterAnEqualTag", "<tr>y<tr a=<tr>>x", {"<tr"}, "yx", false},
        ScanCase{"NestedFirst", "<tr a=<tr>>x<tr>", {"<tr"}, ">x", false},
        // Between prefixes: a row tag inside a cell tag's attribute goes first,
        // and a table tag's deletion joins a division tag.
        ScanCase{"RowInsideCell", "<td title=<tr>>x", kLayout, "x", false},
        ScanCase{"TableDeletionJoinsDivision", "<d<table>iv>x", kLayout, "x", false},
        // Joined after its own prefix's turn, the table tag stays; the walk
        // cannot know and declines all the same.
        ScanCase{"JoinAfterItsTurn", "<ta<div>ble>x", kLayout, "<table>x", false},
        // The prefixes' own shapes.
        ScanCase{"GreaterThanInsidePrefix", "<a>b <a>c", {"<a>b"}, "b c", false},
        ScanCase{"PrefixOverlapsItself", "<<<x>", {"<<"}, "", false},
        ScanCase{"DifferentFirstBytes", "<b>xb>", {"<b", "b>"}, "x", false}),
    CaseName());

}  // namespace
}  // namespace wendrel
