// One timed run of the reader, in its own process so that the bench can run the reader as built today and as
// built without read-ahead hints (listing_probe_today) on the same file, each after the bench evicted it:
//   listing_probe scan PATH                    Open, BuildIndex, ScanScenes: the scene listing
//   listing_probe walk PATH                    Open, BuildIndex: the index walk
//   listing_probe look-ahead-scan PATH         Open, BuildIndex, then one plain 480-byte read per frame with a
//                                              WILLNEED hint 64 frames ahead: the bound of a read-ahead scheme
//   listing_probe look-ahead-walk PATH INDX    the super index whose indx chunk header is at byte INDX, every
//                                              standard index it points at hinted at once, then each read
// Prints the wall milliseconds of the work and what it found (scenes or frames); exit status 1 on failure.

#include "avi/dv_avi_reader.h"
#include "bench/bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

long LookAheadWalk(const char* path, std::int64_t superIndex)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> entries;
    std::vector<std::uint8_t> standard;
    long frames = -1;
    if (fd >= 0 && ReadAt(fd, header, 24, superIndex + 8) && ReadAt(fd, entries, 16 * Le(&header[4], 4), superIndex + 32)) {
        for (std::size_t e = 0; e < entries.size(); e += 16)
            ::posix_fadvise(fd, static_cast<off_t>(Le(&entries[e], 8)), static_cast<off_t>(Le(&entries[e + 8], 4)),
                            POSIX_FADV_WILLNEED);
        frames = 0;
        for (std::size_t e = 0; e < entries.size() && frames >= 0; e += 16) {
            const auto chunk = static_cast<std::int64_t>(Le(&entries[e], 8));
            const bool read = ReadAt(fd, header, 32, chunk) && ReadAt(fd, standard, 8 * Le(&header[12], 4), chunk + 32);
            frames = read ? frames + static_cast<long>(Le(&header[12], 4)) : -1;
        }
    }
    if (fd >= 0)
        ::close(fd);
    return frames;
}

long Run(const std::string& mode, int argc, char** argv)
{
    const char* path = argv[2];
    CDvAviReader reader;
    if (mode == "scan")
        return Indexed(reader, path) && reader.ScanScenes(nullptr) ? static_cast<long>(reader.SceneStarts().size() + 1) : -1;
    if (mode == "walk")
        return Indexed(reader, path) ? static_cast<long>(reader.FrameOffsets().size()) : -1;
    if (mode == "look-ahead-scan")
        return LookAheadScan(path);
    if (mode == "look-ahead-walk" && argc > 3)
        return LookAheadWalk(path, std::atoll(argv[3]));
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: listing_probe scan|walk|look-ahead-scan|look-ahead-walk PATH [INDX]\n");
        return 1;
    }
    long found = -1;
    const double ms = bench::TimeMs([&] { found = Run(argv[1], argc, argv); });
    std::printf("%.3f %ld\n", ms, found);
    return found < 0 ? 1 : 0;
}
