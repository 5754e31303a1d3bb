#include "engine/clean_up/tag_replay.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/clean_up/tag_removal.h"
#include "tests/reference_clean_up.h"

namespace wendrel {
namespace {

PageText ByThePasses(PageText text, std::string_view prefix) {
    reference::RemoveTags(text, prefix);
    return text;
}

TEST(TagReplayTest, ReplaysNestedTagsExactly) {
    for (const PageText& original : {PageText("<tr a=<tr>>x<tr>y"), PageText("<t<tr>r><tr b>z"),
                                     PageText("<tr <tr <tr>>>\xB0<tr>")}) {
        PageText text = original;
        EXPECT_TRUE(ReplayTagPasses(text, "<tr"));
        EXPECT_EQ(text, ByThePasses(original, "<tr")) << original;
    }
}

// A hostile page: every 0xFF byte begins a tag, and as the passes delete the
// short tags, the rest reach further and further. Indexing them would cost the
// cube of the page; the replay gives up and the plain passes take over.
TEST(TagReplayTest, GivesUpOnTagsThatGrowWithEveryPassAndLeavesTheText) {
    PageText original;
    for (int i = 0; i < 4000; ++i) {
        original += "\xFF\xFF>" + std::string(i % 7, '\xFF');
    }
    PageText text = original;

    EXPECT_FALSE(ReplayTagPasses(text, "\xFF"));
    EXPECT_EQ(text, original);

    RemoveTags(text, {"\xFF"});
    EXPECT_EQ(text, ByThePasses(original, "\xFF"));
}

}  // namespace
}  // namespace wendrel
