// The scene listing and the OpenDML index walk with the file out of the page cache, as a user meets them on a
// file just captured or copied, and again warm. Each side is one run of listing_probe (its own process; the
// figure is the wall time of its in-process work, so in-process against in-process):
//   ours        the reader as built;
//   today       the reader as it was before it learnt read-ahead, built from that commit's own sources
//               (listing_probe_today): one read after another;
//   look-ahead  the reads the listing makes, plain, with WILLNEED hints ahead (64 frames for the scan; for the
//               walk every index the reader reads, the standard indexes of pictures and sound and the idx1 it
//               checks, at once): the bound a read-ahead scheme can reach. The walk is also set against the
//               pictures' indexes alone (no goal), what a reader that checked nothing else would read.
// The sides take turns, the one to start rotating with each repetition; cold, each run follows its own
// eviction, and the bench checks with mincore that no page of the file is left in the cache. Medians of
// many repetitions, and of the per-repetition ratios, since single cold runs on a shared disk wander.
// Files: 8,000 PAL frames of detailed pictures (idx1, type-2 with sound, 1.2 GB on disk), and a sparse
// OpenDML file of 180,000 frames in 512 MiB RIFF forms (51 forms over 27 GB, each ending in the standard
// indexes of its pictures and its sound: 102 indexes, 2.9 MB).
// Usage: cold_scan_bench [work folder]   (default $ZV_BENCH_DIR, else /tmp; the files are removed afterwards
// unless ZV_BENCH_KEEP is set, in which case files already there are measured again)

#include "bench/bench_support.h"
#include "bench/test_pattern.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kScanFrames = 8000;
constexpr int kWalkFrames = 180000;
constexpr std::uint64_t kWalkFormBytes = std::uint64_t{512} << 20;
constexpr int kColdRuns = 9;
constexpr int kWarmRuns = 41;

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

// An eviction that leaves pages behind (a file system that ignores the advice, a page someone maps) would
// measure the cache: the bench stops rather than print such figures.
void EvictOrExit(const std::string& path)
{
    for (int attempt = 0; attempt < 3; ++attempt)
        if (bench::EvictFromCache(path) && bench::ResidentPages(path) == 0)
            return;
    ExitIf(true, "cannot evict " + path + " from the page cache (" + std::to_string(bench::ResidentPages(path))
                     + " pages stay)");
}

struct Side {
    std::string name;
    std::string command;
    std::vector<double> ms;
};

// Runs every side `runs` times in turns; ours (side 0) and today (side 1) must find the same.
void Measure(const std::string& path, bool cold, int runs, std::vector<Side>& sides)
{
    std::vector<long> found(sides.size(), -1);
    for (int r = 0; r < runs; ++r) {
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const std::size_t side = (k + static_cast<std::size_t>(r)) % sides.size();
            if (cold)
                EvictOrExit(path);
            const Probe p = RunProbe(sides[side].command);
            sides[side].ms.push_back(p.ms);
            found[side] = p.found;
        }
    }
    std::fprintf(stderr, "cold_scan_bench: %d %s runs of %s measured\n", runs, cold ? "cold" : "warm", path.c_str());
    ExitIf(sides.size() > 1 && sides[1].name == "today" && found[0] != found[1],
           "the sides disagree on what they found in " + path);
}

double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

// ours / peer of each repetition: the two ran next to each other, so the load of the moment cancels.
std::vector<double> PairedRatios(const Side& ours, const Side& peer)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.ms.size() && i < peer.ms.size(); ++i)
        ratios.push_back(peer.ms[i] > 0 ? ours.ms[i] / peer.ms[i] : 0);
    return ratios;
}

void PrintSides(const std::string& what, const char* cache, const std::vector<Side>& sides)
{
    std::printf("%s, %s, ms (median [quartiles]):", what.c_str(), cache);
    for (const Side& s : sides)
        std::printf(" %s %.2f [%.2f-%.2f]", s.name.c_str(), bench::Median(s.ms), Quantile(s.ms, 0.25),
                    Quantile(s.ms, 0.75));
    std::printf("\n");
    for (std::size_t k = 1; k < sides.size(); ++k) {
        const std::vector<double> r = PairedRatios(sides[0], sides[k]);
        std::printf("  ours / %s per repetition: median %.3f [%.3f-%.3f]\n", sides[k].name.c_str(), bench::Median(r),
                    Quantile(r, 0.25), Quantile(r, 0.75));
    }
}

const Side* Named(const std::vector<Side>& sides, const char* name)
{
    for (const Side& s : sides)
        if (s.name == name)
            return &s;
    return nullptr;
}

