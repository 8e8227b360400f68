// One timed run of the reader, in its own process so that the bench can run the reader as built and as it was
// before it learnt read-ahead (listing_probe_today) on the same file, each after the bench evicted it:
//   listing_probe scan PATH                    Open, BuildIndex, ScanScenes: the scene listing
//   listing_probe walk PATH                    Open, BuildIndex: the index walk
//   listing_probe look-ahead-scan PATH         Open, BuildIndex, then one plain 480-byte read per frame with a
//                                              WILLNEED hint 64 frames ahead: the bound of a read-ahead scheme
//   listing_probe look-ahead-walk PATH         every index the walk reads (the standard indexes of every
//                                              super index, the idx1) hinted at once, then each read
//   listing_probe look-ahead-video-walk PATH   the same for the pictures' standard indexes alone
// Prints the wall milliseconds of the work and what it found (scenes or frames); exit status 1 on failure.

#include "avi/dv_avi_reader.h"
#include "bench/bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFramesAhead = 64;
constexpr std::size_t kScanBytes = 480;

bool Indexed(CDvAviReader& reader, const char* path)
{
    return reader.Open(path) && reader.BuildIndex();
}

long LookAheadScan(const char* path)
{
    CDvAviReader reader;
    if (!Indexed(reader, path))
        return -1;
    const std::vector<std::int64_t>& offsets = reader.FrameOffsets();
    std::uint8_t bytes[kScanBytes];
    for (std::size_t i = 0; i < std::min(offsets.size(), kFramesAhead); ++i)
        ::posix_fadvise(reader.Fd(), offsets[i], kScanBytes, POSIX_FADV_WILLNEED);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (i + kFramesAhead < offsets.size())
            ::posix_fadvise(reader.Fd(), offsets[i + kFramesAhead], kScanBytes, POSIX_FADV_WILLNEED);
        if (::pread(reader.Fd(), bytes, kScanBytes, offsets[i]) != static_cast<ssize_t>(kScanBytes))
            return -1;
    }
    return static_cast<long>(offsets.size());
}

std::uint64_t Le(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

bool ReadAt(int fd, std::vector<std::uint8_t>& bytes, std::uint64_t count, std::int64_t at)
{
    if (count > (std::uint64_t{1} << 24))
        return false;
    bytes.resize(static_cast<std::size_t>(count));
    return ::pread(fd, bytes.data(), bytes.size(), at) == static_cast<ssize_t>(bytes.size());
}

struct WalkPieces {
    std::vector<std::pair<std::int64_t, std::int64_t>> at;   // position and bytes
    std::size_t video = 0;                                    // the first `video` are the pictures' indexes
};

// Where the reads of the walk lie: the indexes every super index of the header list points at (pictures and
// sound: the reader checks both), and the idx1 chunk after the first movi list (the reader checks it too);
// the header list itself is in head, the file's first 64 KiB.
WalkPieces PiecesOfWalk(int fd, const std::vector<std::uint8_t>& head)
{
    WalkPieces pieces;
    std::vector<std::uint8_t> entries;
    for (std::size_t at = 12; at + 32 <= head.size(); at += 2) {
        if (std::memcmp(&head[at], "indx", 4) != 0)
            continue;
        if (ReadAt(fd, entries, 16 * Le(&head[at + 12], 4), static_cast<std::int64_t>(at) + 32))
            for (std::size_t e = 0; e < entries.size(); e += 16)
                pieces.at.emplace_back(Le(&entries[e], 8), Le(&entries[e + 8], 4));
        if (pieces.video == 0)
            pieces.video = pieces.at.size();
    }
    for (std::uint64_t at = 12; at + 12 <= head.size(); at += 8 + ((Le(&head[at + 4], 4) + 1) & ~1ull)) {
        if (std::memcmp(&head[at], "LIST", 4) == 0 && std::memcmp(&head[at + 8], "movi", 4) == 0) {
            pieces.at.emplace_back(at + 8 + ((Le(&head[at + 4], 4) + 1) & ~1ull), 256 * 1024);
            break;
        }
    }
    return pieces;
}

// Every piece hinted at once (or the pictures' alone), then each read whole, its header and then its entries.
// Found: the entries of the pictures' indexes, the frames.
long LookAheadWalk(const char* path, bool everyIndex)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    std::vector<std::uint8_t> head;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> entries;
    long frames = -1;
    if (fd >= 0 && ReadAt(fd, head, 64 * 1024, 0)) {
        WalkPieces pieces = PiecesOfWalk(fd, head);
        if (!everyIndex)
            pieces.at.resize(pieces.video);
        for (const auto& [at, bytes] : pieces.at)
            ::posix_fadvise(fd, at, bytes, POSIX_FADV_WILLNEED);
        frames = 0;
        for (std::size_t i = 0; i < pieces.at.size() && frames >= 0; ++i) {
            const std::int64_t at = pieces.at[i].first;
            const bool legacy = ReadAt(fd, header, 32, at) && std::memcmp(header.data(), "idx1", 4) == 0;
            const std::uint64_t bytes = legacy ? Le(&header[4], 4) : 4 * Le(&header[8], 2) * Le(&header[12], 4);
            if (header.size() != 32 || !ReadAt(fd, entries, bytes, at + (legacy ? 8 : 32)))
                frames = -1;
            else if (i < pieces.video)
                frames += static_cast<long>(Le(&header[12], 4));
        }
    }
    if (fd >= 0)
        ::close(fd);
    return frames;
}

long Run(const std::string& mode, char** argv)
{
    const char* path = argv[2];
    CDvAviReader reader;
    if (mode == "scan")
        return Indexed(reader, path) && reader.ScanScenes(nullptr) ? static_cast<long>(reader.SceneStarts().size() + 1) : -1;
    if (mode == "walk")
        return Indexed(reader, path) ? static_cast<long>(reader.FrameOffsets().size()) : -1;
    if (mode == "look-ahead-scan")
        return LookAheadScan(path);
    if (mode == "look-ahead-walk" || mode == "look-ahead-video-walk")
        return LookAheadWalk(path, mode == "look-ahead-walk");
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: listing_probe scan|walk|look-ahead-scan|look-ahead-walk|look-ahead-video-walk PATH\n");
        return 1;
    }
    long found = -1;
    const double ms = bench::TimeMs([&] { found = Run(argv[1], argv); });
    std::printf("%.3f %ld\n", ms, found);
    return found < 0 ? 1 : 0;
}
