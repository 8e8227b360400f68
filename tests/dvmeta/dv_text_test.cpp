#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dvmeta/dv_metadata_strip.h"
#include "dvmeta/dv_text.h"
#include "dvmeta/timecode.h"
#include "tests/dvmeta/dv_frame_builder.h"

namespace {

DvPackTable Packs(std::initializer_list<dvtest::Pack> packs)
{
    DvPackTable table;
    for (const dvtest::Pack& p : packs)
        table.entries[p[0]] = p;
    return table;
}

std::string Format(DvField field, const DvPackTable& packs, std::int32_t mode, std::int32_t dateOrder)
{
    DvText text;
    std::int32_t key = 0x7FFF;
    std::int32_t speed = -1;
    switch (field) {
    case DvField::Timecode: FormatDvTimecode(text, packs, mode); break;
    case DvField::RecTime: FormatRecTime(text, packs); break;
    case DvField::RecDate: FormatRecDate(text, packs, dateOrder); break;
    case DvField::Shutter: FormatShutter(text, packs, mode == 0 ? kLinePeriod625 : kLinePeriod525, key, speed); break;
    case DvField::Iris: FormatIris(text, packs); break;
    case DvField::Stabiliser: FormatStabiliser(text, packs); break;
    case DvField::Gain: FormatGain(text, packs); break;
    case DvField::ExposureMode: FormatExposureMode(text, packs); break;
    case DvField::WhiteBalanceMode: FormatWhiteBalanceMode(text, packs); break;
    case DvField::WhiteBalance: FormatWhiteBalance(text, packs); break;
    case DvField::Audio: FormatAudio(text, packs); break;
    case DvField::Counter: FormatCounter(text, 0, mode); break;
    }
    return text;
}

struct TextCase {
    DvField field;
    dvtest::Pack pack;   // id 0x00 = no pack
    std::int32_t mode;
    std::int32_t dateOrder;
    const char* expected;
};

const TextCase kTextCases[] = {
    {DvField::Timecode, {0x13, 0x24, 0x59, 0x59, 0x23}, 0, 1, "23:59:59:24"},
    {DvField::Timecode, {0x13, 0x45, 0x30, 0x10, 0x01}, 2, 1, "01:10:30;05"},
    {DvField::Timecode, {0x13, 0xFF, 0x12, 0x34, 0x05}, 1, 1, "05:34:12:315"},   // only PC1 = PC2 = 0xFF blanks
    {DvField::Timecode, {0x13, 0xFF, 0xFF, 0x34, 0x05}, 1, 1, "--:--:--:--"},
    {DvField::RecTime, {0x63, 0xFF, 0xB0, 0xD9, 0xE3}, 0, 1, "23:59:30"},   // reserved high bits masked
    {DvField::RecTime, {0x63, 0x00, 0x00, 0x00, 0x0A}, 0, 1, "--:--:--"},
    {DvField::RecDate, {0x62, 0xFF, 0x24, 0x12, 0x03}, 0, 1, "24/12/03"},
    {DvField::RecDate, {0x62, 0xFF, 0x24, 0x12, 0x03}, 0, 2, "12/24/03"},
    {DvField::RecDate, {0x62, 0xFF, 0x24, 0x12, 0x03}, 0, 0, "12/24/03"},
    {DvField::RecDate, {0x62, 0xFF, 0xC8, 0xE7, 0x24}, 0, 1, "08/07/24"},
    {DvField::RecDate, {0x62, 0xFF, 0x2A, 0x12, 0x03}, 0, 1, "--/--/--"},
    {DvField::RecDate, {0x62, 0xFF, 0x01, 0x0C, 0xFF}, 0, 1, "01/012/1515"},
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0x01, 0x00}, 0, 1, "15625"},
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0x01, 0x80}, 1, 1, "15734"},   // PC4 bit 7 is not part of v
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0xFF, 0x7F}, 0, 1, "---"},
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 1, "---"},
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0x00, 0x7F}, 0, 1, "0"},
    {DvField::Shutter, {0x7F, 0xFF, 0xFF, 0x00, 0x00}, 0, 1, "0"},
    {DvField::Iris, {0x70, 0, 0, 0, 0}, 0, 1, "f1.0"},
    {DvField::Iris, {0x70, 20, 0, 0, 0}, 0, 1, "f5.7"},
    {DvField::Iris, {0x70, 26, 0, 0, 0}, 0, 1, "f9.5"},
    {DvField::Iris, {0x70, 27 | 0xC0, 0, 0, 0}, 0, 1, "f10"},
    {DvField::Iris, {0x70, 60, 0, 0, 0}, 0, 1, "f181"},
    {DvField::Iris, {0x70, 61, 0, 0, 0}, 0, 1, "f<1"},
    {DvField::Iris, {0x70, 62, 0, 0, 0}, 0, 1, "CLOSE"},
    {DvField::Iris, {0x70, 63, 0, 0, 0}, 0, 1, "f---"},
    {DvField::Stabiliser, {0x71, 0xFF, 0x7F, 0xFF, 0xFF}, 0, 1, "~ON"},
    {DvField::Stabiliser, {0x71, 0x00, 0x80, 0x00, 0x00}, 0, 1, "~OFF"},
    {DvField::Gain, {0x70, 0, 0x02, 0, 0}, 0, 1, "6dB"},
    {DvField::Gain, {0x70, 0, 0xFE, 0, 0}, 0, 1, "23dB"},
    {DvField::Gain, {0x70, 0, 0x0F, 0, 0}, 0, 1, "--dB"},
    {DvField::ExposureMode, {0x70, 0, 0x40, 0, 0}, 0, 1, "MANL"},
    {DvField::ExposureMode, {0x70, 0, 0x5F, 0, 0}, 0, 1, "????"},
    {DvField::ExposureMode, {0x70, 0, 0xF0, 0, 0}, 0, 1, "----"},
    {DvField::WhiteBalanceMode, {0x70, 0, 0, 0x40, 0}, 0, 1, "1-PUSH"},
    {DvField::WhiteBalanceMode, {0x70, 0, 0, 0x80, 0}, 0, 1, "??????"},
    {DvField::WhiteBalanceMode, {0x70, 0, 0, 0xE0, 0}, 0, 1, "------"},
    {DvField::WhiteBalance, {0x70, 0, 0, 0xE5, 0}, 0, 1, "CLOUDY"},
    {DvField::WhiteBalance, {0x70, 0, 0, 0x1E, 0}, 0, 1, "??????"},
    {DvField::WhiteBalance, {0x70, 0, 0, 0x1F, 0}, 0, 1, "------"},
    {DvField::Audio, {0x50, 0x00, 0, 0, 0xC0}, 0, 1, "48/L"},
    {DvField::Audio, {0x50, 0x80, 0, 0, 0x08}, 0, 1, "44.1/U"},
    {DvField::Audio, {0x50, 0x7F, 0, 0, 0x10}, 0, 1, "32/L"},
    {DvField::Audio, {0x50, 0x80, 0, 0, 0x38}, 0, 1, "?\?/U"},
};

