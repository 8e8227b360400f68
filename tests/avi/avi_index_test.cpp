// The frame index: both index formats and every base idx1 writers use give the same frame positions,
// and corrupt sizes, counts and index chains fail cleanly with bounded memory.
#include "avi/dv_avi_reader.h"
#include "avi/fourcc.h"
#include "avi_test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <unistd.h>

using namespace avitest;

namespace {

bool Index(const TempDir& dir, const Bytes& bytes, CDvAviReader& reader)
{
    reader.Open(dir.Write("clip.avi", bytes).c_str());
    return reader.BuildIndex();
}

std::vector<std::int64_t> Pick(const AviFile& f, const std::vector<int>& frames)
{
    std::vector<std::int64_t> offsets;
    for (int i : frames)
        offsets.push_back(f.frameData[static_cast<std::size_t>(i)]);
    return offsets;
}

struct LayoutCase { const char* name; IndexKind index; bool audio; std::uint32_t trailing; int ixChunks; };

class IndexLayouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(IndexLayouts, GiveTheFramesDataPositions)
{
    const LayoutCase& c = GetParam();
    AviOptions options;
    options.frames = SmallFrames(7, 14);
    options.index = c.index;
    options.audio = c.audio;
    options.idx1Trailing = c.trailing;
    options.ixChunks = c.ixChunks;
    const AviFile file = BuildAvi(options);
    TempDir dir;
    CDvAviReader reader;
    ASSERT_TRUE(Index(dir, file.bytes, reader));
    EXPECT_EQ(reader.FrameOffsets(), file.frameData);
    EXPECT_EQ(reader.StreamChunkId(), zv::FourCC("00dc"));
    const bool odml = c.index == IndexKind::OpenDml || c.index == IndexKind::OpenDmlAndIdx1;
    EXPECT_EQ(reader.MoviListPosition(), odml ? 0 : static_cast<std::int64_t>(file.moviList));
    EXPECT_EQ(reader.FrameOffsets().capacity() % 750, 0u);
}

const LayoutCase kLayouts[] = {
    {"Idx1Absolute", IndexKind::Idx1Absolute, false, 0, 1},
    {"Idx1FromMoviList", IndexKind::Idx1FromMoviList, false, 0, 1},
    {"Idx1FromMoviData", IndexKind::Idx1FromMoviData, false, 0, 1},
    {"Idx1AbsoluteAudioFirst", IndexKind::Idx1Absolute, true, 0, 1},
    {"Idx1FromMoviListAudioFirst", IndexKind::Idx1FromMoviList, true, 0, 1},
    {"Idx1FromMoviDataAudioFirst", IndexKind::Idx1FromMoviData, true, 0, 1},
    {"Idx1TrailingBytes", IndexKind::Idx1FromMoviList, true, 15, 1},
    {"OpenDmlOneChunk", IndexKind::OpenDml, true, 0, 1},
    {"OpenDmlThreeChunks", IndexKind::OpenDml, false, 0, 3},
    {"IndxWinsOverIdx1", IndexKind::OpenDmlAndIdx1, true, 0, 2},
};
INSTANTIATE_TEST_SUITE_P(Avi, IndexLayouts, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// Each row damages a good file; a true build must then give exactly the expected frames.
struct DamageCase {
    const char* name;
    IndexKind index;
    std::function<void(AviFile&)> damage;
    bool built;
    std::vector<int> frames;
    const char* problem = nullptr;   // when set: what IndexProblem must say (a part of it)
};

void SuperEntry(AviFile& f, int entry, std::int64_t chunk)
{
    Patch64(f.bytes, f.indxData + 24 + 16 * entry, static_cast<std::uint64_t>(chunk));
}
// Turns ix## chunk c into a super index with one entry pointing at chunk target.
void MakeSuper(AviFile& f, int c, std::int64_t target)
{
    const std::size_t header = f.ixChunks[c] + 8;
    f.bytes[header + 3] = 0;
    Patch32(f.bytes, header + 4, 1);
    Patch64(f.bytes, header + 24, static_cast<std::uint64_t>(target));
}
std::size_t Ix(const AviFile& f, int c) { return f.ixChunks[c]; }
// Where the idx1 entry of video frame i is (the files of this table list an audio chunk before each frame).
std::size_t VideoEntry(const AviFile& f, int i) { return f.idx1Chunk + 8 + 16 * (2 * i + 1); }
// Appends count more idx1 entries, listing frame first, first + 1, ... in turn for `distinct` frames.
void ListAgain(AviFile& f, int count, int distinct)
{
    for (int i = 0; i < count; ++i) {
        const std::size_t entry = VideoEntry(f, i % distinct);
        f.bytes.insert(f.bytes.end(), f.bytes.begin() + static_cast<std::ptrdiff_t>(entry),
                       f.bytes.begin() + static_cast<std::ptrdiff_t>(entry + 16));
    }
    Patch32(f.bytes, f.idx1Chunk + 4, static_cast<std::uint32_t>(f.bytes.size() - f.idx1Chunk - 8));
}

const DamageCase kDamage[] = {
    {"SuperOrderIsFollowed", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 0, Ix(f, 2)); SuperEntry(f, 2, Ix(f, 0)); },
     true, {4, 5, 2, 3, 0, 1}},
    {"UnknownTypeAddsNothing", IndexKind::OpenDml, [](AviFile& f) { f.bytes[Ix(f, 1) + 11] = 5; }, true, {0, 1, 4, 5}},
    {"OnlyUnknownTypes", IndexKind::OpenDml, [](AviFile& f) { for (int c = 0; c < 3; ++c) f.bytes[Ix(f, c) + 11] = 2; },
     false, {}},
    {"SuperCountOne", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, f.indxData + 4, 1); }, true, {0, 1}},
    {"SuperCountZero", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, f.indxData + 4, 0); }, false, {}},
    {"StandardCountZero", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, Ix(f, 1) + 12, 0); }, true, {0, 1, 4, 5}},
    {"SuperPointsToItself", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 1, static_cast<std::int64_t>(f.indxData) - 8); },
     false, {}},
    {"SameChunkTwice", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 1, Ix(f, 0)); }, false, {}},
    {"SuperPastTheEnd", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 1, f.bytes.size() + 100); }, false, {}},
    {"SuperBeforeTheStart", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 1, -100); }, false, {}},
    {"SuperAtInt64Max", IndexKind::OpenDml, [](AviFile& f) { SuperEntry(f, 1, INT64_MAX); }, false, {}},
    {"TwoSuperLevels", IndexKind::OpenDml, [](AviFile& f) { MakeSuper(f, 0, Ix(f, 1)); SuperEntry(f, 1, Ix(f, 2)); Patch32(f.bytes, f.indxData + 4, 2); },
     true, {2, 3, 4, 5}},
    {"ThreeSuperLevels", IndexKind::OpenDml, [](AviFile& f) { MakeSuper(f, 0, Ix(f, 1)); MakeSuper(f, 1, Ix(f, 2)); Patch32(f.bytes, f.indxData + 4, 1); },
     false, {}},
    {"SupersPointingToEachOther", IndexKind::OpenDml, [](AviFile& f) { MakeSuper(f, 0, static_cast<std::int64_t>(f.indxData) - 8); },
     false, {}},
    {"SuperCountTimes16Wraps32Bits", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, f.indxData + 4, 0x10000000); }, false, {}},
    {"SuperCountAllOnes", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, f.indxData + 4, 0xFFFFFFFF); }, false, {}},
    {"StandardCountTimes8Wraps32Bits", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, Ix(f, 0) + 12, 0x20000000); }, false, {}},
    {"StandardCountHuge", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, Ix(f, 2) + 12, 0x7FFFFFFF); }, false, {}},
    {"Idx1SizeZero", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 4, 0); }, false, {}},
    {"Idx1SizeOne", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 4, 1); }, false, {}},
    {"Idx1SizeHuge", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 4, 0x7FFFFFFF); }, false, {}},
    {"Idx1SizeAllOnes", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 4, 0xFFFFFFFF); }, false, {}},
    {"Idx1ZeroIdBeforeVideo", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 8, 0); },
     true, {0, 1, 2, 3, 4, 5}},
    {"Idx1NoVideoEntries", IndexKind::Idx1Absolute,
     [](AviFile& f) { for (std::size_t at = f.idx1Chunk + 8; at < f.bytes.size(); at += 16) f.bytes[at + 1] = '2'; }, false, {}},
    {"Idx1FirstFrameUnresolvable", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.idx1Chunk + 8 + 16 + 8, 0x00100000); },
     false, {}},
    {"MoviSizeFourWalksIntoTheList", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.moviList + 4, 4); },
     true, {0, 1, 2, 3, 4, 5}},
    {"MoviSizeZeroRereadsTheListType", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.moviList + 4, 0); },
     false, {}},
    {"MoviSizeHuge", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.moviList + 4, 0x7FFFFFFF); }, false, {}},
    {"MoviSizeAllOnes", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, f.moviList + 4, 0xFFFFFFFF); }, false, {}},
    {"HdrlSizeZero", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, 16, 0); }, false, {}},
    {"HdrlSizeAllOnes", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, 16, 0xFFFFFFFF); }, false, {}},
    {"StrfSizeAllOnes", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, 168, 0xFFFFFFFF); }, false, {}},
    {"RiffSizeIsNotUsed", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, 4, 0xFFFFFFFF); }, true, {0, 1, 2, 3, 4, 5}},
    {"NoIndexAtAll", IndexKind::None, [](AviFile&) {}, false, {}, "The file has neither an OpenDML index nor an idx1 chunk."},
    // Claims no DV file can back are refused before anything is reserved for them.
    {"Idx1FrameChunkOf4GiB", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, VideoEntry(f, 2) + 12, 0xFFFFFFF0); },
     false, {}, " lists a frame chunk of 4294967280 bytes; no DV file has one over 148096."},
    {"Idx1FrameChunkOneByteTooLarge", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, VideoEntry(f, 0) + 12, 148097); },
     false, {}, " lists a frame chunk of 148097 bytes"},
    {"Idx1FrameChunkAtTheLargestAllowed", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, VideoEntry(f, 0) + 12, 148096); },
     true, {0, 1, 2, 3, 4, 5}},
    {"Idx1OffsetsThatWrap", IndexKind::Idx1FromMoviList,
     [](AviFile& f) { for (int i = 0; i < 6; ++i) Patch32(f.bytes, VideoEntry(f, i) + 8, 0xFFFFFFF8); }, false, {},
     " places its chunk at offset 4294967288, whose data would start past 4 GiB."},
    {"Idx1OneFrameListedOverAndOver", IndexKind::Idx1Absolute, [](AviFile& f) { ListAgain(f, 1600, 1); }, false, {},
     " more than 1500 times in a row."},
    {"Idx1FramesRepeatedAFewTimes", IndexKind::Idx1Absolute, [](AviFile& f) { ListAgain(f, 12, 6); }, true,
     {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5}},
    {"Idx1MoreFramesThanTheFileHolds", IndexKind::Idx1Absolute, [](AviFile& f) { ListAgain(f, 65600, 6); }, false, {},
     " brings the frames listed to 65569; a file of 1050240 bytes holds at most 65568."},
    {"StreamHeaderRunsOutOfItsList", IndexKind::Idx1Absolute, [](AviFile& f) { Patch32(f.bytes, 104, 0xFFFFFFFF); }, false, {},
     "The strh chunk at byte 100 claims 4294967295 bytes, past the end of its stream list at byte "},
    {"SuperIndexOfStandardType", IndexKind::OpenDml, [](AviFile& f) { f.bytes[f.indxData + 3] = 1; }, false, {},
     " of a stream list is a standard index, not an index of indexes."},
    {"StandardEntryOf2GiB", IndexKind::OpenDml, [](AviFile& f) { Patch32(f.bytes, Ix(f, 1) + 32 + 4, 0x7FFFFFF0); }, false, {},
     " lists a frame chunk of 2147483632 bytes"},
};

class IndexDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(IndexDamage, FailsCleanlyOrGivesTheRightFrames)
{
    const DamageCase& c = GetParam();
    AviOptions options;
    options.frames = SmallFrames(6);
    options.index = c.index;
    options.audio = true;
    options.ixChunks = 3;
    AviFile file = BuildAvi(options);
    c.damage(file);
    TempDir dir;
    CDvAviReader reader;
    EXPECT_EQ(Index(dir, file.bytes, reader), c.built);
    if (c.built) {
        EXPECT_EQ(reader.FrameOffsets(), Pick(file, c.frames));
        EXPECT_EQ(reader.IndexProblem(), "");
    } else {
        EXPECT_NE(reader.IndexProblem(), "");   // every refusal says why
    }
    if (c.problem != nullptr) {
        EXPECT_NE(reader.IndexProblem().find(c.problem), std::string::npos) << reader.IndexProblem();
    }
}
INSTANTIATE_TEST_SUITE_P(Avi, IndexDamage, testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

// Any 32-bit field set to an extreme, and any truncation: no crash, and never more entries than bytes.
TEST(IndexRobustness, ExtremeFieldsAndTruncationsStayBounded)
{
    TempDir dir;
    for (IndexKind kind : {IndexKind::Idx1FromMoviList, IndexKind::OpenDml}) {
        AviOptions options;
        options.frames = SmallFrames(4);
        options.index = kind;
        options.ixChunks = 2;
        const Bytes good = BuildAvi(options).bytes;
        for (std::size_t at = 0; at + 4 <= good.size(); at += 2) {
            for (std::uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
                Bytes bad = good;
                Patch32(bad, at, value);
                CDvAviReader reader;
                Index(dir, bad, reader);
                EXPECT_LE(reader.FrameOffsets().size(), bad.size() / 8) << at << " " << value;
            }
        }
        for (std::size_t length = 0; length < good.size(); ++length) {
            CDvAviReader reader;
            EXPECT_FALSE(Index(dir, Bytes(good.begin(), good.begin() + length), reader)) << length;
        }
    }
}

TEST(IndexLifecycle, BuiltOnceClosedReleasesAndFailedOpenLeavesItClosed)
{
    AviOptions options;
    options.frames = SmallFrames(3);
    const AviFile file = BuildAvi(options);
    TempDir dir;
    CDvAviReader reader;
    ASSERT_TRUE(Index(dir, file.bytes, reader));
    ASSERT_EQ(::truncate((dir.Path() + "/clip.avi").c_str(), 0), 0);
    EXPECT_TRUE(reader.BuildIndex()) << "an indexed reader must not read again";
    EXPECT_EQ(reader.FrameOffsets(), file.frameData);

    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.FrameOffsets().capacity(), 0u);
    EXPECT_FALSE(reader.BuildIndex());

    errno = 0;
    EXPECT_FALSE(reader.Open((dir.Path() + "/missing.avi").c_str()));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.Fd(), -1);
    EXPECT_FALSE(reader.BuildIndex());
}

}  // namespace
