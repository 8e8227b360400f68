#include "playback/stream_subtype.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"

namespace {

constexpr std::int64_t kBiCompressionOffset = 188;   // BITMAPINFOHEADER of the first stream's strf

}  // namespace

std::uint32_t FirstStreamSubtype(int fd, const FirstStreamInfo& info)
{
    if (info.fccType != zv::FourCC("vids")) {
        return info.fccHandler;
    }
    std::uint8_t bytes[4];
    if (!ReadExactAt(fd, bytes, sizeof bytes, kBiCompressionOffset)) {
        return 0;
    }
    return zv::LoadLe32(bytes);
}
