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

namespace {

constexpr std::size_t kSequenceBytes = 12000;
constexpr std::size_t kAudioBlocksPerSequence = 9;
constexpr std::uint8_t kSourcePackId = 0x50;

// Samples a frame holds at each sampling frequency (48, 44.1, 32 kHz): the fewest, and how many more at most.
struct SampleRange {
    std::uint32_t fewest;
    std::uint32_t extra;
};
constexpr SampleRange k625Samples[3] = {{1896, 48}, {1742, 44}, {1264, 32}};
constexpr SampleRange k525Samples[3] = {{1580, 40}, {1452, 37}, {1053, 27}};

// The source pack at `at`: its 50/60 flag (PC3 bit 5), frequency (PC4 bits 3-5), quantisation (PC4 bits
// 0-2) and extra samples (PC1 bits 0-5) as the frame's system records them.
bool SourcePackFits(const std::uint8_t* pack, bool is625)
{
    const bool says625 = (pack[3] & 0x20) != 0;
    const unsigned frequency = (pack[4] >> 3) & 0x07;
    const unsigned quantisation = pack[4] & 0x07;
    const unsigned extra = pack[1] & 0x3F;
    if (says625 != is625 || frequency > 2 || quantisation > 1)
        return false;
    return extra <= (is625 ? k625Samples : k525Samples)[frequency].extra;
}

}  // namespace

bool DvFrameSoundIsDecodable(const std::uint8_t* frame, std::size_t size, bool is625)
{
    const std::size_t sequences = is625 ? 12 : 10;
    if (frame == nullptr || size < kSoundProbeBytes)
        return false;
    const bool header = frame[0] == 0x1F && (frame[1] & 0xF8) == 0 && frame[2] == 0;
    if (frame[AudioPackId(3)] != kSourcePackId)
        return true;   // no sound source: the decoder reads nothing further
    if (!header || ((frame[3] & 0x80) != 0) != is625 || size < sequences * kSequenceBytes)
        return false;
    for (const std::size_t sequence : {std::size_t{0}, sequences / 2}) {
        const std::uint8_t* pack = frame + sequence * kSequenceBytes + AudioPackId(3);
        if (pack[0] == kSourcePackId && !SourcePackFits(pack, is625))
            return false;
    }
    return true;
}

void SilenceDvFrame(std::uint8_t* frame, std::size_t size)
{
    for (std::size_t sequence = 0; sequence * kSequenceBytes < size; ++sequence)
        for (std::size_t block = 0; block < kAudioBlocksPerSequence; ++block)
            if (const std::size_t at = sequence * kSequenceBytes + AudioPackId(block); at < size)
                frame[at] = 0xFF;
}

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
