// mkdvavi: writes a DV AVI clip recorded the way a camcorder records it (see tests/fixtures/camcorder_clip.h).
//
//   mkdvavi --output FILE [--container avi|dv] [--system pal|ntsc] [--layout type2|type2-audio|type1]
//           [--index idx1|idx1-relative|opendml] [--frames N | --scenes "YYYY-MM-DD HH:MM:SS+N,..."] [--sparse]
//           [--aspect 4:3|16:9] [--blank] [--pictures RAW.dv]
//   mkdvavi --output FILE --preset sample [options to override]
//
// Errors go to stderr with exit status 1.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "tests/fixtures/camcorder_clip.h"

namespace {

using fixture::AviIndex;
using fixture::AviLayout;
using fixture::ClipOptions;
using fixture::DisplayAspect;
using fixture::DvSystem;

constexpr const char* kUsage =
    "usage: mkdvavi --output FILE [--container avi|dv] [--system pal|ntsc] [--layout type2|type2-audio|type1]\n"
    "               [--index idx1|idx1-relative|opendml]\n"
    "               [--frames N | --scenes \"YYYY-MM-DD HH:MM:SS+N,...\"] [--sparse] [--aspect 4:3|16:9]\n"
    "               [--blank] [--pictures RAW.dv]\n"
    "       mkdvavi --output FILE --preset sample [overriding options]\n"
    "Defaults: pal, type2-audio, idx1, 4:3, --frames 50 recorded from 2024-07-08 10:15:00.\n"
    "--container dv: a raw DV stream, the frames back to back (--layout and --index do not apply).\n"
    "--blank: frames as blank tape gives them, every pack empty (no subcode, VAUX or AAUX pack).\n"
    "--pictures: the pictures of a raw DV stream of the same system (frames back to back, repeated as\n"
    "            needed) in place of the flat test patches; packs and sound stay the clip's own.\n"
    "The sample preset: PAL, type2-audio, idx1, scenes of 50, 40 and 35 frames.\n";

// Three scenes with pauses between them, the way a holiday tape looks.
constexpr std::string_view kSampleScenes =
    "2024-07-08 10:15:00+50,2024-07-08 10:17:31+40,2024-07-08 11:02:10+35";
constexpr std::string_view kDefaultStart = "2024-07-08 10:15:00";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "mkdvavi: %s\n", message.c_str());
    return 1;
}

template <typename T>
bool Choose(std::string_view value, std::initializer_list<std::pair<std::string_view, T>> choices, T& out)
{
    for (const auto& [name, v] : choices)
        if (value == name) {
            out = v;
            return true;
        }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    ClipOptions options;
    std::string output;
    std::string framesText;
    std::string scenesText;
    std::string picturesPath;
    bool preset = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--sparse") {
            options.sparse = true;
            continue;
        }
        if (arg == "--blank") {
            options.blank = true;
            continue;
        }
        if (i + 1 >= argc)
            return Fail(std::string(arg.starts_with("--") ? "missing value for " : "unknown argument ") +
                        std::string(arg) + "\n" + kUsage);
        const std::string_view value = argv[++i];
        bool ok = true;
        if (arg == "--output")
            output = value;
        else if (arg == "--container")
            ok = Choose<fixture::ClipWrapper>(value, {{"avi", fixture::ClipWrapper::Avi}, {"dv", fixture::ClipWrapper::RawDv}},
                                              options.wrapper);
        else if (arg == "--system")
            ok = Choose<DvSystem>(value, {{"pal", DvSystem::Pal625}, {"ntsc", DvSystem::Ntsc525}}, options.system);
        else if (arg == "--layout")
            ok = Choose<AviLayout>(value, {{"type2", AviLayout::Type2}, {"type2-audio", AviLayout::Type2WithAudio},
                                           {"type1", AviLayout::Type1}}, options.layout);
        else if (arg == "--index")
            ok = Choose<AviIndex>(value, {{"idx1", AviIndex::Idx1Absolute}, {"idx1-relative", AviIndex::Idx1MoviRelative},
                                          {"opendml", AviIndex::OpenDml}}, options.index);
        else if (arg == "--aspect")
            ok = Choose<DisplayAspect>(value, {{"4:3", DisplayAspect::Normal4x3}, {"16:9", DisplayAspect::Wide16x9}},
                                       options.aspect);
        else if (arg == "--frames")
            framesText = value;
        else if (arg == "--scenes")
            scenesText = value;
        else if (arg == "--pictures")
            picturesPath = value;
        else if (arg == "--preset")
            ok = (preset = value == "sample");
        else
            return Fail("unknown argument " + std::string(arg) + "\n" + kUsage);
        if (!ok)
            return Fail("bad value \"" + std::string(value) + "\" for " + std::string(arg));
    }

    if (output.empty())
        return Fail(std::string("no --output FILE given\n") + kUsage);
    if (!framesText.empty() && !scenesText.empty())
        return Fail("give either --frames or --scenes, not both");

    std::string error;
    if (!scenesText.empty() || (preset && framesText.empty())) {
        if (!fixture::ParseSceneList(scenesText.empty() ? kSampleScenes : scenesText, options.scenes, &error))
            return Fail(error);
    } else {
        int frames = 50;
        if (!framesText.empty()) {
            const auto [end, ec] = std::from_chars(framesText.data(), framesText.data() + framesText.size(), frames);
            if (ec != std::errc{} || end != framesText.data() + framesText.size() || frames < 1)
                return Fail("bad frame count \"" + framesText + "\"");
        }
        fixture::Scene scene{};
        fixture::ParseDateTime(kDefaultStart, scene.start);
        scene.frames = frames;
        options.scenes = {scene};
    }

    if (!picturesPath.empty()) {
        auto pictures = std::make_shared<fixture::DvPictures>();
        if (!fixture::LoadDvPictures(picturesPath, options.system, *pictures, &error))
            return Fail(error);
        options.pictures = std::move(pictures);
    }
    if (!fixture::WriteCamcorderClip(output, options, &error))
        return Fail(output + ": " + error);
    return 0;
}
