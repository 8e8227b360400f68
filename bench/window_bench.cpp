// The player's window against gst-launch-1.0 pipelines, whole process against whole process, on a 30 s PAL
// clip of detailed pictures (a moving test pattern) at full size with the built-in renderer:
//   - launch to first picture: from the spawn to the moment the picture is on the screen, found by reading
//     the screen back from the X server (rows every 32 pixels, looking for the pattern's green bar, a look
//     every 2 ms or so), against
//     `filesrc ! avidemux ! avdec_dvvideo ! videoconvert ! videoscale ! ximagesink` (goal: ratio <= 1.3);
//   - CPU per frame while playing (user + system of the process from 3 s to 11 s after the spawn, 200
//     frames at 25 frames/s) against the pipeline that shows the picture and plays the sound (goal <= 0.8)
//     and against a bare decode to a synced fake sink (goal <= 1.5);
//   - resident memory at 11 s against the showing pipeline (goal <= 1.3), and how much of ours is the pages
//     of Qt's own libraries (the peers are GStreamer alone), and the anonymous pages of both (the rest is
//     pages of files: libraries, fonts, the shared picture memory).
// Runs inside an X server (bench/run.sh starts it under xvfb-run). The player's settings are read from a
// scratch folder, so its defaults apply: full decoder resolution, the built-in renderer.
// Usage: window_bench [work folder]   (default $ZV_BENCH_DIR, else /tmp; the clip is removed afterwards)

#include "bench/bench_support.h"
#include "bench/test_pattern.h"

#include <xcb/xcb.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kClipFrames = 750;
constexpr int kFirstPictureRuns = 9;
constexpr int kPlayRuns = 3;
constexpr auto kPlayFrom = 3s;
constexpr auto kPlayTo = 11s;
constexpr double kFramesMeasured = 8 * 25.0;
// The X server serves one request at a time: a bench reading the whole screen back as fast as it can keeps
// it busy, and the program being timed waits behind the bench for the replies to its own requests (Qt's
// start makes many more of them than the peer's). A look reads a row every 32 pixels (about half a
// millisecond of the server's time) and the next one follows after a pause.
constexpr int kRowStep = 32;
constexpr auto kBetweenLooks = 2ms;
constexpr int kGreenPixelsShown = 1000;   // the bar is 120 pixels wide and as tall as the picture: 2,000 in the rows read

// Counts the screen's pure green pixels, reading every kRowStep-th row (all requests sent before the first
// reply is awaited, so a look at the screen costs about one round trip).
class ScreenReader {
public:
    ScreenReader() : m_x(xcb_connect(nullptr, nullptr)) {}
    ~ScreenReader() { xcb_disconnect(m_x); }
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    bool Ok() const { return xcb_connection_has_error(m_x) == 0; }

    int GreenPixels()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        std::vector<xcb_get_image_cookie_t> rows;
        for (int y = 0; y < screen->height_in_pixels; y += kRowStep)
            rows.push_back(xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, static_cast<std::int16_t>(y),
                                         screen->width_in_pixels, 1, ~0u));
        int green = 0;
        for (const xcb_get_image_cookie_t& row : rows) {
            std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(xcb_get_image_reply(m_x, row, nullptr),
                                                                                 &std::free);
            if (!image || image->depth != 24)
                continue;
            const std::uint8_t* p = xcb_get_image_data(image.get());
            const int length = xcb_get_image_data_length(image.get());
            for (int i = 0; i + 3 < length; i += 4)   // B G R X
                green += p[i + 1] > 160 && p[i + 2] < 90 && p[i] < 90 ? 1 : 0;
        }
        return green;
    }

    // The viewable windows at the top of the screen's tree: a program's window counts as shown once it is
    // among them (there is no window manager to reparent it).
    std::vector<xcb_window_t> ViewableWindows()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(m_x, xcb_query_tree(m_x, screen->root), nullptr), &std::free);
        std::vector<xcb_window_t> shown;
        if (!tree)
            return shown;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        std::vector<xcb_get_window_attributes_cookie_t> asked;
        for (int i = 0; i < count; ++i)
            asked.push_back(xcb_get_window_attributes(m_x, children[i]));
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> a(
                xcb_get_window_attributes_reply(m_x, asked[static_cast<std::size_t>(i)], nullptr), &std::free);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
                shown.push_back(children[i]);
        }
        return shown;
    }

private:
    xcb_connection_t* m_x;
};

