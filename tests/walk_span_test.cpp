#include "engine/walk_span.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "tests/case_name.h"

namespace wendrel {
namespace {

struct SpanCase {
    const char* name;
    CalendarDate since;
    // Each judged article's registration date and time, in the walk's order.
    std::vector<std::pair<PageText, PageText>> passed;
    std::optional<double> share;
};

class WalkSpanTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(WalkSpanTest, MeasuresHowFarTheWalkCameDownFromTheFirstDatedArticle) {
    WalkSpan span(GetParam().since);
    for (const auto& [date, time] : GetParam().passed) {
        span.Pass(date, time);
    }
    const std::optional<double> share = span.Share();
    ASSERT_EQ(share.has_value(), GetParam().share.has_value());
    if (share) {
        EXPECT_NEAR(*share, *GetParam().share, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkSpanTest,
    ::testing::Values(
        SpanCase{"NothingDated", {2008, 7, 20}, {{"", ""}, {"no date..", "12:00"}}, std::nullopt},
        SpanCase{"TopItself", {2008, 7, 20}, {{"2008-07-20", "18:00"}}, 0.0},
        SpanCase{"TimesOfOneDay",
                 {2008, 7, 20},
                 {{"2008-07-20", "18:00"}, {"2008-07-20", "12:00"}, {"2008-07-20", "6:00:00"}},
                 2.0 / 3},
        // A page out of order never takes the walk back up.
        SpanCase{"NeverBackUp",
                 {2008, 7, 20},
                 {{"2008-07-20", "18:00"}, {"2008-07-20", "12:00"}, {"2008-07-20", "17:00"}},
                 1.0 / 3},
        SpanCase{"UndatedFirstIsNoTop",
                 {2008, 7, 20},
                 {{"", ""}, {"2008-07-20", "18:00"}, {"2008-07-20", "09:00"}},
                 0.5},
        SpanCase{"DaysWithoutTimesAcrossAMonth",
                 {2008, 6, 28},
                 {{"2008-07-02", ""}, {"2008-06-30", ""}},
                 0.5},
        SpanCase{"PastTheSinceDate",
                 {2008, 7, 20},
                 {{"2008-07-20", "18:00"}, {"2008-07-19", "23:59"}},
                 1.0},
        SpanCase{"TodayOnlyWithoutTimes", {2008, 7, 20}, {{"2008-07-20", ""}}, std::nullopt},
        // What is no time counts as none: 24:00, a minute of one digit, a tail.
        SpanCase{"NoTimeAtTheTop",
                 {2008, 7, 20},
                 {{"2008-07-20", "24:00"}, {"2008-07-20", "1:5"}, {"2008-07-20", "12:00x"}},
                 std::nullopt},
        SpanCase{
            "FirstDatedBeforeTheSinceDate", {2008, 7, 20}, {{"2008-07-19", "12:00"}}, std::nullopt},
        SpanCase{"NoDateMonth13", {2008, 7, 20}, {{"2008-13-20", "12:00"}}, std::nullopt}),
    CaseName());

}  // namespace
}  // namespace wendrel
