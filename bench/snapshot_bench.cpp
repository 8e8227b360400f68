// The still-picture export against ffmpeg on the same frame, whole process against whole process:
//   zenk-vuvaz --snapshot FILE --frame 4000 --output X.png
//   ffmpeg -v error -ss T -i FILE -frames:v 1 OUT.png        (T = 160 s, the start of frame 4000)
// on an 8,000-frame PAL clip from the fixture writer (its pictures are the flat DC-only patches, kept here because
// their identity code proves which frame each picture shows). Wall time, median of several runs each, the two taken in turns so both see the
// same load; both pictures are read back to prove they show frame 4000. Goal: ratio at most 1.1.
// Usage: snapshot_bench [work folder]   (default $ZV_BENCH_DIR, else /tmp; the clip is removed afterwards)

#include "bench/bench_support.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/frame_identity.h"

#include <QGuiApplication>
#include <QImage>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kClipFrames = 8000;
constexpr int kShownFrame = 4000;
constexpr int kRuns = 9;

// Wall milliseconds of one run of argv (output to /dev/null), or -1 when it fails to start or exits non-zero.
double TimedRun(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

int ShownFrame(const std::string& png)
{
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        return -1;
    }
    return fixture::DecodedFrameIdentity(image.constBits(), image.width(), image.height(),
                                         static_cast<std::size_t>(image.bytesPerLine()), fixture::PixelLayout::Rgbx32);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string folder = bench::Folder(argc, argv);
    const std::string clip = folder + "/snapshot_bench_8000.avi";
    fixture::ClipOptions options;
    options.scenes = {{{2005, 3, 1, 12, 0, 0}, kClipFrames}};
    std::string error;
    if (!fixture::WriteCamcorderClip(clip, options, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", clip.c_str(), error.c_str());
        return 1;
    }
    const std::string ours = folder + "/snapshot_bench_ours.png";
    const std::string theirs = folder + "/snapshot_bench_ffmpeg.png";
    const std::vector<std::string> snapshot = {std::string(ZV_BUILD_DIR) + "/zenk-vuvaz", "--snapshot", clip,
                                               "--frame", std::to_string(kShownFrame), "--output", ours};
    const std::vector<std::string> ffmpeg = {"ffmpeg", "-v", "error", "-y", "-ss", std::to_string(kShownFrame / 25),
                                             "-i", clip, "-frames:v", "1", theirs};
    // One run of each first: caches (the file's pages, GStreamer's registry, fonts) warm for both.
    std::vector<double> oursMs;
    std::vector<double> theirsMs;
    bool failed = TimedRun(snapshot) < 0 || TimedRun(ffmpeg) < 0;
    for (int i = 0; i < kRuns && !failed; ++i) {
        oursMs.push_back(TimedRun(snapshot));
        theirsMs.push_back(TimedRun(ffmpeg));
        failed = oursMs.back() < 0 || theirsMs.back() < 0;
    }
    const int oursFrame = ShownFrame(ours);
    const int theirsFrame = ShownFrame(theirs);
    std::remove(clip.c_str());
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    std::remove((folder + "/snapshot_bench_ours.strip.png").c_str());
    if (failed) {
        std::fprintf(stderr, "snapshot bench: a run failed (zenk-vuvaz or ffmpeg)\n");
        return 1;
    }
    const double a = bench::Median(oursMs);
    const double b = bench::Median(theirsMs);
    std::printf("snapshot of frame %d of %d, median wall ms over %d runs: zenk-vuvaz %.1f, ffmpeg %.1f, "
                "ratio %.2f (goal <= 1.1); frames shown: %d and %d\n",
                kShownFrame, kClipFrames, kRuns, a, b, b > 0 ? a / b : 0.0, oursFrame, theirsFrame);
    bench::PrintRow("snapshot of frame 4000, whole process: zenk-vuvaz vs ffmpeg (ms)", a, b, "<=1.1");
    return oursFrame == kShownFrame && theirsFrame == kShownFrame ? 0 : 1;
}
