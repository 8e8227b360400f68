#include "playback/stream_subtype.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kBiCompressionOffset = 188;   // BITMAPINFOHEADER of the first stream's strf

}  // namespace

std::uint32_t FirstStreamSubtype(const char* path, const FirstStreamInfo& info)
{
    if (info.fccType != zv::FourCC("vids")) {
        return info.fccHandler;
    }
    const zv::UniqueFd fd = zv::OpenForSequentialRead(path);   // never waits on a FIFO
    std::uint8_t bytes[4];
    if (!fd || ::pread(fd.Get(), bytes, sizeof bytes, kBiCompressionOffset) != static_cast<ssize_t>(sizeof bytes)) {
        return 0;
    }
    return zv::LoadLe32(bytes);
}
