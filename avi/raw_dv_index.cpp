// The frame index of a raw DV stream: frames lie back to back from byte 0, each of the size the first
// frame's header block names, so frame n is at n x that size.

#include "avi/dv_avi_reader.h"

#include <limits>
#include <new>

namespace {

// Frame numbers are 32-bit everywhere else (scene starts, the slider).
constexpr std::int64_t kMaxRawDvFrames = std::numeric_limits<std::int32_t>::max();

}  // namespace

// The positions are computed, never looked for: no byte of any frame is read, so the cost is that of
// writing one number per frame into the list every other part reads frames through, the same list an AVI
// index fills. Frames whose header block names the other system (damaged tape) are frames all the same.
// Failure policy: a file without one whole frame, or more frames than a frame number can count, is refused
// with IndexProblem set; bytes after the last whole frame are left out and counted in TrailingBytes.
bool CDvAviReader::BuildRawDvIndex(std::int64_t fileSize)
{
    const std::int64_t frameBytes = m_rawSystem.frameBytes;
    const std::int64_t frames = frameBytes > 0 ? fileSize / frameBytes : 0;
    if (frames == 0)
        return Refuse("The DV stream ends before its first whole frame.");
    if (frames > kMaxRawDvFrames)
        return Refuse("The DV stream holds " + std::to_string(frames) + " frames; a frame number counts "
                      + std::to_string(kMaxRawDvFrames) + " at most.");
    m_nTrailingBytes = fileSize - frames * frameBytes;
    try {
        m_frameOffsets.resize(static_cast<std::size_t>(frames));
    } catch (const std::bad_alloc&) {
        return Refuse("There is not enough memory for the frame index.");
    }
    std::int64_t offset = 0;
    for (std::int64_t& position : m_frameOffsets) {
        position = offset;
        offset += frameBytes;
    }
    return true;
}