// A process started by the bench and ended by it (SIGKILL, then waited for).
class Child {
public:
    explicit Child(const std::string& command)
    {
        const std::string exec = "exec " + command + " >/dev/null 2>&1";
        const char* argv[] = {"sh", "-c", exec.c_str(), nullptr};
        m_start = Clock::now();
        if (posix_spawn(&m_pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
    }
    ~Child()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }
    Clock::time_point Start() const { return m_start; }

    // User + system CPU seconds so far, from /proc (the process is not waited for yet).
    double CpuSeconds() const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));   // the name may hold spaces
        std::string field;
        double ticks = 0;
        for (int i = 3; fields >> field && i <= 15; ++i)
            ticks += i >= 14 ? std::stod(field) : 0;   // utime (14) and stime (15)
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    double ResidentMiB() const { return KibFieldMiB("status", "VmRSS:"); }

    // Resident MiB of the pages no file backs (heaps, stacks, the graph's buffers and queued frames): what
    // the process holds beyond the libraries' and fonts' pages.
    double AnonymousMiB() const { return KibFieldMiB("smaps_rollup", "Anonymous:"); }

    // Resident MiB of the mappings whose file path holds part: what a library's own pages weigh.
    double ResidentMiBOfFiles(const std::string& part) const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/smaps");
        bool counted = false;
        double kib = 0;
        for (std::string line; std::getline(in, line);) {
            // A mapping's header line starts with its address range ("7f13ec000000-7f13ec139000 r-xp ...").
            const std::size_t space = line.find(' ');
            if (space != std::string::npos && space > 0 && line.find_first_not_of("0123456789abcdef-") == space) {
                counted = line.find(part) != std::string::npos;
            } else if (counted && line.rfind("Rss:", 0) == 0) {
                kib += std::stod(line.substr(4));
            }
        }
        return kib / 1024.0;
    }

private:
    // The "field N kB" line of one of the process's /proc files, in MiB; 0 without one.
    double KibFieldMiB(const char* file, const std::string& field) const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/" + file);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(field, 0) == 0)
                return std::stod(line.substr(field.size())) / 1024.0;
        return 0;
    }

    pid_t m_pid = -1;
    Clock::time_point m_start;
};

struct FirstPicture {
    double windowMs = -1;    // from the spawn to the program's window being viewable
    double pictureMs = -1;   // from the spawn to the picture on the screen; -1 when it never shows within 10 s
};

// Both moments of one launch: the window's showing splits what the program does before it has a window (for
// ours, starting Qt) from what it does after (building the graph, decoding, painting).
FirstPicture FirstPictureMs(ScreenReader& screen, const std::string& command)
{
    while (screen.GreenPixels() > 0)   // the previous run's window is still going away
        std::this_thread::sleep_for(5ms);
    const std::vector<xcb_window_t> before = screen.ViewableWindows();
    FirstPicture times;
    Child child(command);
    while (Clock::now() - child.Start() < 10s && child.Running()) {
        if (times.windowMs < 0) {
            const std::vector<xcb_window_t> now = screen.ViewableWindows();
            if (std::any_of(now.begin(), now.end(),
                            [&](xcb_window_t w) { return std::find(before.begin(), before.end(), w) == before.end(); }))
                times.windowMs = bench::Milliseconds(Clock::now() - child.Start());
        }
        if (screen.GreenPixels() >= kGreenPixelsShown) {
            times.pictureMs = bench::Milliseconds(Clock::now() - child.Start());
            return times;
        }
        std::this_thread::sleep_for(kBetweenLooks);
    }
    return times;
}

struct Playing {
    double cpuMsPerFrame = 0;
    double residentMiB = 0;
    double qtLibraryMiB = 0;   // of residentMiB, the pages of Qt's own libraries, which the peers never map
    double anonymousMiB = 0;   // of residentMiB, the pages no file backs
};

Playing MeasurePlaying(const std::string& command)
{
    Child child(command);
    std::this_thread::sleep_until(child.Start() + kPlayFrom);
    const double before = child.CpuSeconds();
    std::this_thread::sleep_until(child.Start() + kPlayTo);
    Playing p{(child.CpuSeconds() - before) * 1000.0 / kFramesMeasured, child.ResidentMiB(),
              child.ResidentMiBOfFiles("/libQt6"), child.AnonymousMiB()};
    if (!child.Running())
        p.cpuMsPerFrame = -1;   // it ended or failed before the measurement did
    return p;
}

}  // namespace

