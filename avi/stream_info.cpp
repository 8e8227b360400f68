#include "avi/stream_info.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/quicktime_index.h"

#include <cerrno>
#include <cstddef>
#include <string>

namespace {

constexpr std::size_t kReadBytes = 212;          // through the BITMAPINFOHEADER of a 'vids' stream
constexpr std::size_t kStreamHeaderEnd = 164;    // strh data ends here
constexpr std::size_t kFormatData = 172;         // strf data begins here
constexpr std::size_t kBiHeight = kFormatData + 8;
constexpr std::size_t kDvVAuxSrc = kFormatData + 16;
constexpr std::uint32_t kVAuxSource50Hz = 1u << 21;   // VAUX source pack PC3 bit 5: 50 fields per second

// The stream a raw DV file would have as the first stream of a DV AVI file.
bool RawDvStreamInfo(int fd, const std::uint8_t* head, FirstStreamInfo& out)
{
    const std::int64_t fileSize = zv::FileSize(fd);
    if (fileSize < 0)
        return false;
    const DvFrameSystem system = DvFrameSystemOf(head);
    FirstStreamInfo info;
    info.container = DvContainer::RawDv;
    info.frameBytes = system.frameBytes;
    info.fccHandler = zv::FourCC("dvsd");
    info.scale = system.scale;
    info.rate = system.rate;
    const std::int64_t frames = fileSize / system.frameBytes;
    info.length = frames > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(frames);
    info.is625 = system.is625;
    out = info;
    return true;
}

// The stream a QuickTime movie's first video track would be as the first stream of a DV AVI file: its
// rate from the track's own times, its length the frames the file holds.
bool QuickTimeStreamInfo(int fd, FirstStreamInfo& out)
{
    QuickTimeDvIndex index;
    std::string problem;
    if (!BuildQuickTimeDvIndex(fd, index, problem)) {
        if (errno == 0)
            errno = ENODATA;
        return false;
    }
    FirstStreamInfo info;
    QuickTimeFrameRate(index, info.rate, info.scale);
    info.container = DvContainer::QuickTime;
    info.frameBytes = index.system.frameBytes;
    info.fccHandler = zv::FourCC("dvsd");
    info.length = static_cast<std::uint32_t>(index.frameOffsets.size());   // under 2^31
    info.is625 = index.system.is625;
    info.hasSound = index.sound.found;
    out = info;
    return true;
}

}  // namespace

bool ReadFirstStreamInfo(const char* path, FirstStreamInfo& out)
{
    const zv::UniqueFd fd = zv::OpenForSequentialRead(path);
    return fd && ReadFirstStreamInfo(fd.Get(), out);
}

bool ReadFirstStreamInfo(int fd, FirstStreamInfo& out)
{
    if (SeekTo(fd, 0, SEEK_SET) == zv::kSeekFailed)
        return false;
    std::uint8_t bytes[kReadBytes];
    errno = 0;
    const std::size_t got = ReadBytes(fd, bytes, sizeof bytes);
    if (StartsWithDifHeader(bytes, got))
        return RawDvStreamInfo(fd, bytes, out);
    if (LooksLikeQuickTime(bytes, got))
        return QuickTimeStreamInfo(fd, out);
    if (got < kStreamHeaderEnd) {
        if (errno == 0)
            errno = ENODATA;
        return false;
    }

    FirstStreamInfo info;
    info.fccType = zv::LoadLe32(bytes + 108);
    info.fccHandler = zv::LoadLe32(bytes + 112);
    info.scale = zv::LoadLe32(bytes + 128);
    info.rate = zv::LoadLe32(bytes + 132);
    info.length = zv::LoadLe32(bytes + 140);
    if (info.fccType == zv::FourCC("vids") && got >= kBiHeight + 4) {
        info.hasBitmapHeight = true;
        info.biHeight = static_cast<std::int32_t>(zv::LoadLe32(bytes + kBiHeight));
        const std::int64_t height = info.biHeight;
        info.is625 = height == 576 || height == -576;
    } else if (info.fccType == zv::FourCC("iavs") && got >= kDvVAuxSrc + 4) {
        info.hasDvInfo = true;
        info.dvVAuxSrc = zv::LoadLe32(bytes + kDvVAuxSrc);
        info.is625 = (info.dvVAuxSrc & kVAuxSource50Hz) != 0;
    }
    out = info;
    return true;
}
