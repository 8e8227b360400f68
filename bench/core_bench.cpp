// Core benchmarks: painting one strip, indexing a 90,000-frame file, scanning an 8,000-frame file for scenes;
// the same two for a raw DV stream against the same frames in AVI.
// Files come from the fixture writer into a scratch folder (ZV_BENCH_DIR, else /tmp).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <unistd.h>

#include "avi/dv_avi_reader.h"
#include "bench/bench_support.h"
#include "bench/test_pattern.h"
#include "dvmeta/dv_metadata_strip.h"
#include "tests/fixtures/avi_writer.h"
#include "tests/fixtures/raw_dv_writer.h"

namespace {

std::string ScratchPath(const char* name)
{
    return bench::Folder(0, nullptr) + "/" + name;
}

// Writes the file once per process; the benchmarks then read it with a warm cache. An idx1 index addresses
// 4 GiB only, so the 90,000-frame idx1 file holds one DIF sequence per frame: the index is what is measured.
const std::string& Clip(const char* name, fixture::AviIndex index, int frames, bool sparse, bool oneSequence = false)
{
    static std::vector<std::pair<std::string, std::string>> made;
    for (const auto& m : made)
        if (m.first == name)
            return m.second;
    fixture::ClipOptions options = bench::SceneClip(index, frames, sparse);
    if (!sparse)   // the pictures decide what a whole-file analyser costs
        options.pictures = bench::TestPatternPictures(bench::Folder(0, nullptr), fixture::DvSystem::Pal625, 250);
    const std::string path = ScratchPath(name);
    std::string error;
    bool written = false;
    if (oneSequence) {
        const fixture::FrameSource camcorder = fixture::MakeCamcorderFrameSource(options);
        const fixture::FrameSource shortFrames = [&](std::int64_t frame, std::size_t needed, std::vector<std::uint8_t>& data) {
            if (!camcorder(frame, needed, data))
                return false;
            data.resize(12000);
            return true;
        };
        written = fixture::WriteDvAvi(path, fixture::ClipWriterOptions(options), shortFrames, nullptr, &error);
    } else {
        written = fixture::WriteCamcorderClip(path, options, &error);
    }
    if (!written) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
        std::exit(1);
    }
    made.emplace_back(name, path);
    return made.back().second;
}

std::vector<std::uint8_t> FirstFrameOf(const std::string& path)
{
    CDvAviReader reader;
    if (!reader.Open(path.c_str()) || !reader.BuildIndex())
        std::exit(1);
    std::vector<std::uint8_t> frame(144000);
    if (pread(reader.Fd(), frame.data(), frame.size(), reader.FrameOffsets()[10]) != 144000)
        std::exit(1);
    return frame;
}