TEST(DvText, FormatsPackFields)
{
    for (const TextCase& c : kTextCases) {
        const DvPackTable packs = c.pack[0] ? Packs({c.pack}) : DvPackTable{};
        EXPECT_EQ(Format(c.field, packs, c.mode, c.dateOrder), c.expected) << "field " << static_cast<int>(c.field);
    }
}

// Absent packs, including stale bytes left in an emptied entry, show the placeholders.
TEST(DvText, AbsentPacksShowPlaceholders)
{
    DvPackTable packs = Packs({{0x13, 0x11, 0x11, 0x11, 0x11}, {0x62, 0x11, 0x11, 0x11, 0x11}, {0x63, 0, 0, 0, 0},
                               {0x70, 0, 0, 0, 0}, {0x71, 0, 0, 0, 0}, {0x7F, 0, 1, 0, 0}, {0x50, 0, 0, 0, 0}});
    packs.MarkAllEmpty();
    const char* expected[] = {"--:--:--:--", "--:--:--", "--/--/--", "---", "f---", "~---", "--dB", "----",
                              "------", "------", "------", "00:00:00:00"};
    for (int field = 0; field < kDvFieldCount; ++field)
        EXPECT_EQ(Format(static_cast<DvField>(field), packs, 0, 1), expected[field]) << field;
}

