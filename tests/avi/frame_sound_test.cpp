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

struct Case {
    const char* name;
    bool pal;        // the frame's own system
    bool judgedAs625;
    std::function<void(Frame&)> damage;
    bool decodable;
};

const Case kCases[] = {
    {"PalFrame", true, true, [](Frame&) {}, true},
    {"NtscFrame", false, false, [](Frame&) {}, true},
    {"NtscFrameInAPalStream", false, true, [](Frame&) {}, false},
    {"HeaderNamingTheOtherSystem", true, true, [](Frame& f) { f[3] ^= 0x80; }, false},
    {"SourcePackNamingTheOtherSystem", true, true, [](Frame& f) { f[kSourcePack + 3] ^= 0x20; }, false},
    {"MostSamplesAt48kHz", true, true, [](Frame& f) { SetSamples(f, kSourcePack, 48); }, true},
    {"OneSampleTooMany", true, true, [](Frame& f) { SetSamples(f, kSourcePack, 49); }, false},
    {"NtscOneSampleTooMany", false, false, [](Frame& f) { SetSamples(f, kSourcePack, 41); }, false},
    {"NoSuchFrequency", true, true, [](Frame& f) { f[kSourcePack + 4] |= 0x18; }, false},
    {"NoSuchQuantisation", true, true, [](Frame& f) { f[kSourcePack + 4] = static_cast<std::uint8_t>((f[kSourcePack + 4] & 0xF8) | 2); }, false},
    {"SecondChannelDamaged", true, true, [](Frame& f) { f[6 * 12000 + kSourcePack + 3] ^= 0x20; }, false},
    {"CutShort", true, true, [](Frame& f) { f.resize(f.size() - 1); }, false},
    {"StartsMidFrame", true, true, [](Frame& f) { f[0] = 0x3F; }, false},
    {"SilentFrameOfTheOtherSystem", false, true, [](Frame& f) { SilenceDvFrame(f.data(), f.size()); }, true},
};

class FrameSound : public testing::TestWithParam<Case> {};

TEST_P(FrameSound, OnlyFramesWhosePacksFitTheirSystemReachTheDecoder)
{
    const Case& c = GetParam();
    Frame frame = CamcorderFrame(c.pal ? fixture::DvSystem::Pal625 : fixture::DvSystem::Ntsc525);
    ASSERT_TRUE(DvFrameCarriesSound(frame.data(), frame.size()));
    c.damage(frame);
    EXPECT_EQ(DvFrameSoundIsDecodable(frame.data(), frame.size(), c.judgedAs625), c.decodable);

    // Silenced, any frame may go to the decoder, and only its sound packs changed.
    const Frame before = frame;
    SilenceDvFrame(frame.data(), frame.size());
    EXPECT_FALSE(DvFrameCarriesSound(frame.data(), frame.size()));
    EXPECT_TRUE(DvFrameSoundIsDecodable(frame.data(), frame.size(), c.judgedAs625));
    std::size_t changed = 0;
    for (std::size_t i = 0; i < frame.size(); ++i)
        changed += frame[i] != before[i] ? 1 : 0;
    EXPECT_LE(changed, frame.size() / 12000 * 9);
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameSound, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
