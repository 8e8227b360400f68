#include "ui/controls/slider_position.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

struct PositionCase {
    int point, channelStart, channelLength, minimum, maximum;
    std::optional<int> expected;
};

class PositionFromPointTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(PositionFromPointTest, GivesTheRoundedPosition)
{
    const PositionCase& c = GetParam();
    EXPECT_EQ(PositionFromPoint(c.point, c.channelStart, c.channelLength, c.minimum, c.maximum), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Channel10To410, PositionFromPointTest,
    ::testing::Values(PositionCase{110, 10, 400, 0, 2000, 500},      // d = 0.25
                      PositionCase{30, 10, 400, 0, 10, 1},           // d = 0.05: an exact half goes up
                      PositionCase{29, 10, 400, 0, 10, 0},
                      PositionCase{10, 10, 400, 0, 2000, 0},         // channel start = minimum
                      PositionCase{410, 10, 400, 0, 2000, 2000},     // channel end = maximum
                      PositionCase{210, 10, 400, 100, 200, 150},     // 150.5 truncates
                      PositionCase{510, 10, 400, 0, 2000, 2500},     // past the end: not clamped
                      PositionCase{0, 10, 400, 0, 2000, -49},        // -49.5 truncates toward zero
                      PositionCase{9, 10, 400, 0, 10, 0},            // -0.25 + 0.5
                      PositionCase{110, 10, 0, 0, 2000, std::nullopt},   // a squeezed slider
                      PositionCase{110, 10, -5, 0, 2000, std::nullopt},
                      PositionCase{INT_MAX, INT_MIN, 1, INT_MIN, INT_MAX, INT_MAX},  // bounded, not UB
                      PositionCase{INT_MIN, INT_MAX, 1, INT_MIN, INT_MAX, INT_MIN}));

}  // namespace