void Report(const std::string& what, const std::vector<Side>& cold, const std::vector<Side>& warm)
{
    PrintSides(what, "cold", cold);
    PrintSides(what, "warm", warm);
    const Side* lookAhead = Named(cold, "look-ahead");
    bench::PrintRow(what + ", cold: ours vs look-ahead loop (ms)", bench::Median(cold[0].ms),
                    bench::Median(lookAhead->ms), "<=1.5");
    if (const Side* videoOnly = Named(cold, "video-only look-ahead"))
        bench::PrintRow(what + ", cold: ours vs look-ahead of the pictures' indexes alone (ms)",
                        bench::Median(cold[0].ms), bench::Median(videoOnly->ms), "-");
    const Side* coldToday = Named(cold, "today");
    const Side* warmToday = Named(warm, "today");
    if (coldToday == nullptr || warmToday == nullptr) {
        std::printf("no build of today's reader (the git history is missing): no figures against it\n");
        return;
    }
    if (bench::Median(coldToday->ms) < 2 * bench::Median(warmToday->ms))
        std::printf("  (cold is barely slower than warm: this file system may keep the file cached)\n");
    bench::PrintRow(what + ", cold: ours vs today (ms)", bench::Median(cold[0].ms), bench::Median(coldToday->ms),
                    "<=0.25",
                    bench::Format("the look-ahead loop, the bound of any read-ahead, takes %.3f of today's time; ours "
                                  "%.2fx that loop", bench::Median(lookAhead->ms) / bench::Median(coldToday->ms),
                                  bench::Median(cold[0].ms) / bench::Median(lookAhead->ms)));
    const std::vector<double> paired = PairedRatios(warm[0], *warmToday);
    bench::PrintRow(what + ", warm: ours vs today (ms)", bench::Median(warm[0].ms), bench::Median(warmToday->ms),
                    "<=1.05",
                    bench::Format("the repetitions' own ratios span %.3f-%.3f between their quartiles",
                                  Quantile(paired, 0.25), Quantile(paired, 0.75)));
}

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), R_OK) == 0;
}

void WriteFiles(const std::string& folder, const std::string& scanPath, const std::string& walkPath)
{
    if (!Exists(scanPath)) {
        fixture::ClipOptions scanClip = bench::SceneClip(fixture::AviIndex::Idx1Absolute, kScanFrames, false);
        scanClip.pictures = bench::TestPatternPictures(folder, fixture::DvSystem::Pal625, 250);
        ExitIf(scanClip.pictures == nullptr, "no test pattern");
        bench::WriteClipOrExit(scanPath, scanClip);
    }
    if (!Exists(walkPath)) {
        const fixture::ClipOptions walkClip = bench::SceneClip(fixture::AviIndex::OpenDml, kWalkFrames, true);
        fixture::AviWriterOptions writer = fixture::ClipWriterOptions(walkClip);
        writer.riffSizeLimit = kWalkFormBytes;
        writer.sparseFrameBytes = 80;   // the walk reads no frame data beyond the first chunk's
        std::string error;
        ExitIf(!fixture::WriteDvAvi(walkPath, writer, fixture::MakeCamcorderFrameSource(walkClip), nullptr, &error), error);
    }
}

std::vector<Side> Sides(const std::string& ours, const std::string& today, const std::string& lookAhead)
{
    std::vector<Side> sides{{"ours", ours, {}}};
#ifdef ZV_BENCH_HAS_TODAY
    sides.push_back({"today", today, {}});
#else
    (void)today;
#endif
    sides.push_back({"look-ahead", lookAhead, {}});
    return sides;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = bench::Folder(argc, argv);
    const std::string scanPath = folder + "/cold_scan_8000.avi";
    const std::string walkPath = folder + "/cold_walk_odml_" + std::to_string(kWalkFrames) + ".avi";
    const auto start = std::chrono::steady_clock::now();
    WriteFiles(folder, scanPath, walkPath);
    std::fprintf(stderr, "cold_scan_bench: files ready in %.1f s\n",
                 bench::Milliseconds(std::chrono::steady_clock::now() - start) / 1000);

    const std::string probe = std::string(ZV_BENCH_BIN_DIR) + "/listing_probe";
    const auto quoted = [](const std::string& path) { return " '" + path + "'"; };
    std::vector<Side> scanCold = Sides(probe + " scan" + quoted(scanPath), probe + "_today scan" + quoted(scanPath),
                                       probe + " look-ahead-scan" + quoted(scanPath));
    std::vector<Side> walkCold = Sides(probe + " walk" + quoted(walkPath), probe + "_today walk" + quoted(walkPath),
                                       probe + " look-ahead-walk" + quoted(walkPath));
    walkCold.push_back({"video-only look-ahead", probe + " look-ahead-video-walk" + quoted(walkPath), {}});
    std::vector<Side> scanWarm = scanCold;
    std::vector<Side> walkWarm = walkCold;
    Measure(scanPath, true, kColdRuns, scanCold);
    Measure(scanPath, false, kWarmRuns, scanWarm);
    Measure(walkPath, true, kColdRuns, walkCold);
    Measure(walkPath, false, kWarmRuns, walkWarm);
    if (std::getenv("ZV_BENCH_KEEP") == nullptr) {
        std::remove(scanPath.c_str());
        std::remove(walkPath.c_str());
    }
    std::fprintf(stderr, "cold_scan_bench: done in %.1f s\n", bench::Milliseconds(std::chrono::steady_clock::now() - start) / 1000);
    Report("scene listing, 8000 PAL frames", scanCold, scanWarm);
    Report("OpenDML index walk, " + std::to_string(kWalkFrames) + " frames in 512 MiB forms", walkCold, walkWarm);
    return 0;
}
