// The end of short files on a real X server with a window manager: the main window opens 1-frame
// (camcorder and blank-tape frames) and 5-frame clips (in AVI and as a raw DV stream) again and again (through File > Open, as a person
// would), plays each to its end, and every time the end latches Pause, not Play, and Backward Frame
// still works from the last frame and shows its picture.
//
// The binary starts itself again under xvfb-run (a private server on a free display) with openbox as
// its window manager, then runs the window on Qt's xcb platform.
#include "tests/support/skip_status.h"
#include "tests/support/xvfb_reexec.h"
#include "tests/ui/window/window_test_support.h"

#include "playback/appsink_renderer.h"
#include "playback/playback_graph.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/frame_identity.h"
#include "ui/controls/hover_button.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr const char* kUnderXvfb = "ZV_EOS_UNDER_XVFB";

// Waits the way the program waits: in the event loop, asleep until something arrives, so a posted
// graph notification is handled the moment it is posted (polling with sleeps would give the pipeline
// time to finish what it was doing).
bool WaitInEventLoop(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(10);
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// The frame the picture shows: read from the built-in renderer's last frame, or from the screen under
// the video area for the overlay renderer.
int PictureFrame(CPlayerDlg& dialog)
{
    QImage picture;
    if (auto* video = dynamic_cast<CAppSinkRenderer*>(dialog.Playback()->m_pVideoWC9.get())) {
        if (!video->CurrentImage(picture)) {
            return -1;
        }
    } else {
        wintest::Spin(150ms);   // the overlay draws on its own
        picture = wintest::VideoArea(dialog)->screen()->grabWindow(wintest::VideoArea(dialog)->winId()).toImage().convertToFormat(
            QImage::Format_RGB32);
    }
    if (picture.isNull()) {
        return -1;
    }
    return fixture::DecodedFrameIdentity(picture.constBits(), picture.width(), picture.height(),
                                         static_cast<std::size_t>(picture.bytesPerLine()), fixture::PixelLayout::Rgbx32);
}

void StoreRenderer(int renderer)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zenk"), QStringLiteral("Zenk_Vuvaz"));
    store.setValue(QStringLiteral("Options/Renderer"), renderer);
    store.sync();
}

// Renderer setting: 2 the built-in renderer, 1 the X11 overlay.
class EndOfStreamOnXServer : public testing::TestWithParam<int> {};

// Each round opens the four files: 60 opens with the built-in renderer, 16 with the overlay.
int Rounds(int renderer)
{
    return renderer == 1 ? 4 : 15;
}

INSTANTIATE_TEST_SUITE_P(Renderers, EndOfStreamOnXServer, testing::Values(2, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 1 ? "Overlay" : "BuiltIn"; });

TEST_P(EndOfStreamOnXServer, ShortFilesPlayedToTheEndLatchPauseAndStepBackEveryTime)
{
    StoreRenderer(GetParam());
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    const std::string one = wintest::WriteClip("eos_one.avi", 1, 2);    // type 1: through the DV splitter
    const std::string five = wintest::WriteClip("eos_five.avi", 5, 0);  // type 2 with its sound stream
    const std::string raw = wintest::WriteClip("eos_five.dv", 5);        // the DV splitter reads the file itself
    // Blank tape: no pack at all, no sound stream.
    const std::string blank = wintest::TempPath("eos_blank.avi");
    fixture::ClipOptions options;
    options.layout = fixture::AviLayout::Type2;
    options.blank = true;
    options.scenes = {{{2024, 7, 8, 10, 15, 0}, 1}};
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(blank, options, &error)) << error;
    wintest::OpenFromCommandLine(dialog, five);
    ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
    ASSERT_EQ(dialog.Settings().Renderer, GetParam());
    const auto latched = [&] {
        return wintest::Button(dialog, IDC_PAUSE)->m_bLatched && !wintest::Button(dialog, IDC_PLAY)->m_bLatched;
    };
    int misses = 0;
    for (int round = 0; round < Rounds(GetParam()); ++round) {
        for (const auto& [path, frames] : {std::pair{five, 5}, std::pair{one, 1}, std::pair{blank, 1}, std::pair{raw, 5}}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(frames) + " frames");
            if (round > 0 || path != five) {
                wintest::AnswerNextModal<QFileDialog>(&dialog, [&](QFileDialog* files) { wintest::TypeFileName(files, path); });
                ASSERT_TRUE(dialog.OnCommand(ID_FILE_OPEN));
            }
            ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
            ASSERT_NE(dialog.Playback(), nullptr);
            if (!WaitInEventLoop(latched, 5s)) {
                ++misses;
                ADD_FAILURE() << "the end of the stream left Play latched";
                continue;
            }
            EXPECT_EQ(wintest::GraphState(dialog), State_Paused);
            EXPECT_EQ(wintest::CurrentFrame(dialog), frames - 1);
            dialog.OnCommand(IDC_FRAME_BACKWARD);
            const int expected = frames > 1 ? frames - 2 : 0;
            EXPECT_EQ(wintest::CurrentFrame(dialog), expected);
            EXPECT_EQ(PictureFrame(dialog), expected) << "the picture after Backward Frame";
            EXPECT_TRUE(latched());
        }
    }
    EXPECT_EQ(misses, 0);
    dialog.OnCommand(ID_APP_EXIT);
}

// openbox on the private display, until the test ends.
class WindowManager {
public:
    WindowManager()
    {
        char program[] = "openbox";
        char* argv[] = {program, nullptr};
        if (posix_spawnp(&m_pid, "openbox", nullptr, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
    }
    ~WindowManager()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // True once the manager has announced itself on the root window (_NET_SUPPORTING_WM_CHECK).
    bool WaitRunning(std::chrono::milliseconds limit) const
    {
        if (m_pid <= 0) {
            return false;
        }
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const auto end = std::chrono::steady_clock::now() + limit;
        bool running = false;
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        while (!running && xcb_connection_has_error(connection) == 0 && std::chrono::steady_clock::now() < end) {
            std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
                xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr), &std::free);
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
                atom ? xcb_get_property_reply(connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
                                              nullptr)
                     : nullptr,
                &std::free);
            running = property && xcb_get_property_value_length(property.get()) > 0;
            if (!running) {
                std::this_thread::sleep_for(50ms);
            }
        }
        xcb_disconnect(connection);
        return running;
    }

private:
    pid_t m_pid = -1;
};

}  // namespace

int main(int argc, char** argv)
{
    // First run: start again inside a private X server.
    if (const int status = zvtest::RunAgainUnderXvfb(kUnderXvfb, argc, argv); status >= 0) {
        return status;
    }
    if (std::system("command -v openbox > /dev/null 2>&1") != 0) {
        std::fprintf(stderr, "openbox is not installed: no window manager to try the window under\n");
        return zvtest::kSkipExitStatus;
    }
    const WindowManager manager;
    if (!manager.WaitRunning(10s)) {
        std::fprintf(stderr, "openbox did not start on the private display\n");
        return 1;
    }
    // Never the developer's own settings.
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath(QStringLiteral("config")));
    QApplication application(argc, argv);
    gst_init(nullptr, nullptr);
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
