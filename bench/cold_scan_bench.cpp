// The scene listing and the OpenDML index walk with the file out of the page cache, as a user meets them on a
// file just captured or copied, and again warm. Each side is one run of listing_probe (its own process; the
// figure is the wall time of its in-process work, so in-process against in-process), the three taken in turns,
// each after its own eviction when cold:
//   ours        the reader as built (read-ahead hints when the disk makes it wait);
//   today       the same reader built without hints (listing_probe_today): the reads one after another;
//   look-ahead  the reads the listing needs, plain, with WILLNEED hints ahead (64 frames for the scan; every
//               standard index at once for the walk): the bound a read-ahead scheme can reach.
// Files: 8,000 PAL frames of detailed pictures (idx1, type-2 with sound, 1.2 GB on disk), and a sparse
// 90,000-frame OpenDML file of 1 GiB RIFF forms (13 standard indexes, one at the end of each form).
// Usage: cold_scan_bench [work folder]   (default $ZV_BENCH_DIR, else /tmp; the files are removed afterwards)

#include "bench/bench_support.h"
#include "bench/test_pattern.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kScanFrames = 8000;
constexpr int kWalkFrames = 90000;
constexpr int kColdRuns = 3;
constexpr int kWarmRuns = 9;

void ExitIf(bool failed, const std::string& what)
{
    if (failed) {
        std::fprintf(stderr, "cold_scan_bench: %s\n", what.c_str());
        std::exit(1);
    }
}

struct Probe {
    double ms = -1;
    long found = -1;
};

Probe RunProbe(const std::string& command)
{
    Probe p;
    FILE* out = popen(command.c_str(), "r");
    ExitIf(out == nullptr || std::fscanf(out, "%lf %ld", &p.ms, &p.found) != 2, "no result from " + command);
    ExitIf(pclose(out) != 0, command + " failed");
    return p;
}

struct Sides {
    std::vector<double> ours, today, lookAhead;
};

// commands: ours, today, look-ahead. Medians over the runs; ours and today must find the same.
Sides Measure(const std::string& path, bool cold, int runs, const std::vector<std::string>& commands)
{
    Sides s;
    std::vector<double>* lists[] = {&s.ours, &s.today, &s.lookAhead};
    std::vector<long> found(commands.size(), -1);
    for (int r = 0; r < runs; ++r) {
        for (std::size_t side = 0; side < commands.size(); ++side) {
            ExitIf(cold && !bench::EvictFromCache(path), "cannot evict " + path + " from the page cache");
            const Probe p = RunProbe(commands[side]);
            lists[side]->push_back(p.ms);
            found[side] = p.found;
        }
    }
    std::fprintf(stderr, "cold_scan_bench: %d %s runs of %s measured\n", runs, cold ? "cold" : "warm", path.c_str());
    ExitIf(found[0] != found[1], "the sides disagree on what they found in " + path);
    return s;
}

void Report(const std::string& what, const Sides& cold, const Sides& warm)
{
    const double ours = bench::Median(cold.ours);
    const double today = bench::Median(cold.today);
    std::printf("%s, median ms: cold ours %.1f, today %.1f, look-ahead %.1f; warm ours %.2f, today %.2f, "
                "look-ahead %.2f\n", what.c_str(), ours, today, bench::Median(cold.lookAhead), bench::Median(warm.ours),
                bench::Median(warm.today), bench::Median(warm.lookAhead));
    if (today < 2 * bench::Median(warm.today))
        std::printf("  (cold is barely slower than warm: this file system may keep the file cached)\n");
    bench::PrintRow(what + ", cold: ours vs look-ahead loop (ms)", ours, bench::Median(cold.lookAhead), "<=1.5");
    bench::PrintRow(what + ", cold: ours vs today (ms)", ours, today, "<=0.25");
    // Warm runs take some 20 ms and wander by a few per cent between runs on a loaded machine.
    bench::PrintRow(what + ", warm: ours vs today (ms)", bench::Median(warm.ours), bench::Median(warm.today), "<=1.05");
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = bench::Folder(argc, argv);
    const std::string scanPath = folder + "/cold_scan_8000.avi";
    const std::string walkPath = folder + "/cold_walk_odml_90000.avi";
    const auto start = std::chrono::steady_clock::now();
    fixture::ClipOptions scanClip = bench::SceneClip(fixture::AviIndex::Idx1Absolute, kScanFrames, false);
    scanClip.pictures = bench::TestPatternPictures(folder, fixture::DvSystem::Pal625, 250);
    ExitIf(scanClip.pictures == nullptr, "no test pattern");
    bench::WriteClipOrExit(scanPath, scanClip);
    const fixture::ClipOptions walkClip = bench::SceneClip(fixture::AviIndex::OpenDml, kWalkFrames, true);
    fixture::AviWriteResult written;
    std::string error;
    ExitIf(!fixture::WriteDvAvi(walkPath, fixture::ClipWriterOptions(walkClip), fixture::MakeCamcorderFrameSource(walkClip),
                                &written, &error), error);
    std::fprintf(stderr, "cold_scan_bench: files written in %.1f s\n",
                 bench::Milliseconds(std::chrono::steady_clock::now() - start) / 1000);

    const std::string probe = std::string(ZV_BENCH_BIN_DIR) + "/listing_probe";
    const std::vector<std::string> scan = {probe + " scan '" + scanPath + "'", probe + "_today scan '" + scanPath + "'",
                                           probe + " look-ahead-scan '" + scanPath + "'"};
    const std::vector<std::string> walk = {probe + " walk '" + walkPath + "'", probe + "_today walk '" + walkPath + "'",
                                           probe + " look-ahead-walk '" + walkPath + "' " + std::to_string(written.superIndex)};
    const Sides scanCold = Measure(scanPath, true, kColdRuns, scan);
    const Sides scanWarm = Measure(scanPath, false, kWarmRuns, scan);
    const Sides walkCold = Measure(walkPath, true, kColdRuns, walk);
    const Sides walkWarm = Measure(walkPath, false, kWarmRuns, walk);
    std::remove(scanPath.c_str());
    std::remove(walkPath.c_str());
    std::fprintf(stderr, "cold_scan_bench: done in %.1f s\n", bench::Milliseconds(std::chrono::steady_clock::now() - start) / 1000);
    Report("scene listing, 8000 PAL frames", scanCold, scanWarm);
    Report("OpenDML index walk, 90000 frames in 13 forms", walkCold, walkWarm);
    return 0;
}