void BM_StripPerFrame(benchmark::State& state)
{
    const std::vector<std::uint8_t> frame = FirstFrameOf(Clip("zv-bench-scan.avi", fixture::AviIndex::Idx1Absolute, 8000, false));
    CDvMetadataStrip strip;
    strip.SetOverlaySize(700, 100);
    strip.SetIs625(true);
    strip.OfferNominalWidth();  // 768 x 100
    std::int64_t n = 0;
    for (auto _ : state) {
        ++n;
        benchmark::DoNotOptimize(strip.Transform(frame.data(), frame.size(), &n));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StripPerFrame)->Unit(benchmark::kMicrosecond);

void BM_BuildIndex(benchmark::State& state, fixture::AviIndex index, const char* name)
{
    const std::string& path = Clip(name, index, 90000, true, index != fixture::AviIndex::OpenDml);
    for (auto _ : state) {
        CDvAviReader reader;
        if (!reader.Open(path.c_str()) || !reader.BuildIndex()) {
            state.SkipWithError("index failed");
            return;
        }
        benchmark::DoNotOptimize(reader.FrameOffsets().size());
    }
}
BENCHMARK_CAPTURE(BM_BuildIndex, idx1_90000, fixture::AviIndex::Idx1Absolute, "zv-bench-idx1.avi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildIndex, opendml_90000, fixture::AviIndex::OpenDml, "zv-bench-odml.avi")
    ->Unit(benchmark::kMillisecond);

void BM_ScanScenes(benchmark::State& state)
{
    const std::string& path = Clip("zv-bench-scan.avi", fixture::AviIndex::Idx1Absolute, 8000, false);
    CDvAviReader reader;
    if (!reader.Open(path.c_str()) || !reader.BuildIndex()) {
        state.SkipWithError("index failed");
        return;
    }
    for (auto _ : state) {
        if (!reader.ScanScenes(nullptr)) {
            state.SkipWithError("scan failed");
            return;
        }
    }
    state.counters["frames_per_s"] = benchmark::Counter(
        static_cast<double>(reader.FrameOffsets().size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["scenes"] = static_cast<double>(reader.SceneStarts().size() + 1);
}
BENCHMARK(BM_ScanScenes)->Unit(benchmark::kMillisecond)->UseRealTime();   // frames per second of wall time

// Our whole scene listing (`zenk-vuvaz --scenes`) and the third-party analyser's scene analysis on the same
// file, whole process against whole process, warm cache, best of several runs each.
void CompareWithThirdPartyAnalyser()
{
    const std::string& path = Clip("zv-bench-scan.avi", fixture::AviIndex::Idx1Absolute, 8000, false);
    if (std::system("command -v mediainfo >/dev/null 2>&1") != 0) {
        std::printf("mediainfo not installed: no comparison\n");
        return;
    }
    const std::string theirs = "mediainfo --File_DvDif_Analysis=1 --ParseSpeed=1 "
                               "\"--Inform=Video;%Errors_Stats_End_05%\" '" + path + "' >/dev/null";
    const std::string ours = std::string(ZV_BUILD_DIR) + "/zenk-vuvaz --scenes '" + path + "' >/dev/null";
    std::system(theirs.c_str());   // warm the cache for both
    double oursMs = 1e9;
    double theirsMs = 1e9;
    bool failed = false;
    for (int i = 0; i < 5; ++i) {
        oursMs = std::min(oursMs, bench::TimeMs([&] { failed |= std::system(ours.c_str()) != 0; }));
        theirsMs = std::min(theirsMs, bench::TimeMs([&] { failed |= std::system(theirs.c_str()) != 0; }));
    }
    if (failed) {
        std::printf("scene listing comparison: a run failed\n");
        return;
    }
    std::printf("scene listing of 8000 PAL frames, whole process, best of 5: zenk-vuvaz --scenes %.1f ms, "
                "mediainfo %.1f ms, %.1fx faster\n", oursMs, theirsMs, theirsMs / oursMs);
    bench::PrintRow("scene listing warm, whole process: zenk-vuvaz --scenes vs mediainfo (ms)", oursMs, theirsMs, "-");
}

// Median wall milliseconds of `runs` opens and indexes of path (or of the scene scans after them), after one
// run that warms the cache.
double ReaderMs(const std::string& path, int runs, bool scan)
{
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {
        CDvAviReader reader;
        const auto index = [&] {
            if (!reader.Open(path.c_str()) || !reader.BuildIndex())
                std::exit(1);
        };
        const double indexMs = bench::TimeMs(index);
        const double scanMs = scan ? bench::TimeMs([&] {
            if (!reader.ScanScenes(nullptr))
                std::exit(1);
        }) : 0;
        if (i > 0)
            times.push_back(scan ? scanMs : indexMs);
    }
    return bench::Median(times);
}

// A raw DV stream's index is computed from its size, so it costs less than walking an OpenDML index of as
// many frames; its scene scan reads the same frames the AVI scan reads, so it costs the same. The two files
// of each pair are measured in turn in this one run.
void CompareRawDvWithAvi()
{
    fixture::ClipOptions sparse = bench::SceneClip(fixture::AviIndex::OpenDml, 90000, true);
    fixture::AviWriterOptions writer = fixture::ClipWriterOptions(sparse);
    writer.sparseFrameBytes = 80;   // the header block: nothing of the frames is read
    const std::string raw = ScratchPath("zv-bench-index.dv");
    std::string error;
    if (!fixture::WriteRawDv(raw, writer, fixture::MakeCamcorderFrameSource(sparse), &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", raw.c_str(), error.c_str());
        std::exit(1);
    }
    const std::string& odml = Clip("zv-bench-odml.avi", fixture::AviIndex::OpenDml, 90000, true);
    const double rawIndex = ReaderMs(raw, 9, false);
    const double odmlIndex = ReaderMs(odml, 9, false);
    ::unlink(raw.c_str());
    bench::PrintRow("index of 90000 frames: raw DV vs AVI OpenDML (ms)", rawIndex, odmlIndex, "<=0.25");

    const std::string& avi = Clip("zv-bench-scan.avi", fixture::AviIndex::Idx1Absolute, 8000, false);
    fixture::ClipOptions same = bench::SceneClip(fixture::AviIndex::Idx1Absolute, 8000, false);
    same.pictures = bench::TestPatternPictures(bench::Folder(0, nullptr), fixture::DvSystem::Pal625, 250);
    same.wrapper = fixture::ClipWrapper::RawDv;
    const std::string stream = ScratchPath("zv-bench-scan.dv");
    if (!fixture::WriteCamcorderClip(stream, same, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", stream.c_str(), error.c_str());
        std::exit(1);
    }
    std::vector<double> rawScan;
    std::vector<double> aviScan;
    for (int i = 0; i < 5; ++i) {
        rawScan.push_back(ReaderMs(stream, 1, true));
        aviScan.push_back(ReaderMs(avi, 1, true));
    }
    ::unlink(stream.c_str());
    bench::PrintRow("scene scan of 8000 frames, warm: raw DV vs AVI (ms)", bench::Median(rawScan), bench::Median(aviScan),
                    "<=1.1");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CompareWithThirdPartyAnalyser();
    CompareRawDvWithAvi();
    return 0;
}
