#include "export/frame_chunk.h"

#include <cerrno>

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/index_claims.h"
#include "avi/last_error.h"

namespace zv {

std::string FrameReadFailure(std::int64_t frame, const char* why)
{
    const std::string detail = errno != 0 ? GetLastErrorText() : std::string(why);
    return "Unable to read frame " + std::to_string(frame) + " of the AVI file\n\n" + detail;
}

bool ReadFrameChunkSize(int fd, std::int64_t data, std::int64_t fileSize, std::int64_t frame, std::uint32_t& size,
                        std::string& error, std::uint32_t* chunkId)
{
    std::uint8_t header[8];
    errno = 0;
    if (data < 8 || !ReadExactAt(fd, header, sizeof header, data - 8)) {
        error = FrameReadFailure(frame, "The file ends before the frame's chunk header.");
        return false;
    }
    size = LoadLe32(header + 4);
    if (chunkId != nullptr)
        *chunkId = LoadLe32(header);
    if (size > kMaxFrameChunkBytes || size > fileSize - data) {
        error = "Unable to read frame " + std::to_string(frame) + " of the AVI file\n\nIts chunk claims "
              + std::to_string(size) + " bytes; "
              + (size > kMaxFrameChunkBytes ? "a DV frame is at most 144000." : "the file ends before that.");
        return false;
    }
    return true;
}

}  // namespace zv
