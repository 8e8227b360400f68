// Which frames the DV splitter's audio decoder may be given: real camcorder frames of both systems, and the
// same frames damaged where that decoder takes its sizes from.
#include "avi/frame_sound.h"
#include "tests/fixtures/camcorder_clip.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

using Frame = std::vector<std::uint8_t>;

constexpr std::size_t kSourcePack = (6 + 16 * 3) * 80 + 3;   // PC0 of the first sequence's source pack
constexpr std::size_t kControlPack = (6 + 16 * 4) * 80 + 3;   // and of its source control pack

Frame CamcorderFrame(fixture::DvSystem system)
{
    fixture::ClipOptions clip;
    clip.system = system;
    clip.scenes = {{{2011, 5, 6, 7, 8, 9}, 1}};
    Frame frame;
    EXPECT_TRUE(fixture::MakeCamcorderFrameSource(clip)(0, SIZE_MAX, frame));
    return frame;
}

// The extra-sample count (PC1) and frequency (PC4 bits 3-5, 0 = 48 kHz) of every source pack at `at`.
void SetSamples(Frame& f, std::size_t at, unsigned extra)
{
    f[at + 1] = static_cast<std::uint8_t>((f[at + 1] & 0xC0) | extra);
    f[at + 4] = static_cast<std::uint8_t>(f[at + 4] & 0xC7);
}

// Every audio block's pack ID empty, as on blank tape.
void ClearSoundPacks(Frame& f)
{
    for (std::size_t sequence = 0; (sequence + 1) * 12000 <= f.size(); ++sequence)
        for (std::size_t block = 0; block < 9; ++block)
            f[sequence * 12000 + (6 + 16 * block) * 80 + 3] = 0xFF;
}

struct Case {
    const char* name;
    bool pal;        // the frame's own system
    bool judgedAs625;
    std::function<void(Frame&)> damage;
    bool decodable;
    bool plays;           // as recorded, without a word from the decoder
    bool silencePlays;    // once given silence
};

const Case kCases[] = {
    {"PalFrame", true, true, [](Frame&) {}, true, true, true},
    {"NtscFrame", false, false, [](Frame&) {}, true, true, true},
    {"NtscFrameInAPalStream", false, true, [](Frame&) {}, false, false, false},
    {"HeaderNamingTheOtherSystem", true, true, [](Frame& f) { f[3] ^= 0x80; }, false, false, false},
    {"SourcePackNamingTheOtherSystem", true, true, [](Frame& f) { f[kSourcePack + 3] ^= 0x20; }, false, false, true},
    {"MostSamplesAt48kHz", true, true, [](Frame& f) { SetSamples(f, kSourcePack, 48); }, true, true, true},
    {"OneSampleTooMany", true, true, [](Frame& f) { SetSamples(f, kSourcePack, 49); }, false, false, true},
    {"NtscOneSampleTooMany", false, false, [](Frame& f) { SetSamples(f, kSourcePack, 41); }, false, false, true},
    {"NoSuchFrequency", true, true, [](Frame& f) { f[kSourcePack + 4] |= 0x18; }, false, false, true},
    {"NoSuchQuantisation", true, true, [](Frame& f) { f[kSourcePack + 4] = static_cast<std::uint8_t>((f[kSourcePack + 4] & 0xF8) | 2); }, false, false, true},
    {"SecondChannelDamaged", true, true, [](Frame& f) { f[6 * 12000 + kSourcePack + 3] ^= 0x20; }, false, false, true},
    {"NtscFrameInAPalSizedBuffer", false, false, [](Frame& f) { f.resize(144000, 0xFF); }, true, false, false},
    {"CutShort", true, true, [](Frame& f) { f.pop_back(); }, false, false, false},
    {"StartsMidFrame", true, true, [](Frame& f) { f[0] = 0x3F; }, false, false, false},
    {"SilentFrameOfTheOtherSystem", false, true, ClearSoundPacks, true, false, false},
    {"BlankTape", true, true, ClearSoundPacks, true, false, true},
    {"NtscBlankTape", false, false, ClearSoundPacks, true, false, true},
    {"SlowMotion", true, true, [](Frame& f) { f[kControlPack + 3] = 0x90; }, true, false, true},
};

class FrameSound : public testing::TestWithParam<Case> {};

TEST_P(FrameSound, OnlyFramesWhosePacksFitTheirSystemReachTheDecoder)
{
    const Case& c = GetParam();
    Frame frame = CamcorderFrame(c.pal ? fixture::DvSystem::Pal625 : fixture::DvSystem::Ntsc525);
    ASSERT_TRUE(DvFrameSoundPlays(frame.data(), frame.size(), c.pal));
    c.damage(frame);
    EXPECT_EQ(DvFrameSoundIsDecodable(frame.data(), frame.size(), c.judgedAs625), c.decodable);
    EXPECT_EQ(DvFrameSoundPlays(frame.data(), frame.size(), c.judgedAs625), c.plays);

    // Given silence, the frame has sound of the stream's system, all of it zero, and nothing but its audio
    // blocks changed; saved first, it comes back as recorded.
    const Frame before = frame;
    DvFrameSound saved{};
    SaveDvFrameSound(frame.data(), frame.size(), saved);
    FillDvFrameWithSilence(frame.data(), frame.size(), DefaultSilencePacks(c.judgedAs625));
    EXPECT_EQ(DvFrameSoundPlays(frame.data(), frame.size(), c.judgedAs625), c.silencePlays);
    EXPECT_TRUE(DvSoundPacksFit(DvFramePacks(frame.data()), c.judgedAs625));
    std::size_t changed = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const std::size_t block = i % 12000 / 80;   // audio blocks: 6, 22, ... 134 of each sequence
        changed += frame[i] != before[i] ? 1 : 0;
        EXPECT_TRUE(frame[i] == before[i] || (block >= 6 && (block - 6) % 16 == 0 && i % 80 >= 3)) << i;
        EXPECT_TRUE(frame[i] == 0 || i % 80 < 8 || frame[i] == before[i]) << i;
    }
    EXPECT_GT(changed, 0u);
    RestoreDvFrameSound(frame.data(), frame.size(), saved);
    EXPECT_EQ(frame, before);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameSound, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
