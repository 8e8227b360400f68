// Writes the seed corpora of the fuzz targets, one folder per target, from the fixture writer: real DV frames
// and small DV AVI files in every layout and index kind, so fuzzing starts from inputs that reach deep.
//
//   make_seeds OUTPUT_FOLDER
//
// Files are kept small for speed: a file's frames hold only their first DIF sequence (all the index and the
// scene scan read), and OpenDML files use the smallest RIFF form so that they still reach AVIX forms. Raw
// DV streams cannot shrink their frames (a frame's place is its number times its size): their frames keep
// the first DIF sequence and are zero after it.

#include "tests/fixtures/avi_writer.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/quicktime_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace fixture;

namespace {

constexpr std::size_t kSeedFrameBytes = kDifSequenceBytes;
constexpr std::uint64_t kSmallestRiffForm = 64 * 1024;
constexpr std::size_t kCheckHeadBytes = 4096;

bool MakeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool Save(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ClipOptions Clip(DvSystem system, AviLayout layout, AviIndex index)
{
    ClipOptions clip;
    clip.system = system;
    clip.layout = layout;
    clip.index = index;
    // Two scenes, the second one starting two days later: the scan has a break to find.
    clip.scenes = {{{2005, 12, 31, 23, 59, 59}, 3}, {{2006, 1, 2, 8, 15, 0}, 3}};
    return clip;
}

// The clip's frames cut to their first DIF sequence.
FrameSource ShortFrames(const ClipOptions& clip)
{
    FrameSource full = MakeCamcorderFrameSource(clip);
    return [full](std::int64_t frame, std::size_t, std::vector<std::uint8_t>& data) {
        if (!full(frame, kSeedFrameBytes, data))
            return false;
        data.resize(kSeedFrameBytes);
        return true;
    };
}

const char* SystemName(DvSystem s) { return s == DvSystem::Pal625 ? "pal" : "ntsc"; }
const char* LayoutName(AviLayout l)
{
    return l == AviLayout::Type1 ? "type1" : l == AviLayout::Type2 ? "type2" : "type2audio";
}
const char* IndexName(AviIndex i)
{
    return i == AviIndex::Idx1Absolute ? "idx1abs" : i == AviIndex::Idx1MoviRelative ? "idx1rel" : "odml";
}

// Two frames of each system back to back, the second one cut to half its first DIF sequence in one copy.
bool WriteRawSeeds(const std::string& root, int& written)
{
    for (DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        const FrameSource source = ShortFrames(Clip(system, AviLayout::Type2, AviIndex::Idx1Absolute));
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint8_t> data;
        for (std::int64_t n : {0, 3}) {   // across the scene break
            if (!source(n, kSeedFrameBytes, data))
                return false;
            data.resize(FrameBytes(system), 0);
            bytes.insert(bytes.end(), data.begin(), data.end());
        }
        const std::string name = std::string(SystemName(system)) + "_raw";
        const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + kCheckHeadBytes);
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(FrameBytes(system) - kSeedFrameBytes / 2));
        if (!Save(root + "/avi_check/" + name, head) || !Save(root + "/avi_reader/" + name, bytes)
            || !Save(root + "/avi_reader/" + name + "_cut", cut) || !Save(root + "/report_metadata/" + name, cut)
            || !Save(root + "/graph_checks/" + name, bytes))
            return false;
        written += 5;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const std::string frames = root + "/dv_frame";
    const std::string heads = root + "/avi_check";
    const std::string files = root + "/avi_reader";
    const std::string reports = root + "/report_metadata";
    const std::string graphs = root + "/graph_checks";
    const std::string movies = root + "/quicktime_reader";
    for (const std::string& folder : {root, frames, heads, files, reports, graphs, movies}) {
        if (!MakeFolder(folder)) {
            std::perror(folder.c_str());
            return 1;
        }
    }
    int written = 0;

    // Frames: whole frames and single sequences of both systems, with control bytes that vary the strip.
    for (DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        const ClipOptions clip = Clip(system, AviLayout::Type2, AviIndex::Idx1Absolute);
        const FrameSource source = MakeCamcorderFrameSource(clip);
        std::vector<std::uint8_t> data;
        for (std::int64_t n : {0, 2, 3}) {
            if (!source(n, SIZE_MAX, data))
                return 1;
            const std::uint8_t control = static_cast<std::uint8_t>((Is625(system) ? 0x20 : 0) | (n == 3 ? 0x50 : 0) | n);
            std::vector<std::uint8_t> seed{control};
            seed.insert(seed.end(), data.begin(), data.end());
            const std::string name = frames + "/" + SystemName(system) + "_frame" + std::to_string(n);
            if (n == 0 && !Save(name + "_whole", seed))
                return 1;
            seed.resize(1 + kSeedFrameBytes);
            if (!Save(name + "_sequence0", seed))
                return 1;
            written += n == 0 ? 2 : 1;
        }
    }

    // Files: every system, layout and index kind; then cut-off copies for the file-level targets.
    for (DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        for (AviLayout layout : {AviLayout::Type2, AviLayout::Type2WithAudio, AviLayout::Type1}) {
            for (AviIndex index : {AviIndex::Idx1Absolute, AviIndex::Idx1MoviRelative, AviIndex::OpenDml}) {
                const ClipOptions clip = Clip(system, layout, index);
                AviWriterOptions options = ClipWriterOptions(clip);
                options.riffSizeLimit = kSmallestRiffForm;
                const std::string name = std::string(SystemName(system)) + "_" + LayoutName(layout) + "_" + IndexName(index);
                const std::string path = files + "/" + name;
                std::string error;
                AviWriteResult result;
                if (!WriteDvAvi(path, options, ShortFrames(clip), &result, &error)) {
                    std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
                    return 1;
                }
                const std::vector<std::uint8_t> bytes = Load(path);
                std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), kCheckHeadBytes)));
                std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
                if (!Save(heads + "/" + name, head) || !Save(reports + "/" + name, bytes)
                    || !Save(files + "/" + name + "_cut", cut) || !Save(graphs + "/" + name, bytes))
                    return 1;
                written += 5;
            }
        }
    }
    if (!WriteRawSeeds(root, written))
        return 1;
    // Movies of one frame in each system, each table form, the movie box before and after the data.
    for (DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        for (const bool variant : {false, true}) {
            QuickTimeWriterOptions options;
            options.system = system;
            options.frameCount = 1;
            options.wideOffsets = variant;
            options.sampleSizeTable = variant;
            options.movieFirst = !variant;
            QuickTimeImage image;
            std::string error;
            if (!BuildQuickTime(options, MakeCamcorderFrameSource(Clip(system, AviLayout::Type2, AviIndex::Idx1Absolute)),
                                image, &error)) {
                std::fprintf(stderr, "movie: %s\n", error.c_str());
                return 1;
            }
            if (!Save(movies + "/" + SystemName(system) + (variant ? "_co64_last" : "_stco_first"), image.bytes))
                return 1;
            ++written;
        }
    }
    std::printf("%d seeds in %s\n", written, root.c_str());
    return 0;
}
