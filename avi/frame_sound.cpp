#include "avi/frame_sound.h"

#include "avi/dv_avi_reader.h"
#include "avi/file_io.h"

#include <array>
#include <vector>

namespace {

constexpr std::size_t kDifBlockBytes = 80;
constexpr std::size_t kPackIdOffset = 3;   // after the DIF block's ID

// PC0 of the pack in audio block `block` of the first DIF sequence: six blocks of header, subcode and
// VAUX, then each audio block followed by fifteen video blocks.
constexpr std::size_t AudioPackId(std::size_t block)
{
    return (6 + 16 * block) * kDifBlockBytes + kPackIdOffset;
}

// A stretch of blank tape at the start of a capture is a few seconds at most; beyond it, frames spread over
// the file find sound recorded later. Two small reads budgets keep the open quick on any file.
constexpr std::size_t kLeadingFrames = 64;
constexpr std::size_t kSpreadFrames = 64;

bool FrameAtCarriesSound(int fd, std::int64_t offset)
{
    std::array<std::uint8_t, kSoundProbeBytes> start{};
    return ReadExactAt(fd, start.data(), start.size(), offset) && DvFrameCarriesSound(start.data(), start.size());
}

}  // namespace

static_assert(AudioPackId(4) < kSoundProbeBytes);

bool DvFrameCarriesSound(const std::uint8_t* frame, std::size_t size)
{
    constexpr std::size_t kSource = AudioPackId(3);
    constexpr std::size_t kControl = AudioPackId(4);
    return frame != nullptr && size > kControl && frame[kSource] == 0x50 && frame[kControl] == 0x51;
}

bool FileFramesCarrySound(const char* path)
{
    CDvAviReader reader;
    if (path == nullptr || !OpenAndIndex(reader, path)) {
        return false;
    }
    const std::vector<std::int64_t>& offsets = reader.FrameOffsets();
    const std::size_t count = offsets.size();
    for (std::size_t frame = 0; frame < count && frame < kLeadingFrames; ++frame) {
        if (FrameAtCarriesSound(reader.Fd(), offsets[frame])) {
            return true;
        }
    }
    for (std::size_t step = 1; count > kLeadingFrames && step <= kSpreadFrames; ++step) {
        if (FrameAtCarriesSound(reader.Fd(), offsets[(count - 1) * step / kSpreadFrames])) {
            return true;
        }
    }
    return false;
}
