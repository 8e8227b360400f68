// Hostile QuickTime movies: a valid movie of three camcorder frames cut at every box boundary and every
// length of its movie box, its sizes and counts replaced by 0, 1 and 0xFFFFFFFF, chunk maps whose runs
// would list billions of frames, offsets past 4 GiB, and boxes nested and repeated beyond any real movie.

#include "tests/hardening/hostile_cases.h"

#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/quicktime_writer.h"

#include <memory>
#include <stdexcept>

using namespace fixture;

namespace hardening {
namespace {

struct MovieBase {
    std::string name;
    QuickTimeImage image;
};
using SharedMovie = std::shared_ptr<const MovieBase>;

void PatchBe32(Bytes& bytes, std::uint64_t at, std::uint32_t value)
{
    if (at + 4 > bytes.size())
        throw std::out_of_range("patch outside the movie");
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

HostileFile Whole(const QuickTimeImage& image)
{
    return {image.bytes, image.far.empty() ? 0 : image.fileSize, image.far};
}

SharedMovie MakeMovie(const std::string& name, DvSystem system, bool movieFirst, bool wide, std::uint64_t dataStart = 0)
{
    ClipOptions clip;
    clip.system = system;
    clip.scenes = {{{2007, 3, 4, 12, 0, 0}, 2}, {{2007, 3, 4, 18, 30, 0}, 1}};
    QuickTimeWriterOptions options;
    options.system = system;
    options.frameCount = 3;
    options.movieFirst = movieFirst;
    options.wideOffsets = wide;
    options.sampleSizeTable = !movieFirst;
    options.dataStart = dataStart;
    auto base = std::make_shared<MovieBase>();
    base->name = name;
    std::string error;
    if (!BuildQuickTime(options, MakeCamcorderFrameSource(clip), base->image, &error))
        throw std::runtime_error("cannot build " + name + ": " + error);
    return base;
}

// playback: also through the playback graph (and the snapshot runs, a process each: a few dozen in all).
void AddCase(std::vector<HostileCase>& cases, const SharedMovie& base, const std::string& what,
             std::function<void(Bytes&)> damage, ExpectIndex index = ExpectIndex::Any, bool playback = false)
{
    cases.push_back({base->name + "/" + what, [base, damage] {
                         HostileFile file = Whole(base->image);
                         damage(file.bytes);
                         return file;
                     },
                     false, playback, index});
}

void AddCut(std::vector<HostileCase>& cases, const SharedMovie& base, std::uint64_t length, ExpectIndex index,
            bool playback = false)
{
    AddCase(cases, base, "cut-" + std::to_string(length), [length](Bytes& b) { b.resize(std::min<std::size_t>(length, b.size())); },
            index, playback);
}

// The boxes of the video track, and the movie's own: the playback graph meets damage there.
bool OnVideoPath(const std::string& box)
{
    return box == "moov" || box == "mdat" || box.compare(0, 6, "video/") == 0;
}

// Cuts at and around every box header and every frame; every length of a movie box that comes first (its
// frames all lie after it, so no cut inside it leaves an index).
void AddCuts(std::vector<HostileCase>& cases, const SharedMovie& base, bool playback)
{
    const QuickTimeImage& image = base->image;
    for (const auto& [name, at] : image.boxes) {
        for (const std::uint64_t length : {at, at + 4, at + 8, at + 12, at + 16, at + 20})
            AddCut(cases, base, length, ExpectIndex::Any, playback && length == at && OnVideoPath(name));
    }
    for (const std::uint64_t frame : image.frameData) {
        for (const std::uint64_t length : {frame - 1, frame, frame + 1, frame + 143999})
            AddCut(cases, base, length, ExpectIndex::Any, playback && length == frame + 1);
    }
    const std::uint64_t moov = image.boxes.at("moov");
    if (moov < image.boxes.at("mdat")) {
        for (std::uint64_t length = 0; length < image.boxes.at("mdat") + 16; ++length)
            AddCut(cases, base, length, ExpectIndex::Refused);
    }
}

// Box sizes and table counts of 0, 1 and 0xFFFFFFFF; stsc and stsz entries that make the runs overflow.
void AddFields(std::vector<HostileCase>& cases, const SharedMovie& base, bool playback)
{
    for (const auto& [name, at] : base->image.boxes) {
        for (const std::uint32_t value : {0u, 1u, 7u, 0xFFFFFFFFu}) {
            const std::uint64_t where = at;
            AddCase(cases, base, name + "-size=" + std::to_string(value), [where, value](Bytes& b) { PatchBe32(b, where, value); },
                    ExpectIndex::Any, playback && value == 0 && OnVideoPath(name));
        }
        const bool table = name.find("/st") != std::string::npos || name.find("/co64") != std::string::npos;
        for (const std::uint64_t field : {std::uint64_t{12}, std::uint64_t{16}, std::uint64_t{20}, std::uint64_t{24}}) {
            for (const std::uint32_t value : {0u, 1u, 0xFFFFFFFFu}) {
                const std::uint64_t where = at + field;
                if (table && where + 4 <= base->image.bytes.size())
                    AddCase(cases, base, name + "+" + std::to_string(field) + "=" + std::to_string(value),
                            [where, value](Bytes& b) { PatchBe32(b, where, value); }, ExpectIndex::Any,
                            playback && field == 12 && value == 0xFFFFFFFFu && OnVideoPath(name));
            }
        }
    }
    if (base->image.boxes.count("video/stco") == 0)
        return;
    // Billions of samples claimed, every one of them in the first chunk, and every chunk at byte 0.
    const std::uint64_t stsz = base->image.boxes.at("video/stsz"), stsc = base->image.boxes.at("video/stsc");
    const std::uint64_t stco = base->image.boxes.at("video/stco");
    AddCase(cases, base, "runs-overflow", [=](Bytes& b) {
        PatchBe32(b, stsz + 16, 0xFFFFFFFF);
        PatchBe32(b, stsc + 20, 0xFFFFFFFF);
    }, ExpectIndex::Built, true);
    AddCase(cases, base, "every-chunk-at-0", [=](Bytes& b) {
        PatchBe32(b, stsz + 16, 0xFFFFFFFF);
        PatchBe32(b, stsc + 20, 0xFFFFFFFF);
        for (std::uint64_t entry = 0; entry < 3; ++entry)
            PatchBe32(b, stco + 16 + 4 * entry, 0);
    }, ExpectIndex::Any, true);
}

Bytes Box(const char* type, const Bytes& inside)
{
    Bytes box(8);
    PatchBe32(box, 0, static_cast<std::uint32_t>(8 + inside.size()));
    std::copy_n(type, 4, box.begin() + 4);
    box.insert(box.end(), inside.begin(), inside.end());
    return box;
}

// Structures no real movie has: boxes nested thousands deep along the path the reader follows, and more
// boxes side by side than any movie holds.
void AddShapes(std::vector<HostileCase>& cases)
{
    const char* const path[] = {"trak", "mdia", "minf", "stbl", "stsd"};
    for (const char* repeated : path) {
        cases.push_back({std::string("quicktime/nested-") + repeated, [repeated] {
                             Bytes inner;
                             for (int depth = 0; depth < 3000; ++depth)
                                 inner = Box(repeated, inner);
                             Bytes file = Box("ftyp", Bytes{'q', 't', ' ', ' ', 0, 0, 0, 0});
                             const Bytes moov = Box("moov", inner);
                             file.insert(file.end(), moov.begin(), moov.end());
                             return HostileFile{file, 0, {}};
                         },
                         false, false, ExpectIndex::Refused});
    }
    cases.push_back({"quicktime/many-free-boxes", [] {
                         Bytes file;
                         for (int n = 0; n < 200000; ++n) {
                             const Bytes box = Box("free", {});
                             file.insert(file.end(), box.begin(), box.end());
                         }
                         return HostileFile{file, 0, {}};
                     },
                     false, false, ExpectIndex::Refused});
}

}  // namespace

void AddQuickTimeCases(std::vector<HostileCase>& cases)
{
    const SharedMovie first = MakeMovie("pal_mov_first", DvSystem::Pal625, true, false);
    const SharedMovie last = MakeMovie("ntsc_mov_last_co64", DvSystem::Ntsc525, false, true);
    for (const SharedMovie& base : {first, last}) {
        cases.push_back({base->name + "/intact", [base] { return Whole(base->image); }, false, true, ExpectIndex::Built});
        AddCuts(cases, base, base == first);
        AddFields(cases, base, base == first);
    }
    AddShapes(cases);
    // The data past 4 GiB, reached through co64 only: a sparse file, in a child process of its own.
    const SharedMovie far = MakeMovie("pal_mov_far_co64", DvSystem::Pal625, true, true, (std::uint64_t{5} << 30));
    cases.push_back({far->name + "/intact", [far] { return Whole(far->image); }, true, false, ExpectIndex::Built});
    cases.push_back({far->name + "/offset-wraps", [far] {
                         HostileFile file = Whole(far->image);
                         const std::uint64_t co64 = far->image.boxes.at("video/co64");
                         PatchBe32(file.bytes, co64 + 16, 0xFFFFFFFF);   // high half of the first chunk's offset
                         return file;
                     },
                     true, false, ExpectIndex::Built});
}

}  // namespace hardening
