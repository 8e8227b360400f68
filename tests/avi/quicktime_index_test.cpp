// DV in QuickTime: the check tells DV25 movies from every other file, and the frame index follows the
// sample tables to the frames' data, dropping what a cut file no longer holds and refusing tables that
// claim what their boxes cannot hold.

#include "avi/quicktime_index.h"
#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi_test_files.h"
#include "tests/fixtures/quicktime_writer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace avitest;

namespace {

fixture::QuickTimeImage Movie(const fixture::QuickTimeWriterOptions& options)
{
    fixture::QuickTimeImage image;
    const auto source = [&](std::int64_t frame, std::size_t, std::vector<std::uint8_t>& data) {
        data.assign(fixture::FrameBytes(options.system), static_cast<std::uint8_t>(frame));
        return true;
    };
    EXPECT_TRUE(fixture::BuildQuickTime(options, source, image, nullptr));
    return image;
}

struct Outcome {
    QuickTimeDvVerdict verdict = QuickTimeDvVerdict::NotQuickTime;
    QuickTimeDvSystem system;
    bool built = false;
    QuickTimeDvIndex index;
    std::string problem;
};

Outcome Read(const Bytes& bytes)
{
    TempDir dir;
    const zv::UniqueFd fd = zv::OpenForSequentialRead(dir.Write("clip.mov", bytes).c_str());
    Outcome out;
    out.verdict = CheckQuickTimeDv(fd.Get(), static_cast<std::int64_t>(bytes.size()), nullptr, out.system);
    out.built = BuildQuickTimeDvIndex(fd.Get(), out.index, out.problem);
    return out;
}

void PatchBe32(Bytes& bytes, std::uint64_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

struct LayoutCase {
    const char* name;
    fixture::DvSystem system;
    int framesPerChunk;
    bool wide, sizeTable, sound, movieFirst;
};

class QuickTimeLayouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(QuickTimeLayouts, IndexEveryFrameWhereTheMovieStoresIt)
{
    const LayoutCase& c = GetParam();
    fixture::QuickTimeWriterOptions options;
    options.system = c.system;
    options.frameCount = 7;
    options.framesPerChunk = c.framesPerChunk;
    options.wideOffsets = c.wide;
    options.sampleSizeTable = c.sizeTable;
    options.sound = c.sound;
    options.movieFirst = c.movieFirst;
    const fixture::QuickTimeImage image = Movie(options);
    const Outcome out = Read(image.bytes);
    const bool is625 = fixture::Is625(c.system);
    ASSERT_EQ(out.verdict, QuickTimeDvVerdict::Dv);
    EXPECT_EQ(out.system.is625, is625);
    ASSERT_TRUE(out.built) << out.problem;
    EXPECT_EQ(std::vector<std::uint64_t>(out.index.frameOffsets.begin(), out.index.frameOffsets.end()), image.frameData);
    EXPECT_EQ(out.index.claimedFrames, 7u);
    EXPECT_EQ(out.index.sound.found, c.sound);
    if (c.sound) {
        EXPECT_EQ(out.index.sound.format, zv::FourCC("sowt"));
        EXPECT_EQ(out.index.sound.sampleRate, 48000u);
        EXPECT_EQ(out.index.sound.channels, 2);
        EXPECT_EQ(out.index.sound.bitsPerSample, 16);
    }
    EXPECT_EQ(out.index.timescale, is625 ? 25u : 30000u);
    EXPECT_EQ(QuickTimeFrameTime(out.index, 6), is625 ? 6 : 6 * 1001);
}

const LayoutCase kLayouts[] = {
    {"Pal", fixture::DvSystem::Pal625, 1, false, false, true, true},
    {"Ntsc", fixture::DvSystem::Ntsc525, 1, false, false, true, true},
    {"ChunksOfThree", fixture::DvSystem::Pal625, 3, false, false, true, true},
    {"Co64", fixture::DvSystem::Ntsc525, 2, true, false, false, true},
    {"SizeTable", fixture::DvSystem::Pal625, 1, false, true, false, true},
    {"MovieLast", fixture::DvSystem::Ntsc525, 4, false, true, true, false},
};
INSTANTIATE_TEST_SUITE_P(Movies, QuickTimeLayouts, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

// A damaged copy of a 5-frame 625/50 movie without sound, one frame per chunk.
struct DamageCase {
    const char* name;
    std::function<void(Bytes&, const fixture::QuickTimeImage&)> damage;
    QuickTimeDvVerdict verdict;
    std::int64_t frames;   // kept; -1 when the build must fail
    const char* problem;   // part of the refusal, or of nothing
    std::uint64_t claimed = 5;
};

class QuickTimeDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(QuickTimeDamage, EndsInAClearVerdict)
{
    const DamageCase& c = GetParam();
    fixture::QuickTimeWriterOptions options;
    options.frameCount = 5;
    options.sound = false;
    const fixture::QuickTimeImage image = Movie(options);
    Bytes bytes = image.bytes;
    c.damage(bytes, image);
    const Outcome out = Read(bytes);
    EXPECT_EQ(out.verdict, c.verdict);
    EXPECT_EQ(out.built, c.frames >= 0) << out.problem;
    EXPECT_NE(out.problem.find(c.problem), std::string::npos) << out.problem;
    if (c.frames >= 0) {
        EXPECT_EQ(static_cast<std::int64_t>(out.index.frameOffsets.size()), c.frames);
        EXPECT_EQ(out.index.claimedFrames, c.claimed);
        EXPECT_EQ(out.index.frameOffsets.front(), static_cast<std::int64_t>(image.frameData[0]));
    }
}

std::uint64_t Box(const fixture::QuickTimeImage& image, const char* name)
{
    return image.boxes.at(name);
}

// The first entry of a table: box header, version and flags, count (stsz: the size before the count).
std::uint64_t FirstEntry(const fixture::QuickTimeImage& image, const char* name)
{
    return Box(image, name) + 16;
}

const DamageCase kDamage[] = {
    {"NotAQuickTimeBox", [](Bytes& b, auto&) { std::copy_n("junk", 4, b.begin() + 4); },
     QuickTimeDvVerdict::NotQuickTime, -1, "no DV video track"},
    {"OtherVideoCodec", [](Bytes& b, auto& i) { std::copy_n("avc1", 4, b.begin() + Box(i, "video/stsd") + 20); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"NtscCodecWithPalFrames", [](Bytes& b, auto& i) { std::copy_n("dvc ", 4, b.begin() + Box(i, "video/stsd") + 20); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"NoVideoTrack", [](Bytes& b, auto& i) { std::copy_n("text", 4, b.begin() + Box(i, "video/hdlr") + 16); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"SampleSizeHuge", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/stsz") + 12, 0xFFFFFFFF); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"MovieBoxSizeBelowItsHeader", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "moov"), 7); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"MovieBoxPastTheEnd", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "moov"), 0xFFFFFFFF); },
     QuickTimeDvVerdict::TooShort, -1, ""},
    {"TrackPastItsMovie", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video"), 0xFFFF0000); },
     QuickTimeDvVerdict::NotDv, -1, ""},
    {"DataToTheEndOfTheFile", [](Bytes& b, auto& i) {
         PatchBe32(b, Box(i, "mdat"), 0);   // size 0 in place of the 64-bit form: the box runs to the end
         PatchBe32(b, Box(i, "mdat") + 8, 0);
         PatchBe32(b, Box(i, "mdat") + 12, 0);
     }, QuickTimeDvVerdict::Dv, 5, ""},
    {"CutInTheFourthFrame", [](Bytes& b, auto& i) { b.resize(i.frameData[3] + 1000); },
     QuickTimeDvVerdict::Dv, 3, ""},
    {"FourthChunkBeyondTheFile", [](Bytes& b, auto& i) { PatchBe32(b, FirstEntry(i, "video/stco") + 12, 0xFFFFFF00); },
     QuickTimeDvVerdict::Dv, 4, ""},
    {"SampleCountHuge", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/stsz") + 16, 0xFFFFFFFF); },
     QuickTimeDvVerdict::Dv, 5, "", 0xFFFFFFFF},
    {"ChunkCountHuge", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/stco") + 12, 0xFFFFFFFF); },
     QuickTimeDvVerdict::Dv, -1, "claims 4294967295 chunks"},
    {"ChunkMapEmpty", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/stsc") + 12, 0); },
     QuickTimeDvVerdict::Dv, -1, "does not start at the first chunk"},
    {"ChunkMapCountHuge", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/stsc") + 12, 0xFFFFFFFF); },
     QuickTimeDvVerdict::Dv, -1, "claims 4294967295 entries"},
    // Every frame in the first chunk: the frames follow one another from its offset, as they lie.
    {"AllFramesInOneChunk", [](Bytes& b, auto& i) { PatchBe32(b, FirstEntry(i, "video/stsc") + 4, 0xFFFFFFFF); },
     QuickTimeDvVerdict::Dv, 5, ""},
    {"NoChunkHoldsAFrame", [](Bytes& b, auto& i) { PatchBe32(b, FirstEntry(i, "video/stsc") + 4, 0); },
     QuickTimeDvVerdict::Dv, -1, "none of them lies within the file"},
    {"TimescaleZero", [](Bytes& b, auto& i) { PatchBe32(b, Box(i, "video/mdhd") + 20, 0); },
     QuickTimeDvVerdict::Dv, 5, ""},
};
INSTANTIATE_TEST_SUITE_P(Movies, QuickTimeDamage, testing::ValuesIn(kDamage),
                         [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(QuickTimeIndex, ChunkMapThatRunsBackwardsIsRefused)
{
    fixture::QuickTimeWriterOptions options;
    options.frameCount = 5;
    options.framesPerChunk = 2;   // chunks of 2, 2, 1: two runs, the second from chunk 3
    options.sound = false;
    fixture::QuickTimeImage image = Movie(options);
    PatchBe32(image.bytes, FirstEntry(image, "video/stsc") + 12, 1);
    const Outcome out = Read(image.bytes);
    EXPECT_FALSE(out.built);
    EXPECT_NE(out.problem.find("goes back to chunk 1 after chunk 1"), std::string::npos) << out.problem;
}

TEST(QuickTimeIndex, AFrameOfAnotherSizeIsRefused)
{
    fixture::QuickTimeWriterOptions options;
    options.frameCount = 5;
    options.sampleSizeTable = true;
    fixture::QuickTimeImage image = Movie(options);
    PatchBe32(image.bytes, Box(image, "video/stsz") + 20 + 2 * 4, 143999);
    const Outcome out = Read(image.bytes);
    EXPECT_EQ(out.verdict, QuickTimeDvVerdict::Dv);   // the check looks at the first sample only
    EXPECT_FALSE(out.built);
    EXPECT_NE(out.problem.find("Sample 2 of the video track is 143999 bytes"), std::string::npos) << out.problem;
}

TEST(QuickTimeIndex, FrameTimesFollowTheTimeToSampleRuns)
{
    fixture::QuickTimeWriterOptions options;
    options.frameCount = 5;
    options.sound = false;
    fixture::QuickTimeImage image = Movie(options);
    PatchBe32(image.bytes, Box(image, "video/mdhd") + 20, 2500);   // time units per second
    PatchBe32(image.bytes, FirstEntry(image, "video/stts") + 4, 100);
    const Outcome zeroDuration = [&] {
        Bytes broken = image.bytes;
        PatchBe32(broken, FirstEntry(image, "video/stts") + 4, 0);
        return Read(broken);
    }();
    const Outcome out = Read(image.bytes);
    ASSERT_TRUE(out.built) << out.problem;
    EXPECT_EQ(out.index.timescale, 2500u);
    EXPECT_EQ(QuickTimeFrameTime(out.index, 4), 400);
    EXPECT_EQ(QuickTimeFrameTime(out.index, 9), 900);   // the last run goes on
    EXPECT_EQ(QuickTimeFrameMilliseconds(out.index, 3), 120);
    ASSERT_TRUE(zeroDuration.built);
    EXPECT_EQ(zeroDuration.index.timescale, 25u);       // the DV system's rate instead
    EXPECT_EQ(QuickTimeFrameTime(zeroDuration.index, 4), 4);
}

}  // namespace
