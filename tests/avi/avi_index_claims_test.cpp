// The index-claims check that stands before the playback pipeline: intact files pass, and an OpenDML
// index claiming more entries than its chunk (or the file) holds is named, wherever it sits.
#include "avi/file_io.h"
#include "avi/index_claims.h"
#include "avi_test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <string>

using namespace avitest;

namespace {

IndexClaimsVerdict Check(const TempDir& dir, const Bytes& bytes)
{
    const zv::UniqueFd fd(::open(dir.Write("claims.avi", bytes).c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_TRUE(fd.Valid());
    return CheckIndexClaims(fd.Get());
}

AviFile OpenDmlFile(int ixChunks)
{
    AviOptions options;
    options.frames = SmallFrames(6, 14);
    options.index = IndexKind::OpenDml;
    options.ixChunks = ixChunks;
    return BuildAvi(options);
}

// A header list holding `junk` empty chunks, then one stream list with a blank stream header and format,
// an odd-sized name chunk (padded)
// and an indx chunk whose size field says indxBytes and whose header claims `entries` 16-byte entries; the
// file ends entryBytes after that header.
Bytes HandMadeHeader(int junk, std::uint32_t indxBytes, std::uint32_t entries, std::size_t entryBytes)
{
    Bytes strl;
    PutCode(strl, "strl");
    PutCode(strl, "strh");
    Put32(strl, 56);
    PutCode(strl, "vids");
    strl.resize(strl.size() + 52, 0);
    PutCode(strl, "strf");
    Put32(strl, 40);
    strl.resize(strl.size() + 40, 0);
    PutCode(strl, "strn");
    Put32(strl, 5);
    for (char c : std::string("clip\0\0", 6))   // five bytes and the pad byte
        strl.push_back(static_cast<std::uint8_t>(c));
    PutCode(strl, "indx");
    Put32(strl, indxBytes);
    Put16(strl, 4);   // longs per entry
    strl.push_back(0);
    strl.push_back(0);   // an index of indexes
    Put32(strl, entries);
    PutCode(strl, "00dc");
    for (int i = 0; i < 12; ++i)
        strl.push_back(0);

    Bytes hdrl;
    PutCode(hdrl, "hdrl");
    for (int i = 0; i < junk; ++i) {
        PutCode(hdrl, "JUNK");
        Put32(hdrl, 0);
    }
    PutCode(hdrl, "LIST");
    Put32(hdrl, static_cast<std::uint32_t>(strl.size() + entryBytes));
    hdrl.insert(hdrl.end(), strl.begin(), strl.end());

    Bytes file;
    PutCode(file, "RIFF");
    Put32(file, 0);
    PutCode(file, "AVI ");
    PutCode(file, "LIST");
    Put32(file, static_cast<std::uint32_t>(hdrl.size() + entryBytes));
    file.insert(file.end(), hdrl.begin(), hdrl.end());
    file.resize(file.size() + entryBytes, 0);
    return file;
}

TEST(IndexClaims, IntactFilesOfEveryIndexKindFit)
{
    TempDir dir;
    for (IndexKind kind : {IndexKind::None, IndexKind::Idx1Absolute, IndexKind::OpenDml, IndexKind::OpenDmlAndIdx1}) {
        AviOptions options;
        options.frames = SmallFrames(6, 14);
        options.index = kind;
        options.ixChunks = 3;
        EXPECT_TRUE(Check(dir, BuildAvi(options).bytes).fits) << static_cast<int>(kind);
    }
    EXPECT_TRUE(Check(dir, Bytes{}).fits);   // nothing to claim anything: the file check speaks for it
    EXPECT_TRUE(Check(dir, Bytes(11, 0)).fits);
}

TEST(IndexClaims, NamesAnIndexClaimingOneEntryTooManyAndPassesTheExactCount)
{
    TempDir dir;
    const AviFile file = OpenDmlFile(3);
    const auto superChunk = static_cast<std::int64_t>(file.indxData - 8);
    const std::uint32_t superBytes = file.bytes[file.indxData - 4] | file.bytes[file.indxData - 3] << 8;
    const std::uint32_t superHolds = (superBytes - 24) / 16;

    Bytes exact = file.bytes;
    Patch32(exact, file.indxData + 4, superHolds);
    EXPECT_TRUE(Check(dir, exact).fits);

    Bytes over = file.bytes;
    Patch32(over, file.indxData + 4, superHolds + 1);
    IndexClaimsVerdict verdict = Check(dir, over);
    EXPECT_FALSE(verdict.fits);
    EXPECT_EQ(verdict.chunk, superChunk);
    EXPECT_EQ(verdict.entries, superHolds + 1);
    EXPECT_EQ(verdict.bytes, superBytes - 24);
    EXPECT_EQ(DescribeIndexClaims(verdict), "The OpenDML index at byte " + std::to_string(superChunk) + " claims "
                                                + std::to_string(superHolds + 1) + " entries; its chunk holds "
                                                + std::to_string(superBytes - 24) + " bytes.");

    // A standard index the super index points at, and the 32-bit product of a huge count.
    for (std::uint32_t count : {3u, 0x20000000u, 0xFFFFFFFFu}) {
        Bytes ix = file.bytes;
        const std::size_t last = file.ixChunks.back();
        Patch32(ix, last + 8 + 4, count);
        verdict = Check(dir, ix);
        EXPECT_FALSE(verdict.fits) << count;
        EXPECT_EQ(verdict.chunk, static_cast<std::int64_t>(last)) << count;
        EXPECT_EQ(verdict.entries, count);
    }
}

TEST(IndexClaims, IndexesOutsideTheFileClaimNothingButTheFileBoundsAChunkSize)
{
    TempDir dir;
    const AviFile file = OpenDmlFile(2);
    Bytes away = file.bytes;
    Patch64(away, file.indxData + 24, file.bytes.size() + 4096);   // first entry: past the end
    Patch64(away, file.indxData + 24 + 16, ~0ull);
    EXPECT_TRUE(Check(dir, away).fits);

    // The chunk says 4 GiB, the file holds 24 + 64 bytes after the header: four entries fit, five do not.
    EXPECT_TRUE(Check(dir, HandMadeHeader(0, 0xFFFFFFFFu, 4, 64)).fits);
    const IndexClaimsVerdict verdict = Check(dir, HandMadeHeader(0, 0xFFFFFFFFu, 5, 64));
    EXPECT_FALSE(verdict.fits);
    EXPECT_EQ(verdict.bytes, 64);
    // A chunk too small for its own 24-byte header is no index at all, whatever it claims.
    EXPECT_TRUE(Check(dir, HandMadeHeader(0, 20, 0x10000000u, 64)).fits);
}

TEST(IndexClaims, FindsTheStreamListBehindAHundredThousandEmptyChunksAndAPaddedOddChunk)
{
    TempDir dir;
    EXPECT_TRUE(Check(dir, HandMadeHeader(100000, 24 + 32, 2, 32)).fits);
    const IndexClaimsVerdict verdict = Check(dir, HandMadeHeader(100000, 24 + 32, 0x10000000u, 32));
    EXPECT_FALSE(verdict.fits);
    EXPECT_EQ(verdict.chunk, 12 + 12 + 100000 * 8 + 12 + 64 + 48 + 14);
    EXPECT_EQ(verdict.bytes, 32);
}

std::size_t Find(const Bytes& bytes, const char* code, std::size_t from = 0)
{
    for (std::size_t at = from; at + 4 <= bytes.size(); ++at)
        if (std::equal(code, code + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at)))
            return at;
    return bytes.size();
}

// What the splitter reads before any index: the video stream's header and format where they belong, and,
// in a file without an index or with a type-1 stream, the chunks of the movi list.
TEST(IndexClaims, StreamListsAndMoviChunksTheSplitterWalks)
{
    AviOptions plain;
    plain.frames = SmallFrames(6, 14);
    plain.audio = true;
    plain.index = IndexKind::None;
    const AviFile indexless = BuildAvi(plain);
    const std::size_t frame0 = static_cast<std::size_t>(indexless.frameData[0]) - 8;
    const std::size_t audio0 = Find(indexless.bytes, "01wb", indexless.moviList);
    AviOptions interleaved = plain;
    interleaved.streamType = "iavs";
    interleaved.audio = false;
    interleaved.index = IndexKind::Idx1Absolute;
    const AviFile type1 = BuildAvi(interleaved);
    interleaved.frames[0] = Bytes(kSmallestDvFrameBytes, 0);
    const std::size_t strh = Find(indexless.bytes, "strh");

    auto patched = [](Bytes bytes, std::size_t at, std::uint32_t value) { return Patch32(bytes, at, value), bytes; };
    Bytes emptyChunks = indexless.bytes;   // 1.1 million empty chunks before the frames: more than 8.8 MB can need
    constexpr std::uint32_t kEmpty = 1100000;
    Bytes junk;
    for (std::uint32_t i = 0; i < kEmpty; ++i)
        PutCode(junk, "JUNK"), Put32(junk, 0);
    emptyChunks.insert(emptyChunks.begin() + static_cast<std::ptrdiff_t>(indexless.moviList + 12), junk.begin(), junk.end());
    Patch32(emptyChunks, indexless.moviList + 4, indexless.bytes[indexless.moviList + 4] + (indexless.bytes[indexless.moviList + 5] << 8) + 8 * kEmpty);

    const struct {
        const char* name;
        Bytes bytes;
        std::int64_t chunk;   // -1: fits
        std::string words;
    } cases[] = {
        {"no index", indexless.bytes, -1, ""},
        {"strh missing", patched(indexless.bytes, strh, 0x4B4E554A), static_cast<std::int64_t>(strh),
         "The video stream list at byte " + std::to_string(strh - 12) + " has no stream header (strh) at byte " + std::to_string(strh) + ", where the splitter reads it."},
        {"strf missing", patched(indexless.bytes, strh + 64, 0x4B4E554A), static_cast<std::int64_t>(strh + 64),
         " has no stream format (strf) at byte " + std::to_string(strh + 64)},
        {"frame over 148096, no index", patched(indexless.bytes, frame0 + 4, 148097), static_cast<std::int64_t>(frame0),
         "The frame chunk at byte " + std::to_string(frame0) + " holds 148097 bytes; no DV file has one over 148096."},
        {"sound over 1 MiB, no index", patched(indexless.bytes, audio0 + 4, 1048577), static_cast<std::int64_t>(audio0),
         "The stream chunk at byte " + std::to_string(audio0) + " holds 1048577 bytes"},
        {"a million empty chunks, no index", emptyChunks, static_cast<std::int64_t>(indexless.moviList), " chunks; a file of "},
        {"type-1, first frame of 14 bytes", type1.bytes, static_cast<std::int64_t>(type1.frameData[0] - 8),
         " holds 14 bytes; the first frame of a type-1 stream must be a whole DV frame of 120000 or 144000 bytes."},
        {"type-1, whole first frame, short later ones", BuildAvi(interleaved).bytes, -1, ""},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const IndexClaimsVerdict verdict = Check(dir, c.bytes);
        EXPECT_EQ(verdict.fits, c.chunk < 0) << c.name;
        EXPECT_EQ(verdict.chunk, c.chunk) << c.name;
        EXPECT_NE(verdict.detail.find(c.words), std::string::npos) << c.name << ": " << verdict.detail;
    }
}

}  // namespace