// The cache is keyed by v alone: a new line period does not recompute a value already converted.
TEST(DvText, ShutterCacheKeyedByValue)
{
    DvText text;
    std::int32_t key = 0x7FFF;
    std::int32_t speed = -1;
    FormatShutter(text, Packs({{0x7F, 0, 0, 0x01, 0x00}}), kLinePeriod625, key, speed);
    EXPECT_STREQ(text, "15625");
    FormatShutter(text, Packs({{0x7F, 0, 0, 0x01, 0x00}}), kLinePeriod525, key, speed);
    EXPECT_STREQ(text, "15625");
    FormatShutter(text, DvPackTable{}, kLinePeriod525, key, speed);
    EXPECT_STREQ(text, "---");
    EXPECT_EQ(key, 1);
    FormatShutter(text, Packs({{0x7F, 0, 0, 0x02, 0x00}}), kLinePeriod525, key, speed);
    EXPECT_STREQ(text, "7867");
    EXPECT_EQ(key, 2);
}

struct CounterCase {
    std::int64_t frames;
    std::int32_t mode;
    const char* expected;
};

TEST(DvText, CounterCountsFramesPerMode)
{
    const CounterCase cases[] = {
        {0, 0, "00:00:00:00"},        {1799, 1, "00:00:59:29"},     {1800, 1, "00:01:00:00"},
        {1800, 2, "00:01:00;02"},     {1799, 2, "00:00:59;29"},     {3597, 2, "00:01:59;29"},
        {3598, 2, "00:02:00;02"},     {17981, 2, "00:09:59;29"},    {17982, 2, "00:10:00;00"},
        {17983, 2, "00:10:00;01"},    {19782, 2, "00:11:00;02"},    {90000, 0, "01:00:00:00"},
        {2160000, 0, "00:00:00:00"},  {2159999, 0, "23:59:59:24"},  {107892, 2, "01:00:00;00"},
        {2589407, 2, "23:59:59;29"},  {2589408, 2, "00:00:00;00"},  {3888000, 1, "12:00:00:00"},
    };
    for (const CounterCase& c : cases) {
        DvText text;
        FormatCounter(text, c.frames, c.mode);
        EXPECT_STREQ(text, c.expected) << c.frames << " mode " << c.mode;
    }
    // Frame numbers are unsigned to the counter: even -1 gives fields in range.
    const TimecodeFields t = FramesToTimecode(static_cast<std::uint64_t>(-1), 2);
    EXPECT_TRUE(t.hours < 24 && t.minutes < 60 && t.seconds < 60 && t.frames < 30);
}

// The text path the command-line report uses: packs from a camcorder frame, all twelve fields.
TEST(DvText, StripReadsCamcorderFrame)
{
    const std::vector<std::uint8_t> frame = dvtest::CamcorderFrame625();
    CDvMetadataStrip strip;
    strip.SetIs625(true);
    strip.ReadFrame(frame.data(), frame.size(), 90000);
    const char* expected[] = {"23:59:59:24", "10:15:30", "24/12/03", "15625", "f5.7", "~ON", "6dB", "AUTO",
                              "AUTO", "SUNLGT", "48/L", "01:00:00:00"};
    for (int field = 0; field < kDvFieldCount; ++field)
        EXPECT_STREQ(strip.FormatField(static_cast<DvField>(field)), expected[field]) << field;
    strip.SetDateOrder(2);
    EXPECT_STREQ(strip.FormatField(DvField::RecDate), "12/24/03");
}

}  // namespace
