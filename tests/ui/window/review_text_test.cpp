// The texts of the review aids: the position read-out at both rates (25 frames/s and 30000/1001 in
// drop-frame time), and what Go to makes of what a person types.
#include "ui/window/goto_target.h"
#include "ui/window/position_readout.h"
#include "ui/window/recorded_at.h"

#include <gtest/gtest.h>

namespace {

constexpr TimecodeRate kPal{25, false};
constexpr TimecodeRate kNtsc{30, true};

TEST(ReviewRates, FrameDurationsGiveTheirCounting)
{
    EXPECT_EQ(RateForFrameDuration(400000).framesPerSecond, 25);
    EXPECT_FALSE(RateForFrameDuration(400000).dropFrame);
    EXPECT_EQ(RateForFrameDuration(333667).framesPerSecond, 30);
    EXPECT_TRUE(RateForFrameDuration(333667).dropFrame);
    EXPECT_FALSE(RateForFrameDuration(333333).dropFrame);
}

struct ReadoutCase {
    std::int64_t frame;
    std::int64_t count;
    TimecodeRate rate;
    const char* text;
};

TEST(PositionReadout, FrameAndCountThenPositionAndLength)
{
    const ReadoutCase cases[] = {
        {0, 1, kPal, "frame 0 / 1   0:00:00:00 / 0:00:00:01"},
        {1234, 90000, kPal, "frame 1234 / 90000   0:00:49:09 / 1:00:00:00"},
        {89999, 90000, kPal, "frame 89999 / 90000   0:59:59:24 / 1:00:00:00"},
        {1799, 107892, kNtsc, "frame 1799 / 107892   0:00:59;29 / 1:00:00;00"},
        {1800, 107892, kNtsc, "frame 1800 / 107892   0:01:00;02 / 1:00:00;00"},   // labels ;00 and ;01 skipped
        {17982, 107892, kNtsc, "frame 17982 / 107892   0:10:00;00 / 1:00:00;00"},  // but not at the tenth minute
        {17981, 20000, kNtsc, "frame 17981 / 20000   0:09:59;29 / 0:11:07;10"},
        {1800, 3600, TimecodeRate{30, false}, "frame 1800 / 3600   0:01:00:00 / 0:02:00:00"},
    };
    for (const ReadoutCase& c : cases) {
        EXPECT_EQ(PositionReadoutText(c.frame, c.count, c.rate), c.text);
        // Every label shown reads back as its frame.
        EXPECT_EQ(ParseTimecode(FormatTimecode(c.frame, c.rate), c.rate), c.frame) << c.text;
    }
}

struct GoToCase {
    const char* text;
    TimecodeRate rate;
    std::optional<GoToTarget> target;
};

constexpr GoToTarget Frame(std::int64_t n) { return {GoToTarget::Kind::Frame, n}; }
GoToTarget At(const char* text) { return {GoToTarget::Kind::RecordedAt, *ParseRecordedAt(text)}; }

TEST(GoToText, FrameNumbersPositionsAndRecordingTimes)
{
    const GoToCase cases[] = {
        {"1234", kPal, Frame(1234)},
        {"  0 ", kPal, Frame(0)},
        {"0:00:49:09", kPal, Frame(1234)},
        {"1:00:00:00", kPal, Frame(90000)},
        {"0:01:00;02", kNtsc, Frame(1800)},
        {"0:01:00:02", kNtsc, Frame(1800)},
        {"0:10:00;00", kNtsc, Frame(17982)},
        {"0:01:00;00", kNtsc, std::nullopt},   // skipped by drop-frame time
        {"0:00:00:25", kPal, std::nullopt},
        {"0:60:00:00", kPal, std::nullopt},
        {"0:00:60:00", kPal, std::nullopt},
        {"0:00:49", kPal, std::nullopt},
        {"0:00:49:09:01", kPal, std::nullopt},
        {"0:00:-1:09", kPal, std::nullopt},
        {"2024-07-08 19:55:58", kPal, At("2024-07-08 19:55:58")},
        {"2024-07-08   19:55:58", kPal, At("2024-07-08 19:55:58")},
        {"2024-02-29 00:00:00", kPal, At("2024-02-29 00:00:00")},
        {"2023-02-29 00:00:00", kPal, std::nullopt},
        {"2024-07-08 24:00:00", kPal, std::nullopt},
        {"2024-7-08 19:55:58", kPal, std::nullopt},
        {"2024-07-08", kPal, std::nullopt},
        {"-5", kPal, std::nullopt},
        {"12a", kPal, std::nullopt},
        {"99999999999", kPal, std::nullopt},
        {"", kPal, std::nullopt},
    };
    for (const GoToCase& c : cases) {
        const std::optional<GoToTarget> target = ParseGoToTarget(c.text, c.rate);
        ASSERT_EQ(target.has_value(), c.target.has_value()) << c.text;
        if (target) {
            EXPECT_EQ(target->kind, c.target->kind) << c.text;
            EXPECT_EQ(target->value, c.target->value) << c.text;
        }
    }
}

TEST(RecordedAt, ReadsBackWhatItWrites)
{
    for (const char* text : {"2024-07-08 19:55:58", "1970-01-01 00:00:00", "2000-02-29 23:59:59", "1969-12-31 23:59:59",
                             "2099-12-31 12:00:00"}) {
        const std::optional<std::int64_t> seconds = ParseRecordedAt(text);
        ASSERT_TRUE(seconds) << text;
        EXPECT_EQ(FormatRecordedAt(*seconds), text);
    }
    EXPECT_EQ(ParseRecordedAt("1970-01-02 00:00:01"), 86401);
}

}  // namespace
