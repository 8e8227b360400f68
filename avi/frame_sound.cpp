#include "avi/frame_sound.h"

#include "avi/dv_avi_reader.h"
#include "avi/file_io.h"

#include <algorithm>
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

bool FrameAtCarriesSound(int fd, std::int64_t offset, DvSoundPacks& packs)
{
    std::array<std::uint8_t, kSoundProbeBytes> start{};
    if (!ReadExactAt(fd, start.data(), start.size(), offset) || !DvFrameCarriesSound(start.data(), start.size()))
        return false;
    packs = DvFramePacks(start.data());
    return true;
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

namespace {

constexpr std::size_t kAudioBlockBytes = 77;   // after the block's ID: the pack, then the samples
constexpr std::size_t kSamplesOffset = 8;

// The speed a source control pack (PC3 bits 0-6) states for forward playback at normal speed: the DV
// decoder plays no other. Its value depends on the standard the header block's APT field names.
std::uint8_t NormalSpeed(const std::uint8_t* frame, bool is625)
{
    if ((frame[4] & 0x07) == 0)
        return 0x20;
    return is625 ? 0x64 : 0x78;
}

}  // namespace

bool DvFrameSoundPlays(const std::uint8_t* frame, std::size_t size, bool is625)
{
    // A frame of the other system's size is decoded as that system, whatever its packs say.
    if (!DvFrameCarriesSound(frame, size) || !DvFrameSoundIsDecodable(frame, size, is625)
        || (size >= 12 * kSequenceBytes) != is625)
        return false;
    return (frame[AudioPackId(4) + 3] & 0x7F) == NormalSpeed(frame, is625);
}

DvSoundPacks DvFramePacks(const std::uint8_t* frame)
{
    DvSoundPacks packs;
    std::copy_n(frame + AudioPackId(3), packs.source.size(), packs.source.begin());
    std::copy_n(frame + AudioPackId(4), packs.control.size(), packs.control.begin());
    return packs;
}

bool DvSoundPacksFit(const DvSoundPacks& packs, bool is625)
{
    return packs.source[0] == kSourcePackId && packs.control[0] == 0x51 && SourcePackFits(packs.source.data(), is625);
}

DvSoundPacks DefaultSilencePacks(bool is625)
{
    // 1920 samples a frame at 25 frames/s, 1602 at 30000/1001 (their excess over the fewest in PC1);
    // PC4: emphasis off, 48 kHz, 16 bits. The control pack: no copy protection, original recording.
    const std::uint8_t extra = is625 ? 1920 - k625Samples[0].fewest : 1602 - k525Samples[0].fewest;
    return {{kSourcePackId, static_cast<std::uint8_t>(0xC0 | extra), 0x00, is625 ? std::uint8_t{0xE0} : std::uint8_t{0xC0}, 0x80},
            {0x51, 0x1C, 0xCF, 0xA0, 0xFF}};
}

void FillDvFrameWithSilence(std::uint8_t* frame, std::size_t size, const DvSoundPacks& packs)
{
    if (frame == nullptr || size < kSoundProbeBytes)
        return;
    DvSoundPacks written = packs;
    written.control[2] |= 0x80;   // REC ST: not the start of a recording
    const bool is625 = (packs.source[3] & 0x20) != 0;
    written.control[3] = static_cast<std::uint8_t>((written.control[3] & 0x80) | NormalSpeed(frame, is625));
    for (std::size_t sequence = 0; (sequence + 1) * kSequenceBytes <= size; ++sequence) {
        const std::size_t first = sequence % 2 == 0 ? 3 : 0;
        for (std::size_t block = 0; block < kAudioBlocksPerSequence; ++block) {
            std::uint8_t* at = frame + sequence * kSequenceBytes + AudioPackId(block);
            std::fill(at + kSamplesOffset - kPackIdOffset, at + kAudioBlockBytes, std::uint8_t{0});
            if (block == first)
                std::copy(written.source.begin(), written.source.end(), at);
            else if (block == first + 1)
                std::copy(written.control.begin(), written.control.end(), at);
        }
    }
}

namespace {

// Calls copy(frame offset, saved offset) for every audio block of the frame that `saved` has room for.
template <typename Copy>
void ForEachAudioBlock(std::size_t size, Copy copy)
{
    std::size_t kept = 0;
    for (std::size_t sequence = 0; (sequence + 1) * kSequenceBytes <= size; ++sequence)
        for (std::size_t block = 0; block < kAudioBlocksPerSequence && kept + kAudioBlockBytes <= kDvAudioBlockBytes; ++block) {
            copy(sequence * kSequenceBytes + AudioPackId(block), kept);
            kept += kAudioBlockBytes;
        }
}

}  // namespace

void SaveDvFrameSound(const std::uint8_t* frame, std::size_t size, DvFrameSound& saved)
{
    ForEachAudioBlock(size, [&](std::size_t at, std::size_t kept) {
        std::copy_n(frame + at, kAudioBlockBytes, saved.begin() + static_cast<std::ptrdiff_t>(kept));
    });
}

void RestoreDvFrameSound(std::uint8_t* frame, std::size_t size, const DvFrameSound& saved)
{
    ForEachAudioBlock(size, [&](std::size_t at, std::size_t kept) {
        std::copy_n(saved.begin() + static_cast<std::ptrdiff_t>(kept), kAudioBlockBytes, frame + at);
    });
}

bool DvFrameCarriesSound(const std::uint8_t* frame, std::size_t size)
{
    constexpr std::size_t kSource = AudioPackId(3);
    constexpr std::size_t kControl = AudioPackId(4);
    return frame != nullptr && size > kControl && frame[kSource] == 0x50 && frame[kControl] == 0x51;
}

bool FileFramesCarrySound(const char* path)
{
    DvSoundPacks packs;
    return FindFileSoundPacks(path, packs);
}

bool FindFileSoundPacks(const char* path, DvSoundPacks& packs)
{
    CDvAviReader reader;
    if (path == nullptr || !OpenAndIndex(reader, path)) {
        return false;
    }
    const std::vector<std::int64_t>& offsets = reader.FrameOffsets();
    const std::size_t count = offsets.size();
    for (std::size_t frame = 0; frame < count && frame < kLeadingFrames; ++frame) {
        if (FrameAtCarriesSound(reader.Fd(), offsets[frame], packs)) {
            return true;
        }
    }
    for (std::size_t step = 1; count > kLeadingFrames && step <= kSpreadFrames; ++step) {
        if (FrameAtCarriesSound(reader.Fd(), offsets[(count - 1) * step / kSpreadFrames], packs)) {
            return true;
        }
    }
    return false;
}
