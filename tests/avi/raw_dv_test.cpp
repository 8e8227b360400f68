// Raw DV streams: recognised by their first header block, indexed by their frame size, timed by its DSF bit.
#include "avi/dv_avi_check.h"
#include "avi/dv_avi_reader.h"
#include "avi/stream_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kPal = 144000;
constexpr std::size_t kNtsc = 120000;

// A header block of DIF sequence 0 at `at`: ID 1F 07 00, then DSF and the reserved bits.
void PutHeader(std::vector<std::uint8_t>& bytes, std::size_t at, bool is625, std::uint8_t id1 = 0x07,
               std::uint8_t id2 = 0x00)
{
    bytes[at] = 0x1F;
    bytes[at + 1] = id1;
    bytes[at + 2] = id2;
    bytes[at + 3] = is625 ? 0xBF : 0x3F;
}

struct RawCase {
    const char* name;
    bool is625;
    std::size_t bytes;
    std::uint8_t id1, id2;
    bool otherSystemInFrame1;   // frame 1's header names the other system (damaged tape)
    DvAviCheckResult expected;
    std::size_t frames;
    std::int64_t trailing;
};

const RawCase kCases[] = {
    {"Pal", true, 2 * kPal, 0x07, 0x00, false, Recognised, 2, 0},
    {"Ntsc", false, 3 * kNtsc, 0x07, 0x00, false, Recognised, 3, 0},
    {"PalWithPartialFrame", true, 2 * kPal + 100, 0x07, 0x00, false, Recognised, 2, 100},
    {"ReservedBitsClear", true, kPal, 0x00, 0x00, false, Recognised, 1, 0},
    {"MixedSystems", true, 2 * kPal, 0x07, 0x00, true, Recognised, 2, 0},
    {"PalOneByteShort", true, kPal - 1, 0x07, 0x00, false, TooShort, 0, 0},
    {"NtscOneByteShort", false, kNtsc - 1, 0x07, 0x00, false, TooShort, 0, 0},
    {"NtscSizedButPal", true, kNtsc, 0x07, 0x00, false, TooShort, 0, 0},
    {"SecondDifSequence", true, kPal, 0x17, 0x00, false, NotDvAvi, 0, 0},
    {"SecondChannel", true, kPal, 0x0F, 0x00, false, NotDvAvi, 0, 0},
    {"NotBlockZero", true, kPal, 0x07, 0x01, false, NotDvAvi, 0, 0},
    {"ThreeBytes", true, 3, 0x07, 0x00, false, TooShort, 0, 0},
};

class RawDv : public testing::TestWithParam<RawCase> {
protected:
    void SetUp() override
    {
        const RawCase& c = GetParam();
        std::vector<std::uint8_t> bytes(c.bytes, 0xFF);
        if (c.bytes >= 4)
            PutHeader(bytes, 0, c.is625, c.id1, c.id2);
        else
            bytes = {0x1F, 0x07, 0x00};
        if (c.otherSystemInFrame1)
            PutHeader(bytes, kPal, !c.is625);
        char name[] = "/tmp/zv_raw_dv_XXXXXX";
        const int fd = ::mkstemp(name);
        ASSERT_GE(fd, 0);
        m_path = name;
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
    void TearDown() override { ::unlink(m_path.c_str()); }
    std::string m_path;
};

TEST_P(RawDv, CheckIndexAndStreamFacts)
{
    const RawCase& c = GetParam();
    EXPECT_EQ(CheckDvAviFile(m_path.c_str()), c.expected);
    if (c.expected != Recognised)
        return;
    CDvAviReader reader;
    ASSERT_TRUE(OpenAndIndex(reader, m_path.c_str())) << reader.IndexProblem();
    EXPECT_EQ(reader.Container(), DvContainer::RawDv);
    const std::size_t frameBytes = c.is625 ? kPal : kNtsc;
    ASSERT_EQ(reader.FrameOffsets().size(), c.frames);
    for (std::size_t n = 0; n < c.frames; ++n)
        EXPECT_EQ(reader.FrameOffsets()[n], static_cast<std::int64_t>(n * frameBytes));
    EXPECT_EQ(reader.TrailingBytes(), c.trailing);
    EXPECT_EQ(reader.FrameBytes(), frameBytes);

    FirstStreamInfo info;
    ASSERT_TRUE(ReadFirstStreamInfo(m_path.c_str(), info));
    EXPECT_EQ(info.container, DvContainer::RawDv);
    EXPECT_EQ(info.is625, c.is625);
    EXPECT_EQ(info.rate, c.is625 ? 25u : 30000u);
    EXPECT_EQ(info.scale, c.is625 ? 1u : 1001u);
    EXPECT_EQ(info.length, c.frames);
}

INSTANTIATE_TEST_SUITE_P(Files, RawDv, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RawCase>& info) { return std::string(info.param.name); });

}  // namespace
