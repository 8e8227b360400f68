// The real program on a real X server: `zenk-vuvaz clip.avi` under Xvfb opens the clip and plays it; the
// screen shows a decoded frame in the video area and red metadata text in the strip area below it; the
// window's close request ends the program with status 0.
//
// The test runs itself under xvfb-run (a private server on a free display) and talks to the server with
// xcb: it finds the player's window by its title, reads the window's pixels from the server (what is on the
// screen, whichever renderer drew it) and sends the close request a window manager would send.
#include "tests/fixtures/camcorder_clip.h"
#include "tests/fixtures/frame_identity.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include "tests/support/skip_status.h"
#include "tests/support/xvfb_reexec.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kUnderXvfb = "ZV_E2E_UNDER_XVFB";
constexpr int kClipFrames = 200;   // 8 seconds: still playing when the screen is read
constexpr int kPictureWidth = 720;
constexpr int kPictureHeight = 576;
// From the window's disappearance to the end of the process. A person notices half a second; the bound
// leaves room for a loaded machine. A sanitized player checks its heap for leaks on the way out.
constexpr std::chrono::milliseconds kExitBound{ZV_SANITIZED ? 20000 : 500};

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// One screen-sized picture of a window: 32-bit pixels, B G R X.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* At(int x, int y) const { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4; }
};

class XServer {
public:
    XServer() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~XServer() { xcb_disconnect(m_connection); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Ok() const { return xcb_connection_has_error(m_connection) == 0; }

    xcb_atom_t Atom(const char* name)
    {
        XcbReply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr),
            &std::free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }

    // A mapped top-level window with exactly this title (window managers' WM_NAME), or none.
    // A window of the root, or inside the frame a window manager put it in.
    std::optional<xcb_window_t> FindWindow(const std::string& title, int depth = 2)
    {
        return FindWindowUnder(Root(), title, depth);
    }

    std::optional<Shot> Grab(xcb_window_t window)
    {
        XcbReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr), &std::free);
        if (!geometry) {
            return std::nullopt;
        }
        XcbReply<xcb_get_image_reply_t> image(
            xcb_get_image_reply(m_connection,
                                xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width,
                                              geometry->height, ~0u),
                                nullptr),
            &std::free);
        if (!image || image->depth != 24) {
            return std::nullopt;
        }
        Shot shot;
        shot.width = geometry->width;
        shot.height = geometry->height;
        const std::uint8_t* data = xcb_get_image_data(image.get());
        const int length = xcb_get_image_data_length(image.get());
        if (length < shot.width * shot.height * 4) {
            return std::nullopt;
        }
        shot.pixels.assign(data, data + static_cast<std::size_t>(shot.width) * shot.height * 4);
        return shot;
    }

    // What a window manager sends when the user clicks the close box.
    void RequestClose(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = Atom("WM_PROTOCOLS");
        event.data.data32[0] = Atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }

    bool Viewable(xcb_window_t window)
    {
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr),
            &std::free);
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

private:
    std::optional<xcb_window_t> FindWindowUnder(xcb_window_t parent, const std::string& title, int depth)
    {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr), &std::free);
        if (!tree || depth == 0) {
            return std::nullopt;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            if (Title(children[i]) == title && Viewable(children[i])) {
                return children[i];
            }
            if (const auto inside = FindWindowUnder(children[i], title, depth - 1)) {
                return inside;
            }
        }
        return std::nullopt;
    }

    std::string Title(xcb_window_t window)
    {
        XcbReply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY,
                                                    0, 256),
                                   nullptr),
            &std::free);
        if (!reply) {
            return {};
        }
        const char* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
        return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }

    xcb_connection_t* m_connection;
};

struct PictureFound {
    int top = -1;     // the video area's first row in the window
    int frame = -1;   // the frame number it shows
};

// The window's video area spans its full width, starting under the menu bar: find the row where a
// 720 x 576 picture carrying a frame code starts.
PictureFound FindPicture(const Shot& shot)
{
    if (shot.width < kPictureWidth) {
        return {};
    }
    for (int top = 0; top + kPictureHeight <= shot.height && top < 120; ++top) {
        const int frame = fixture::DecodedFrameIdentity(shot.At(0, top), kPictureWidth, kPictureHeight,
                                                        static_cast<std::size_t>(shot.width) * 4,
                                                        fixture::PixelLayout::Rgbx32);
        if (frame >= 0) {
            return {top, frame};
        }
    }
    return {};
}

int RedPixels(const Shot& shot, int top, int height)
{
    int count = 0;
    for (int y = top; y < top + height && y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const std::uint8_t* p = shot.At(x, y);   // B G R X
            count += p[2] > 160 && p[1] < 100 && p[0] < 100 ? 1 : 0;
        }
    }
    return count;
}

