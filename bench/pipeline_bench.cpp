// Pipeline figures on a 10 s PAL clip of detailed pictures (a moving test pattern), in-process against
// in-process:
//   - CPU seconds to play it through the player's pipeline (picture, strip, sound to a synced fake sink),
//     from the start of BuildGraph through the first Pause to the end, against a bare decode pipeline
//     parsed, paused and played to its end in this process (goal: ratio <= 1.2);
//   - the strip element's CPU cost per frame inside a pipeline;
//   - median latency of SeekToFrame (<= 50 ms) and StepFrame (<= 30 ms) while paused, and of BuildGraph plus
//     the first Pause (<= 300 ms); in the table the peer column of these is the bound itself.
// Usage: pipeline_bench [work folder]   (the clip is written there and removed afterwards; default
// $ZV_BENCH_DIR, else /tmp)

#include "dvfilter/gst_dv_metadata_filter.h"
#include "playback/playback_graph.h"
#include "bench/bench_support.h"
#include "bench/test_pattern.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kClipFrames = 250;   // 10 s at 25 frames/s

// CPU seconds of description parsed, paused and played to its end in this process.
double BareDecodeCpuSeconds(const std::string& description)
{
    const double before = bench::CpuSeconds(false);
    GError* error = nullptr;
    zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_parse_launch(description.c_str(), &error));
    zv::GErrorPtr owner(error);
    if (!pipeline || error != nullptr)
        return -1;
    gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
    gst_element_get_state(pipeline.get(), nullptr, nullptr, 10 * GST_SECOND);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    zv::GstPtr<GstBus> bus = zv::AdoptObject(gst_element_get_bus(pipeline.get()));
    zv::MessagePtr done(gst_bus_timed_pop_filtered(bus.get(), 30 * GST_SECOND,
                                                   static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return bench::CpuSeconds(false) - before;
}

double PlayThroughPlayerPipeline(const std::string& path)
{
    const double before = bench::CpuSeconds(false);
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    if (FAILED(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100)) || FAILED(graph.Pause())) {
        std::fprintf(stderr, "build failed: %s\n", graph.m_szError);
        return -1;
    }
    graph.Run();
    zv::MessagePtr done(gst_bus_timed_pop_filtered(graph.m_pEvent.get(), 30 * GST_SECOND,
                                                   static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    graph.Stop();
    return bench::CpuSeconds(false) - before;
}

// Time the strip element spends on each frame: from a buffer entering its sink pad to the strip leaving
// its source pad (the element works on the streaming thread, so this is its own per-frame work).
struct StripTiming {
    std::chrono::steady_clock::time_point entered;
    std::vector<double> perFrameMs;
};

GstPadProbeReturn OnStripInput(GstPad*, GstPadProbeInfo*, gpointer data)
{
    static_cast<StripTiming*>(data)->entered = std::chrono::steady_clock::now();
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn OnStripOutput(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto* timing = static_cast<StripTiming*>(data);
    timing->perFrameMs.push_back(bench::Milliseconds(std::chrono::steady_clock::now() - timing->entered));
    return GST_PAD_PROBE_OK;
}

std::vector<double> StripCostPerFrame(const std::string& path)
{
    StripTiming timing;
    timing.perFrameMs.reserve(kClipFrames);
    GError* error = nullptr;
    zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_parse_launch(
        ("filesrc location=\"" + path + "\" ! avidemux name=d d.video_0 ! queue ! dvmetadatafilter name=strip ! fakesink sync=false").c_str(),
        &error));
    zv::GErrorPtr owner(error);
    if (!pipeline || error != nullptr) {
        std::fprintf(stderr, "strip pipeline: %s\n", error != nullptr ? error->message : "not made");
        return {};
    }
    zv::GstPtr<GstElement> strip = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(pipeline.get()), "strip"));
    zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(strip.get(), "sink"));
    zv::GstPtr<GstPad> output = zv::AdoptObject(gst_element_get_static_pad(strip.get(), "src"));
    gst_pad_add_probe(input.get(), GST_PAD_PROBE_TYPE_BUFFER, OnStripInput, &timing, nullptr);
    gst_pad_add_probe(output.get(), GST_PAD_PROBE_TYPE_BUFFER, OnStripOutput, &timing, nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    zv::GstPtr<GstBus> bus = zv::AdoptObject(gst_element_get_bus(pipeline.get()));
    zv::MessagePtr done(gst_bus_timed_pop_filtered(bus.get(), 60 * GST_SECOND,
                                                   static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (done && GST_MESSAGE_TYPE(done.get()) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(done.get(), &failure, nullptr);
        zv::GErrorPtr failureOwner(failure);
        std::fprintf(stderr, "strip pipeline: %s\n", failure != nullptr ? failure->message : "error");
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return timing.perFrameMs;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    gst_init(&argc, &argv);
    RegisterDvMetadataFilter();
    const std::string folder = bench::Folder(argc, argv);
    const std::string path = folder + "/pipeline_bench_pal_10s.avi";

    fixture::ClipOptions options;
    options.system = fixture::DvSystem::Pal625;
    options.layout = fixture::AviLayout::Type2WithAudio;
    options.scenes = {{{2005, 3, 1, 12, 0, 0}, kClipFrames}};
    options.pictures = bench::TestPatternPictures(folder, fixture::DvSystem::Pal625, kClipFrames);
    if (options.pictures == nullptr)
        return 1;
    bench::WriteClipOrExit(path, options);

    // 1. Playing 10 s: ours against a bare decode.
    const double ours = PlayThroughPlayerPipeline(path);
    const double bare = BareDecodeCpuSeconds("filesrc location=\"" + path + "\""
                                             + " ! avidemux ! queue ! avdec_dvvideo ! videoconvert ! fakesink sync=true");
    std::printf("play 10 s, CPU seconds: player pipeline %.3f, bare decode %.3f, ratio %.2f (goal <= 1.2)\n", ours, bare,
                bare > 0 ? ours / bare : 0.0);

    // 2. The strip element's own work per frame (the first frame also creates the strip and its font).
    std::vector<double> strip = StripCostPerFrame(path);
    if (strip.size() > 1) {
        strip.erase(strip.begin());
    }
    std::printf("strip element: median %.3f ms per frame over %zu frames\n", bench::Median(strip), strip.size());
    const double stripSeconds = bench::Median(strip) * kClipFrames / 1000.0;
    bench::PrintRow("play 10 s, build to end, in-process: player pipeline vs bare decode (CPU s)", ours, bare, "<=1.2",
                    bench::Format("beyond the bare decode ours also splits out and plays the sound and reads every "
                                  "frame's packs into the strip (the strip element alone %.3f s of the %.3f s more)",
                                  stripSeconds, ours - bare));

    // 3. Latencies, paused.
    std::vector<double> builds;
    for (int i = 0; i < 7; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CPlaybackGraph graph;
        graph.SetAudioSinkFactory("fakesink");
        if (FAILED(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100)) || FAILED(graph.Pause())) {
            std::fprintf(stderr, "build failed: %s\n", graph.m_szError);
            return 1;
        }
        builds.push_back(bench::Milliseconds(std::chrono::steady_clock::now() - start));
    }
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100);
    graph.Pause();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int64_t> frames(0, kClipFrames - 2);
    std::vector<double> seeks;
    std::vector<double> steps;
    for (int i = 0; i < 41; ++i) {
        auto start = std::chrono::steady_clock::now();
        graph.SeekToFrame(frames(random));
        seeks.push_back(bench::Milliseconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        graph.StepFrame(i % 2 == 0);
        steps.push_back(bench::Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("median latency: SeekToFrame %.1f ms (goal <= 50), StepFrame %.1f ms (goal <= 30), "
                "BuildGraph + first Pause %.1f ms (goal <= 300)\n",
                bench::Median(seeks), bench::Median(steps), bench::Median(builds));
    bench::PrintRow("strip element per frame (ms; no peer)", bench::Median(strip), 0, "-");
    bench::PrintRow("SeekToFrame paused, median (ms; peer = the bound)", bench::Median(seeks), 50, "<=1");
    bench::PrintRow("StepFrame paused, median (ms; peer = the bound)", bench::Median(steps), 30, "<=1");
    bench::PrintRow("BuildGraph + first Pause, median (ms; peer = the bound)", bench::Median(builds), 300, "<=1");
    std::remove(path.c_str());
    return 0;
}
