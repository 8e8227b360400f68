// Raw DV streams damaged the ways a capture cut short or a worn tape leaves them: cut at every frame boundary
// and inside the first header block, a lone header byte, a frame's worth of blank bytes, a first header whose
// system disagrees with the file's size, and frames of the other system in the middle of the stream.

#include "tests/hardening/hostile_cases.h"

#include "tests/fixtures/camcorder_clip.h"

#include <cstdint>
#include <memory>
#include <stdexcept>

using namespace fixture;

namespace hardening {

namespace {

constexpr std::uint64_t kHeaderBlockBytes = 80;
constexpr std::uint8_t kDsfBit = 0x80;   // byte 3 of a frame's header block: 1 = 625/50

struct RawBase {
    std::string name;
    Bytes bytes;
    std::uint64_t frameBytes = 0;
};
using SharedRaw = std::shared_ptr<const RawBase>;

// The frames of a camcorder clip of `frames` frames, back to back.
Bytes RawFrames(DvSystem system, int frames)
{
    ClipOptions clip;
    clip.system = system;
    clip.scenes = {{{2007, 3, 4, 12, 0, 0}, 2}};
    if (frames > 2)
        clip.scenes.push_back({{2007, 3, 4, 18, 30, 0}, frames - 2});
    const FrameSource source = MakeCamcorderFrameSource(clip);
    Bytes bytes;
    std::vector<std::uint8_t> data;
    for (int frame = 0; frame < frames; ++frame) {
        if (!source(frame, SIZE_MAX, data))
            throw std::runtime_error("the camcorder source gave up");
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    return bytes;
}

SharedRaw MakeRawBase(const std::string& name, DvSystem system)
{
    return std::make_shared<const RawBase>(RawBase{name, RawFrames(system, 3), FrameBytes(system)});
}

// The base with the DSF bit of frame `frame`'s header block flipped.
HostileFile FlipSystem(const SharedRaw& base, std::uint64_t frame)
{
    HostileFile file{base->bytes, 0, {}};
    file.bytes.at(frame * base->frameBytes + 3) ^= kDsfBit;
    return file;
}

void AddCuts(std::vector<HostileCase>& cases, const SharedRaw& base, const std::vector<std::uint64_t>& played)
{
    std::vector<std::uint64_t> lengths;
    for (std::uint64_t length = 0; length <= kHeaderBlockBytes; ++length)
        lengths.push_back(length);
    for (std::uint64_t at = base->frameBytes; at < base->bytes.size(); at += base->frameBytes)
        for (std::uint64_t length : {at - 1, at, at + 1, at + kHeaderBlockBytes / 2})
            lengths.push_back(length);
    for (std::uint64_t length : lengths) {
        bool playback = false;
        for (std::uint64_t p : played)
            playback = playback || p == length;
        cases.push_back({base->name + "/cut-" + std::to_string(length), [base, length] {
                             return HostileFile{Bytes(base->bytes.begin(), base->bytes.begin() + static_cast<std::ptrdiff_t>(length)), 0, {}};
                         }, false, playback, length < base->frameBytes ? ExpectIndex::Refused : ExpectIndex::Built});
    }
}

}  // namespace

void AddRawDvCases(std::vector<HostileCase>& cases)
{
    const SharedRaw pal = MakeRawBase("pal_raw", DvSystem::Pal625);
    const SharedRaw ntsc = MakeRawBase("ntsc_raw", DvSystem::Ntsc525);
    for (const SharedRaw& base : {pal, ntsc})
        cases.push_back({base->name + "/intact", [base] { return HostileFile{base->bytes, 0, {}}; }, false, true,
                         ExpectIndex::Built});
    const std::uint64_t p = pal->frameBytes;
    AddCuts(cases, pal, {1, 4, kHeaderBlockBytes, p - 1, p, p + 1, 2 * p + 1});
    AddCuts(cases, ntsc, {ntsc->frameBytes, 2 * ntsc->frameBytes - 1});

    cases.push_back({"raw/one-byte-1F", [] { return HostileFile{Bytes{0x1F}, 0, {}}; }, false, true, ExpectIndex::Refused});
    cases.push_back({"raw/frame-of-FF", [p] { return HostileFile{Bytes(p, 0xFF), 0, {}}; }, false, true,
                     ExpectIndex::Refused});
    // A first header naming the other system: the file is read as that system's frames, the rest a partial frame.
    for (const SharedRaw& base : {pal, ntsc})
        cases.push_back({base->name + "/first-frame-of-the-other-system", [base] { return FlipSystem(base, 0); }, false,
                         true, ExpectIndex::Built});
    cases.push_back({"pal_raw/one-frame-named-525", [pal, p] {
                         HostileFile file = FlipSystem(pal, 0);
                         file.bytes.resize(p);
                         return file;
                     }, false, true, ExpectIndex::Built});
    // Damaged tape: a frame in the middle names the other system but keeps this one's size, or really is a
    // frame of the other system and moves every later frame off its place.
    for (const SharedRaw& base : {pal, ntsc})
        cases.push_back({base->name + "/middle-frame-named-the-other-system", [base] { return FlipSystem(base, 1); },
                         false, true, ExpectIndex::Built});
    const auto splice = [](const SharedRaw& base, const Bytes& other) {
        return [base, other] {
            HostileFile file{base->bytes, 0, {}};
            file.bytes.insert(file.bytes.begin() + static_cast<std::ptrdiff_t>(base->frameBytes), other.begin(), other.end());
            return file;
        };
    };
    cases.push_back({"pal_raw/525-frame-in-the-middle", splice(pal, RawFrames(DvSystem::Ntsc525, 1)), false, true,
                     ExpectIndex::Built});
    cases.push_back({"ntsc_raw/625-frame-in-the-middle", splice(ntsc, RawFrames(DvSystem::Pal625, 1)), false, true,
                     ExpectIndex::Built});
}

}  // namespace hardening