int main(int argc, char** argv)
{
    ScreenReader screen;
    if (!screen.Ok()) {
        std::fprintf(stderr, "window_bench: no X server (run it under xvfb-run)\n");
        return 1;
    }
    const std::string folder = bench::Folder(argc, argv);
    const std::string clip = folder + "/window_bench_pal_30s.avi";
    fixture::ClipOptions options;
    options.scenes = {{{2005, 3, 1, 12, 0, 0}, kClipFrames}};
    options.pictures = bench::TestPatternPictures(folder, fixture::DvSystem::Pal625, 250);
    if (options.pictures == nullptr)
        return 1;
    bench::WriteClipOrExit(clip, options);
    setenv("XDG_CONFIG_HOME", (folder + "/window_bench_config").c_str(), 1);

    const std::string ours = std::string(ZV_BUILD_DIR) + "/zenk-vuvaz " + clip;
    const std::string source = "gst-launch-1.0 -q filesrc location=" + clip + " ! avidemux name=d ";
    const std::string shown = source + "d.video_0 ! queue ! avdec_dvvideo ! videoconvert ! videoscale ! ximagesink";
    const std::string showing = shown + " d.audio_0 ! queue ! audioconvert ! audioresample ! autoaudiosink";
    const std::string bare = source + "d.video_0 ! queue ! avdec_dvvideo ! videoconvert ! fakesink sync=true";

    std::vector<double> oursFirst, peerFirst, oursWindow, peerWindow;
    FirstPictureMs(screen, ours);   // caches (the file, the registry, fonts) warm for both
    FirstPictureMs(screen, shown);
    for (int i = 0; i < kFirstPictureRuns; ++i) {
        const FirstPicture a = FirstPictureMs(screen, ours);
        const FirstPicture b = FirstPictureMs(screen, shown);
        oursFirst.push_back(a.pictureMs);
        oursWindow.push_back(a.windowMs);
        peerFirst.push_back(b.pictureMs);
        peerWindow.push_back(b.windowMs);
    }
    std::vector<double> oursCpu, showingCpu, bareCpu, oursMiB, showingMiB, oursQtMiB, oursAnonMiB, showingAnonMiB;
    for (int i = 0; i < kPlayRuns; ++i) {
        const Playing a = MeasurePlaying(ours);
        const Playing b = MeasurePlaying(showing);
        const Playing c = MeasurePlaying(bare);
        oursCpu.push_back(a.cpuMsPerFrame);
        showingCpu.push_back(b.cpuMsPerFrame);
        bareCpu.push_back(c.cpuMsPerFrame);
        oursMiB.push_back(a.residentMiB);
        oursQtMiB.push_back(a.qtLibraryMiB);
        showingMiB.push_back(b.residentMiB);
        oursAnonMiB.push_back(a.anonymousMiB);
        showingAnonMiB.push_back(b.anonymousMiB);
    }
    std::remove(clip.c_str());
    std::printf("launch to first picture, median ms of %d: ours %.0f (window %.0f), gst-launch %.0f (window %.0f)\n",
                kFirstPictureRuns, bench::Median(oursFirst), bench::Median(oursWindow), bench::Median(peerFirst),
                bench::Median(peerWindow));
    std::printf("playing, median of %d: CPU ms per frame ours %.2f, showing pipeline %.2f, bare decode %.2f; "
                "resident MiB ours %.1f, showing pipeline %.1f\n", kPlayRuns, bench::Median(oursCpu),
                bench::Median(showingCpu), bench::Median(bareCpu), bench::Median(oursMiB), bench::Median(showingMiB));
    const double oursWin = bench::Median(oursWindow), peerWin = bench::Median(peerWindow);
    bench::PrintRow("launch to first picture vs gst-launch ximagesink (ms)", bench::Median(oursFirst),
                    bench::Median(peerFirst), "<=1.3",
                    bench::Format("window shown at %.0f ms (peer %.0f), the picture %.0f ms after it (peer %.0f)",
                                  oursWin, peerWin, bench::Median(oursFirst) - oursWin,
                                  bench::Median(peerFirst) - peerWin));
    bench::PrintRow("CPU per frame playing vs showing pipeline with sound (ms)", bench::Median(oursCpu),
                    bench::Median(showingCpu), "<=0.8");
    bench::PrintRow("CPU per frame playing vs bare decode (ms)", bench::Median(oursCpu), bench::Median(bareCpu), "<=1.5",
                    bench::Format("the bare decode shows no picture and plays no sound; the pipeline that does both "
                                  "takes %.2f ms a frame, %.2fx the bare decode",
                                  bench::Median(showingCpu), bench::Median(showingCpu) / bench::Median(bareCpu)));
    const double qt = bench::Median(oursQtMiB);
    bench::PrintRow("resident memory playing vs showing pipeline (MiB)", bench::Median(oursMiB),
                    bench::Median(showingMiB), "<=1.3",
                    bench::Format("%.1f MiB of ours are the pages of Qt's libraries, which the peer never maps; "
                                  "without them %.2fx", qt, (bench::Median(oursMiB) - qt) / bench::Median(showingMiB)));
    bench::PrintRow("of ours, resident pages of Qt's libraries (MiB; no peer)", qt, 0, "-");
    bench::PrintRow("of both, anonymous pages: heaps, stacks, buffers (MiB)", bench::Median(oursAnonMiB),
                    bench::Median(showingAnonMiB), "-");
    return 0;
}