// Kept next to the test binary for a person to look at (binary PPM).
void SaveShot(const Shot& shot, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << shot.width << ' ' << shot.height << "\n255\n";
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const std::uint8_t* p = shot.At(x, y);
            const char rgb[3] = {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
            out.write(rgb, 3);
        }
    }
}

// The player as a child process with a private settings folder, on the X server.
class Player {
public:
    // errPath: where its standard error goes (empty: the test's own).
    Player(const std::string& clip, const std::string& configFolder, const std::string& errPath = "")
    {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (text.rfind("QT_QPA_PLATFORM=", 0) != 0 && text.rfind("XDG_CONFIG_HOME=", 0) != 0
                && text.rfind("XDG_RUNTIME_DIR=", 0) != 0 && !(ZV_SANITIZED && text.rfind("LSAN_OPTIONS=", 0) == 0)) {
                environment.push_back(text);
            }
        }
        if (ZV_SANITIZED) {
            // A whole player on the X server with the overlay renderer ends with a few hundred bytes the
            // system's graphics libraries keep (one allocated in a module already unloaded, so no stack a
            // suppression could name), and the leak check would turn them into exit status 1. These runs
            // judge windows and exit times; our own code's leaks are checked by the in-process suites.
            environment.push_back("LSAN_OPTIONS=detect_leaks=0");
        }
        environment.push_back("QT_QPA_PLATFORM=xcb");
        environment.push_back("XDG_CONFIG_HOME=" + configFolder);
        // The test's private folder (mode 0700) as the runtime folder, which Qt would otherwise complain of.
        environment.push_back("XDG_RUNTIME_DIR=" + configFolder.substr(0, configFolder.rfind('/')));
        std::vector<char*> envp;
        for (std::string& text : environment) {
            envp.push_back(text.data());
        }
        envp.push_back(nullptr);
        std::string program = std::string(ZV_BUILD_DIR) + "/zenk-vuvaz";
        std::string argument = clip;
        char* argv[] = {program.data(), argument.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!errPath.empty()) {
            posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Player()
    {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool Started() const { return m_pid > 0; }
    // Whether the running process has a file whose path holds part mapped.
    bool Maps(const std::string& part) const
    {
        std::ifstream maps("/proc/" + std::to_string(m_pid) + "/maps");
        for (std::string line; std::getline(maps, line);) {
            if (line.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    bool Running()
    {
        return m_pid > 0 && !m_status && !Reap(WNOHANG);
    }
    // The exit status once the process has ended within limit; nothing otherwise.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (!m_status && Clock::now() < end) {
            if (!Reap(WNOHANG)) {
                std::this_thread::sleep_for(5ms);
            }
        }
        return m_status;
    }

private:
    bool Reap(int options)
    {
        int status = 0;
        if (waitpid(m_pid, &status, options) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        }
        return false;
    }

    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// The player's window once it shows the title (30 s at most, and only while the player runs).
std::optional<xcb_window_t> WaitForWindow(XServer& server, Player& player, const std::string& title)
{
    std::optional<xcb_window_t> window;
    const auto deadline = Clock::now() + 30s;
    while (!(window = server.FindWindow(title)) && Clock::now() < deadline && player.Running()) {
        std::this_thread::sleep_for(100ms);
    }
    return window;
}

TEST(PlayerOnXServer, OpensTheClipPlaysItShowsPictureAndStripAndClosesCleanly)
{
    char folderTemplate[] = "/tmp/zv-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    const std::string clip = folder + "/clip.avi";
    fixture::ClipOptions options;
    options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, kClipFrames});
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(clip, options, &error)) << error;

    XServer server;
    ASSERT_TRUE(server.Ok()) << "no X server at DISPLAY";
    Player player(clip, folder + "/config");
    ASSERT_TRUE(player.Started());

    const std::optional<xcb_window_t> window = WaitForWindow(server, player, "clip.avi - Zenk Vuvaz");
    ASSERT_TRUE(window) << "the player's window never appeared";

    // Playing: the picture's frame code advances between two looks at the screen.
    std::optional<Shot> shot;
    PictureFound first;
    const auto playDeadline = Clock::now() + 30s;
    while (Clock::now() < playDeadline) {
        shot = server.Grab(*window);
        if (shot && (first = FindPicture(*shot)).frame >= 5) {
            break;
        }
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_TRUE(shot);
    SaveShot(*shot, std::string(ZV_BUILD_DIR) + "/player_e2e_screen.ppm");
    ASSERT_GE(first.frame, 5) << "no decoded frame in the video area";
    EXPECT_LT(first.frame, kClipFrames);
    EXPECT_GT(RedPixels(*shot, first.top + kPictureHeight, 100), 300) << "no red text in the strip area";
    EXPECT_EQ(RedPixels(*shot, first.top, kPictureHeight), 0);

    std::this_thread::sleep_for(1s);
    const std::optional<Shot> later = server.Grab(*window);
    ASSERT_TRUE(later);
    const PictureFound second = FindPicture(*later);
    EXPECT_EQ(second.top, first.top);
    EXPECT_GT(second.frame, first.frame) << "the picture did not move on";
    // The built-in renderer plays: the overlay's OpenGL sink, asked about at start, was never loaded.
    EXPECT_FALSE(player.Maps("/libgstopengl.so")) << "the OpenGL sink's plugin is mapped";

    server.RequestClose(*window);
    const std::optional<int> status = player.WaitForExit(20s);
    ASSERT_TRUE(status) << "the player did not end after the close request";
    EXPECT_EQ(*status, 0);
    std::remove(clip.c_str());
}

// The process ends promptly once its window has gone, with either renderer, playing (with its sound) or
// paused at the end of the file: the user closed it, and nothing a person waits for is left to do. Timed
// from the window's disappearance.
TEST(PlayerOnXServer, EndsWithinHalfASecondOfItsWindowClosing)
{
    char folderTemplate[] = "/tmp/zv-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    XServer server;
    ASSERT_TRUE(server.Ok()) << "no X server at DISPLAY";

    // 200 frames are still playing when the window closes, 10 have ended and wait paused on the last one.
    struct Case {
        int renderer;   // the stored setting: 1 the video overlay, 2 the built-in renderer
        int frames;
    };
    for (const Case c : {Case{2, kClipFrames}, Case{2, 10}, Case{1, kClipFrames}, Case{1, 10}}) {
        const std::string name = "closing" + std::to_string(c.renderer) + "_" + std::to_string(c.frames) + ".avi";
        SCOPED_TRACE(name);
        const std::string clip = folder + "/" + name;
        fixture::ClipOptions options;
        options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, c.frames});
        std::string error;
        ASSERT_TRUE(fixture::WriteCamcorderClip(clip, options, &error)) << error;
        const std::string config = folder + "/config" + std::to_string(c.renderer);
        std::filesystem::create_directories(config + "/Zenk");
        std::ofstream(config + "/Zenk/Zenk_Vuvaz.conf") << "[Options]\nRenderer=" << c.renderer << "\n";

        Player player(clip, config);
        ASSERT_TRUE(player.Started());
        const std::optional<xcb_window_t> window = WaitForWindow(server, player, name + " - Zenk Vuvaz");
        ASSERT_TRUE(window) << "the player's window never appeared";
        std::this_thread::sleep_for(2s);

        const auto closeRequested = Clock::now();
        server.RequestClose(*window);
        const auto goneDeadline = Clock::now() + 20s;
        while (server.Viewable(*window) && Clock::now() < goneDeadline) {
            std::this_thread::sleep_for(5ms);
        }
        const auto gone = Clock::now();
        const std::optional<int> status = player.WaitForExit(20s);
        const auto ended = Clock::now();
        ASSERT_TRUE(status) << "the player did not end after the close request";
        EXPECT_EQ(*status, 0);
        const auto ms = [](Clock::duration d) {
            return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
        };
        std::printf("renderer %d, %d frames: close request -> window gone %lld ms, window gone -> process end %lld ms\n",
                    c.renderer, c.frames, ms(gone - closeRequested), ms(ended - gone));
        EXPECT_LT(ended - gone, kExitBound) << "the process lingered after its window had gone";
        std::remove(clip.c_str());
    }
}

