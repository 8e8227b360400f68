// The QuickTime reader against the AVI reader on the same frames, warm cache, in the same run: the frame index
// of 90,000 PAL frames (the movie's sample tables against the AVI file's OpenDML indexes) and the scene scan of
// 8,000 frames. Every file is sparse: of each frame the scan's files store the first DIF sequence, all either
// reader reads of it, and the index's files a few bytes (no index reads a frame). Usage: quicktime_bench [work folder]   (default $ZV_BENCH_DIR, else /tmp; the files are removed)

#include "avi/dv_avi_reader.h"
#include "bench/bench_support.h"
#include "bench/test_pattern.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/quicktime_writer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kIndexFrames = 90000;
constexpr int kScanFrames = 8000;
constexpr int kRuns = 9;

void ExitIf(bool failed, const std::string& what)
{
    if (failed) {
        std::fprintf(stderr, "quicktime_bench: %s\n", what.c_str());
        std::exit(1);
    }
}

// The same frames as an OpenDML AVI file and as a movie, of each frame the first `stored` bytes; both paths.
std::pair<std::string, std::string> WritePair(const std::string& folder, const std::string& name, int frames,
                                              std::size_t stored)
{
    const fixture::ClipOptions clip = bench::SceneClip(fixture::AviIndex::OpenDml, frames, true);
    const std::string avi = folder + "/" + name + ".avi", movie = folder + "/" + name + ".mov";
    std::string error;
    fixture::AviWriterOptions aviOptions = fixture::ClipWriterOptions(clip);
    aviOptions.sparseFrameBytes = stored;
    ExitIf(!fixture::WriteDvAvi(avi, aviOptions, fixture::MakeCamcorderFrameSource(clip), nullptr, &error),
           avi + ": " + error);
    fixture::QuickTimeWriterOptions options;
    options.frameCount = frames;
    options.storedFrameBytes = stored;
    ExitIf(!fixture::WriteQuickTime(movie, options, fixture::MakeCamcorderFrameSource(clip), nullptr, &error),
           movie + ": " + error);
    return {avi, movie};
}

double IndexMs(const std::string& path, std::size_t frames)
{
    CDvAviReader reader;
    bool built = false;
    const double ms = bench::TimeMs([&] { built = reader.Open(path.c_str()) && reader.BuildIndex(); });
    ExitIf(!built || reader.FrameOffsets().size() != frames, "cannot index " + path);
    return ms;
}

double ScanMs(const std::string& path, std::size_t scenes)
{
    CDvAviReader reader;
    ExitIf(!reader.Open(path.c_str()) || !reader.BuildIndex(), "cannot index " + path);
    bool scanned = false;
    const double ms = bench::TimeMs([&] { scanned = reader.ScanScenes(nullptr); });
    ExitIf(!scanned || reader.SceneStarts().size() + 1 != scenes, "cannot scan " + path);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = bench::Folder(argc, argv);
    const auto [indexAvi, indexMovie] = WritePair(folder, "zv-qt-bench-index", kIndexFrames, 16);
    const auto [scanAvi, scanMovie] = WritePair(folder, "zv-qt-bench-scan", kScanFrames, fixture::kDifSequenceBytes);
    std::vector<double> avi, movie, aviScan, movieScan;
    IndexMs(indexAvi, kIndexFrames);   // both warm before the first timed run
    IndexMs(indexMovie, kIndexFrames);
    for (int run = 0; run < kRuns; ++run) {   // in turns, so a busy moment costs both
        avi.push_back(IndexMs(indexAvi, kIndexFrames));
        movie.push_back(IndexMs(indexMovie, kIndexFrames));
        aviScan.push_back(ScanMs(scanAvi, kScanFrames / 400));
        movieScan.push_back(ScanMs(scanMovie, kScanFrames / 400));
    }
    for (const std::string& path : {indexAvi, indexMovie, scanAvi, scanMovie})
        ::unlink(path.c_str());
    bench::PrintRow("index of 90,000 PAL frames, warm: QuickTime sample tables vs AVI OpenDML (ms)", bench::Median(movie),
                    bench::Median(avi), "<=2");
    bench::PrintRow("scene scan of 8,000 PAL frames, warm: QuickTime vs AVI OpenDML (ms)", bench::Median(movieScan),
                    bench::Median(aviScan), "<=1.1");
    return 0;
}
