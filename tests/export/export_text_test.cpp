// The texts an export writes: scene file names from the first frame's recording packs, cue times from the
// stream's rate, and the two subtitle formats.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/recording_stamp.h"
#include "export/scene_split.h"
#include "export/subtitle_file.h"

namespace {

using Pack = std::array<std::uint8_t, 5>;

struct NameCase {
    const char* what;
    std::optional<Pack> date;   // PC0 0x62, PC1 unused, day, month, year
    std::optional<Pack> time;   // PC0 0x63, PC1 unused, seconds, minutes, hours
    std::int32_t scene;
    const char* input;
    const char* extension;
    const char* name;
};

constexpr Pack Date(std::uint8_t day, std::uint8_t month, std::uint8_t year) { return {0x62, 0xFF, day, month, year}; }
constexpr Pack Time(std::uint8_t s, std::uint8_t m, std::uint8_t h) { return {0x63, 0xFF, s, m, h}; }

TEST(SceneFileNames, FollowTheFirstFramesRecordingDateOrSayUndated)
{
    const NameCase cases[] = {
        {"plain", Date(0x08, 0x07, 0x24), Time(0x58, 0x55, 0x19), 1, "/tapes/tape 3.avi", "avi",
         "tape 3.001.2024-07-08_19-55-58.avi"},
        {"69 is 2069", Date(0x31, 0x12, 0x69), Time(0x59, 0x59, 0x23), 2, "t.avi", "avi", "t.002.2069-12-31_23-59-59.avi"},
        {"70 is 1970", Date(0x01, 0x01, 0x70), Time(0x00, 0x00, 0x00), 3, "t.avi", "dv", "t.003.1970-01-01_00-00-00.dv"},
        {"00 and 99", Date(0x29, 0x02, 0x00), Time(0x01, 0x02, 0x03), 4, "t.avi", "avi", "t.004.2000-02-29_03-02-01.avi"},
        {"flag bits masked", Date(0xC8, 0xE7, 0x99), Time(0xD8, 0x95, 0xD9), 5, "t.avi", "avi",
         "t.005.1999-07-08_19-15-58.avi"},
        {"past 999", Date(0x08, 0x07, 0x24), Time(0x58, 0x55, 0x19), 1000, "a.b.AVI", "avi",
         "a.b.1000.2024-07-08_19-55-58.avi"},
        {"no extension", std::nullopt, Time(0, 0, 0), 7, "dir.x/capture", "dv", "capture.007.undated.dv"},
        {"no time pack", Date(0x08, 0x07, 0x24), std::nullopt, 1, "t.avi", "avi", "t.001.undated.avi"},
        {"day 0", Date(0x00, 0x07, 0x24), Time(0, 0, 0), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"day over 31", Date(0x32, 0x07, 0x24), Time(0, 0, 0), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"month 13", Date(0x08, 0x13, 0x24), Time(0, 0, 0), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"hour 24", Date(0x08, 0x07, 0x24), Time(0, 0, 0x24), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"digit over 9 within the limit", Date(0x1A, 0x07, 0x24), Time(0, 0, 0), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"year digit over 9", Date(0x08, 0x07, 0x2A), Time(0, 0, 0), 1, "t.avi", "avi", "t.001.undated.avi"},
        {"blank pack", Date(0xFF, 0xFF, 0xFF), Time(0xFF, 0xFF, 0xFF), 1, ".avi", "avi", ".avi.001.undated.avi"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto stamp = zv::ReadRecordingStamp(c.date ? c.date->data() : nullptr, c.time ? c.time->data() : nullptr);
        EXPECT_EQ(zv::SceneFileName(c.input, c.scene, zv::StampForFileName(stamp), c.extension), c.name);
    }
}

TEST(CueTimes, AreExactFrameStartsTruncatedToMilliseconds)
{
    struct Case {
        std::int64_t frame;
        std::uint32_t scale, rate;
        std::int64_t milliseconds;
    };
    const Case cases[] = {
        {0, 1, 25, 0},          {1, 1, 25, 40},           {25, 1, 25, 1000},
        {1, 1001, 30000, 33},   {3, 1001, 30000, 100},    {30, 1001, 30000, 1001},
        {29, 1001, 30000, 967}, {1, 40000, 1000000, 40},  {2147483647, 1001, 30000, 71654371021},
        {2147483647, 0xFFFFFFFF, 0xFFFFFFFF, 2147483647000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zv::FrameStartMilliseconds(c.frame, c.scale, c.rate), c.milliseconds)
            << c.frame << " x " << c.scale << " / " << c.rate;

    EXPECT_EQ(zv::CueTime(0, zv::SubtitleFormat::SubRip), "00:00:00,000");
    EXPECT_EQ(zv::CueTime(3599999, zv::SubtitleFormat::WebVtt), "00:59:59.999");
    EXPECT_EQ(zv::CueTime(360000000 + 61001, zv::SubtitleFormat::SubRip), "100:01:01,001");
}

TEST(Subtitles, OneCuePerRunWithGapsForFramesWithoutText)
{
    const std::vector<std::string> texts = {"A", "A", "", "B", "B", "A"};
    zv::CCueCollector collector;
    for (std::size_t n = 0; n < texts.size(); ++n)
        collector.AddFrame(static_cast<std::int64_t>(n), texts[n]);
    const std::vector<zv::SubtitleCue> cues = collector.Finish(static_cast<std::int64_t>(texts.size()));

    EXPECT_EQ(zv::RenderSubtitles(cues, 1, 25, zv::SubtitleFormat::SubRip),
              "1\n00:00:00,000 --> 00:00:00,080\nA\n\n"
              "2\n00:00:00,120 --> 00:00:00,200\nB\n\n"
              "3\n00:00:00,200 --> 00:00:00,240\nA\n\n");
    EXPECT_EQ(zv::RenderSubtitles(cues, 1, 25, zv::SubtitleFormat::WebVtt),
              "WEBVTT\n\n"
              "00:00:00.000 --> 00:00:00.080\nA\n\n"
              "00:00:00.120 --> 00:00:00.200\nB\n\n"
              "00:00:00.200 --> 00:00:00.240\nA\n\n");
    zv::CCueCollector none;
    EXPECT_EQ(zv::RenderSubtitles(none.Finish(0), 1, 25, zv::SubtitleFormat::WebVtt), "WEBVTT\n\n");
}

}  // namespace
