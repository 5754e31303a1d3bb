#include "shell/minimised_icon.h"

#include <gtest/gtest.h>

namespace {

// A 32 x 32 icon; the odd pixel goes right and down, and a negative offset is
// truncated toward zero.
TEST(MinimisedIconTest, CentresTheIconTruncatingTowardZero) {
    const struct {
        int client;
        int origin;
    } cases[] = {{36, 2}, {35, 2}, {34, 1}, {32, 0}, {30, 0}, {28, -1}, {0, -15}};
    for (const auto& c : cases) {
        const POINT origin = MinimisedIconOrigin(c.client, c.client, 32, 32);
        EXPECT_EQ(origin.x, c.origin) << "width " << c.client;
        EXPECT_EQ(origin.y, c.origin) << "height " << c.client;
    }
}

TEST(MinimisedIconTest, WidthAndHeightAreIndependent) {
    const POINT origin = MinimisedIconOrigin(36, 28, 32, 32);
    EXPECT_EQ(origin.x, 2);
    EXPECT_EQ(origin.y, -1);
}

}  // namespace
