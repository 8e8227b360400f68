#include <gtest/gtest.h>

#include "dvmeta/dv_packs.h"
#include "tests/dvmeta/dv_frame_builder.h"

using dvtest::BlankFrame;
using dvtest::PutPack;

namespace {

struct Placed {
    std::size_t sequence;
    std::size_t slot;
    dvtest::Pack pack;
};

struct ExtractCase {
    const char* name;
    std::size_t length;
    std::vector<Placed> packs;
    std::uint8_t id;          // entry looked up afterwards
    bool found;
    std::uint8_t firstData;   // expected PC1 when found
};

class ExtractPacksTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractPacksTest, FindsFirstPackInVisitingOrder)
{
    const ExtractCase& c = GetParam();
    // Room past `length` so a walk beyond it would pick up the decoy placed there.
    std::vector<std::uint8_t> frame = BlankFrame(c.length + kDifSequenceSize);
    for (const Placed& p : c.packs)
        PutPack(frame, p.sequence, p.slot, p.pack);
    DvPackTable table;
    std::int32_t mode = 1;
    ExtractPacks(table, mode, frame.data(), c.length);
    const std::uint8_t* entry = table.Find(c.id);
    ASSERT_EQ(entry != nullptr, c.found);
    if (c.found) {
        EXPECT_EQ(entry[0], c.id);
        EXPECT_EQ(entry[1], c.firstData);
    }
    EXPECT_EQ(table.Find(kEmptyPackId), nullptr);
}

const ExtractCase kExtractCases[] = {
    {"ShorterThanOneSequence", 11999, {{0, 0, {0x62, 1, 2, 3, 4}}}, 0x62, false, 0},
    {"OneWholeSequence", 12000, {{0, 0, {0x62, 1, 2, 3, 4}}}, 0x62, true, 1},
    {"TenthSequenceOf130000", 130000, {{9, 65, {0x50, 7, 0, 0, 0}}}, 0x50, true, 7},
    {"TrailingPartialSequenceIgnored", 130000, {{10, 0, {0x13, 9, 0, 0, 0}}}, 0x13, false, 0},
    {"SubcodeBeforeVaux", dvtest::kFrame525, {{0, 12, {0x62, 2, 0, 0, 0}}, {0, 11, {0x62, 1, 0, 0, 0}}}, 0x62, true, 1},
    {"VauxBeforeAaux", 12000, {{0, 57, {0x70, 2, 0, 0, 0}}, {0, 56, {0x70, 1, 0, 0, 0}}}, 0x70, true, 1},
    {"AauxOrderByBlock", 12000, {{0, 65, {0x50, 2, 0, 0, 0}}, {0, 58, {0x50, 1, 0, 0, 0}}}, 0x50, true, 1},
    {"SequenceZeroBeforeOne", 24000, {{1, 0, {0x63, 2, 0, 0, 0}}, {0, 65, {0x63, 1, 0, 0, 0}}}, 0x63, true, 1},
    {"EmptyIdNeverEnters", 12000, {{0, 3, {0xFF, 1, 2, 3, 4}}}, 0xFF, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Frames, ExtractPacksTest, ::testing::ValuesIn(kExtractCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every one of the 66 slots of every sequence is read.
TEST(ExtractPacks, ReadsEverySlotOfEverySequence)
{
    for (std::size_t sequence : {0u, 11u}) {
        for (std::size_t slot = 0; slot < kPackOffsets.size(); ++slot) {
            std::vector<std::uint8_t> frame = BlankFrame(dvtest::kFrame625);
            PutPack(frame, sequence, slot, {0x42, static_cast<std::uint8_t>(slot), 0, 0, 0});
            DvPackTable table;
            std::int32_t mode = 0;
            ExtractPacks(table, mode, frame.data(), frame.size());
            const std::uint8_t* entry = table.Find(0x42);
            ASSERT_NE(entry, nullptr) << "sequence " << sequence << " slot " << slot;
            EXPECT_EQ(entry[1], slot);
        }
    }
}

// Only byte 0 is reset: a pack missing from the next frame reads as absent, and a new copy replaces the old.
TEST(ExtractPacks, EachFrameStartsEmpty)
{
    DvPackTable table;
    std::int32_t mode = 0;
    std::vector<std::uint8_t> frame = BlankFrame(dvtest::kFrame525);
    PutPack(frame, 0, 1, {kPackRecDate, 0xFF, 0x24, 0x12, 0x03});
    ExtractPacks(table, mode, frame.data(), frame.size());
    ASSERT_NE(table.Find(kPackRecDate), nullptr);

    const std::vector<std::uint8_t> empty = BlankFrame(dvtest::kFrame525);
    ExtractPacks(table, mode, empty.data(), empty.size());
    EXPECT_EQ(table.Find(kPackRecDate), nullptr);
    ExtractPacks(table, mode, nullptr, 500000);
    EXPECT_EQ(table.Find(kPackRecDate), nullptr);

    PutPack(frame, 0, 1, {kPackRecDate, 0xFF, 0x01, 0x02, 0x04});
    ExtractPacks(table, mode, frame.data(), frame.size());
    ASSERT_NE(table.Find(kPackRecDate), nullptr);
    EXPECT_EQ(table.Find(kPackRecDate)[2], 0x01);
}

struct ModeCase {
    const char* name;
    bool vauxSource;
    std::uint8_t sourcePc3;
    bool timecode;
    std::uint8_t timecodePc1;
    std::int32_t before;
    std::int32_t after;
    std::size_t length = dvtest::kFrame525;
};

class TimecodeModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(TimecodeModeTest, FollowsSourceAndTimecodePacks)
{
    const ModeCase& c = GetParam();
    std::vector<std::uint8_t> frame = BlankFrame(dvtest::kFrame525);   // packs sit in the first 11999 bytes
    if (c.vauxSource)
        PutPack(frame, 0, dvtest::kFirstVauxSlot, {kPackVauxSource, 0xFF, 0xFF, c.sourcePc3, 0xFF});
    if (c.timecode)
        PutPack(frame, 0, 0, {kPackTimecode, c.timecodePc1, 0x00, 0x00, 0x00});
    DvPackTable table;
    std::int32_t mode = c.before;
    ExtractPacks(table, mode, frame.data(), c.length);
    EXPECT_EQ(mode, c.after);
}

const ModeCase kModeCases[] = {
    {"NoSourceKeepsZero", false, 0, true, 0x40, 0, 0},
    {"NoSourceKeepsOne", false, 0, true, 0x00, 1, 1},
    {"NoSourceKeepsTwo", false, 0, false, 0, 2, 2},
    {"Source625IgnoresDropFlag", true, 0x20, true, 0x40, 2, 0},
    {"Source625OtherBitsSet", true, 0xFF, false, 0, 1, 0},
    {"Source525NoTimecodeIsDrop", true, 0xDF, false, 0, 0, 2},
    {"Source525DropFlag", true, 0x00, true, 0x40, 0, 2},
    {"Source525NonDrop", true, 0x00, true, 0xBF, 2, 1},
    {"ShortFrameKeepsMode", true, 0x20, false, 0, 2, 2, 11999},
};

INSTANTIATE_TEST_SUITE_P(Frames, TimecodeModeTest, ::testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