// A raw stream of blank tape (no pack, no sound in any frame) played to its end in the window: the DV
// library, given every frame by the stream's DV splitter, prints nothing on the player's stderr.
TEST(PlayerOnXServer, PlaysARawBlankTapeToItsEndWithAQuietStderr)
{
    char folderTemplate[] = "/tmp/zv-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    const std::string clip = folder + "/blank.dv";
    const std::string errPath = folder + "/stderr.txt";
    fixture::ClipOptions options;
    options.wrapper = fixture::ClipWrapper::RawDv;
    options.blank = true;
    options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, 25});
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(clip, options, &error)) << error;

    XServer server;
    ASSERT_TRUE(server.Ok()) << "no X server at DISPLAY";
    Player player(clip, folder + "/config", errPath);
    ASSERT_TRUE(player.Started());
    const std::optional<xcb_window_t> window = WaitForWindow(server, player, "blank.dv - Zenk Vuvaz");
    ASSERT_TRUE(window) << "the player's window never appeared";
    std::this_thread::sleep_for(3s);   // one second of frames, played to the end
    server.RequestClose(*window);
    const std::optional<int> status = player.WaitForExit(20s);
    ASSERT_TRUE(status) << "the player did not end after the close request";
    EXPECT_EQ(*status, 0);
    std::ifstream in(errPath);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(said, "");
    std::remove(clip.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    // Run by hand: start again inside a private X server (ctest runs it inside one with a window manager).
    if (const int status = zvtest::RunAgainUnderXvfb(kUnderXvfb, argc, argv); status >= 0) {
        return status;
    }
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
