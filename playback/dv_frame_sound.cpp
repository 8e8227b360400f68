#include "playback/dv_frame_sound.h"

namespace {

constexpr std::size_t kDifBlockBytes = 80;
constexpr std::size_t kPackIdOffset = 3;   // after the DIF block's ID

// PC0 of the pack in audio block `block` of the first DIF sequence: six blocks of header, subcode and
// VAUX, then each audio block followed by fifteen video blocks.
constexpr std::size_t AudioPackId(std::size_t block)
{
    return (6 + 16 * block) * kDifBlockBytes + kPackIdOffset;
}

}  // namespace

bool DvFrameCarriesSound(const std::uint8_t* frame, std::size_t size)
{
    constexpr std::size_t kSource = AudioPackId(3);
    constexpr std::size_t kControl = AudioPackId(4);
    return frame != nullptr && size > kControl && frame[kSource] == 0x50 && frame[kControl] == 0x51;
}
