#include "engine/clean_up/tag_removal.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/case_name.h"

namespace wendrel {
namespace {

struct RemoveCase {
    const char* name;
    std::string text;
    std::string prefix;
    std::string expected;
};

class RemoveTagsTest : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveTagsTest, RemovesEveryTagOfThePrefix) {
    const RemoveCase& c = GetParam();
    std::string text = c.text;
    RemoveTags(text, {c.prefix});
    EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveTagsTest,
    testing::Values(
        RemoveCase{"ClosersInOnePass", "</table>a</table>b</table>", "</table>", "ab"},
        RemoveCase{"TagsOfOneName", "<tr>1<tr class=x>2<track>3", "<tr", "123"},
        RemoveCase{"DeletionJoinsANewTag", "<t<tr>r>", "<tr", ""},
        RemoveCase{"ClosersJoined", "</t</tr>r>x", "</tr>", "x"},
        RemoveCase{"CaseSensitive", "<A HREF=x>a</a>", "<a href", "<A HREF=x>a</a>"},
        RemoveCase{"CapitalAnchorLosesItsCloser", "<A HREF=x>a</a>", "</a>", "<A HREF=x>a"},
        RemoveCase{"OnlyExactAnchorPrefix", "<a name=x><a href=y>t</a>", "<a href",
                   "<a name=x>t</a>"},
        RemoveCase{"UpperCaseTableStays", "<TABLE>x<table>", "<table", "<TABLE>x"},
        RemoveCase{"ScriptTextStays", "<script>fontSet();</script>", "<script",
                   "fontSet();</script>"},
        RemoveCase{"QuotedGreaterThanEndsTheTag", "<td title=\"a>b\">x", "<td", "b\">x"},
        RemoveCase{"UnclosedOccurrenceStays", "<tr>a<tr", "<tr", "a<tr"},
        RemoveCase{"UnclosedFirstOccurrenceStopsAll", "<tr <tr", "<tr", "<tr <tr"},
        RemoveCase{"PrefixAfterLeadByteIsNoTag", "\xB0<tr>x<tr>", "<tr", "\xB0<tr>x"},
        RemoveCase{"KoreanAttributeText", "<td \xC7\xD1>x<td \xC7\xD1>", "<td", "x"},
        RemoveCase{"NestedPrefix", "<tr a=<tr>>x", "<tr", ">x"},
        RemoveCase{"NoOccurrence", "plain text", "<div", "plain text"}),
    CaseName());

}  // namespace
}  // namespace wendrel
