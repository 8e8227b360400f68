// Every window's caption as the window manager reads it: the program's own windows on a real X server with a
// window manager (tests/support/xvfb_wm_run.sh), their _NET_WM_NAME read back with xprop. Qt adds text of
// its own to titles on X11 (the application's display name), so what setWindowTitle was given proves
// nothing: only the property the window manager shows does.
#include "tests/support/skip_status.h"
#include "tests/support/run_process.h"
#include "tests/ui/window/window_test_support.h"
#include "ui/dialogs/progress_popup.h"
#include "ui/window/command_ids.h"
#include "ui/window/message_box.h"
#include "ui/window/player_app.h"
#include "ui/window/player_dlg.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::string WindowId(const QWidget* window)
{
    char id[32];
    std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(window->winId()));
    return id;
}

// One property of a top-level window as xprop prints it ("NAME(TYPE) = value"), the value part only;
// empty while the property is not set.
std::string Property(const QWidget* window, const char* name)
{
    const ProcessResult result = RunProcess({"xprop", "-id", WindowId(window), name});
    const std::size_t equals = result.out.find(" = ");
    if (result.status != 0 || equals == std::string::npos) {
        return {};
    }
    std::string value = result.out.substr(equals + 3);
    while (!value.empty() && value.back() == '\n') {
        value.pop_back();
    }
    return value;
}

// The caption the window manager shows: _NET_WM_NAME without its quotes.
std::string ShownCaption(const QWidget* window)
{
    std::string value = Property(window, "_NET_WM_NAME");
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The window manager has taken the window on once it has told it the size of its frame.
bool Managed(const QWidget* window)
{
    return window->isVisible() && !Property(window, "_NET_FRAME_EXTENTS").empty();
}

struct Seen {
    std::string caption;
    std::string allowedActions;
};

Seen Look(const QWidget* window)
{
    EXPECT_TRUE(wintest::WaitFor([&] { return Managed(window); }, 10s)) << "the window manager never took the window on";
    return {ShownCaption(window), Property(window, "_NET_WM_ALLOWED_ACTIONS")};
}

// Runs open(), which shows a modal window and returns when it is closed; looks at that window once the
// window manager has it, then closes it as a person would.
Seen LookAtModal(const std::function<void()>& open)
{
    Seen seen;
    bool looked = false;
    std::function<void()> poll;
    poll = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !Managed(modal)) {
            QTimer::singleShot(50, qApp, poll);
            return;
        }
        seen = Look(modal);
        looked = true;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    };
    QTimer::singleShot(50, qApp, poll);
    open();
    EXPECT_TRUE(looked);
    return seen;
}

struct ModalCase {
    const char* name;
    std::function<void(CPlayerDlg&)> open;
    const char* caption;
};

TEST(Captions, EveryWindowShowsExactlyItsOwnCaption)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    CPlayerDlg dialog;
    {
        // A failing open answers its boxes here rather than waiting for a person; the boxes below are real.
        wintest::CMessageRecorder openMessages;
        wintest::OpenFromCommandLine(dialog, wintest::WriteClip("captioned.avi", 10));
        ASSERT_NE(dialog.Playback(), nullptr) << (openMessages.Messages().empty() ? "" : openMessages.Messages()[0].text);
    }
    // With a file open the main window names it before the program, without one the program alone.
    EXPECT_EQ(Look(&dialog).caption, "captioned.avi - Zenk Vuvaz");
    dialog.OnCommand(ID_FILE_CLOSE);
    EXPECT_TRUE(wintest::WaitFor([&] { return ShownCaption(&dialog) == "Zenk Vuvaz"; }, 10s)) << ShownCaption(&dialog);

    const ModalCase cases[] = {
        {"error box", [](CPlayerDlg& owner) { ShowErrorBox(&owner, "Unable to open the file", "Error!"); }, "Error!"},
        {"graph failure",
         [](CPlayerDlg& owner) { ShowErrorBox(&owner, "Could not add renderer", "Error Building Filter Graph"); },
         "Error Building Filter Graph"},
        {"cancelled scan", [](CPlayerDlg& owner) { ShowErrorBox(&owner, "Operation Cancelled", "Cancelled"); },
         "Cancelled"},
        {"options", [](CPlayerDlg& owner) { owner.OnCommand(ID_TOOLS_OPTIONS); }, "Options"},
        {"file dialog", [](CPlayerDlg& owner) { owner.OnCommand(ID_FILE_OPEN); }, "Select file to play..."},
        {"about", [](CPlayerDlg& owner) { owner.OnCommand(ID_HELP_ABOUT); }, "About Zenk Vuvaz"},
    };
    for (const ModalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LookAtModal([&] { c.open(dialog); }).caption, c.caption);
    }
    dialog.OnCommand(ID_APP_EXIT);
}

// The Motif window manager hints as numbers: flags, functions, decorations, input mode, status.
std::vector<unsigned long> MotifHints(const QWidget* window)
{
    std::vector<unsigned long> numbers;
    std::istringstream text(Property(window, "_MOTIF_WM_HINTS"));
    std::string item;
    while (std::getline(text, item, ',')) {
        numbers.push_back(std::stoul(item, nullptr, 0));
    }
    return numbers;
}

TEST(Captions, TheProgressPopupHasACaptionAndNoButtonsInIt)
{
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    CProgressPopup popup(&owner, QStringLiteral("Processing"), false);
    ASSERT_TRUE(popup.BeginModal());
    popup.SetRange(0, 100, 1);
    popup.SetPosition(42);
    const Seen seen = Look(&popup);
    EXPECT_EQ(seen.caption, "Processing [42%]");

    // What the program tells every window manager: the popup may be moved, nothing else (functions given,
    // move only), and its frame is a border and a title (no menu, minimise or maximise box).
    constexpr unsigned long kFunctionsGiven = 1;
    constexpr unsigned long kDecorationsGiven = 2;
    constexpr unsigned long kMoveOnly = 4;
    constexpr unsigned long kBorderAndTitle = 2 | 8;
    const std::vector<unsigned long> hints = MotifHints(&popup);
    ASSERT_GE(hints.size(), 3u) << Property(&popup, "_MOTIF_WM_HINTS");
    EXPECT_EQ(hints[0] & (kFunctionsGiven | kDecorationsGiven), kFunctionsGiven | kDecorationsGiven);
    EXPECT_EQ(hints[1], kMoveOnly);
    EXPECT_EQ(hints[2], kBorderAndTitle);
    // What this window manager makes of it. Openbox keeps Close and Minimise whatever a window asks (its
    // own policy), but it can neither resize nor maximise the popup.
    EXPECT_NE(seen.allowedActions.find("_NET_WM_ACTION_MOVE"), std::string::npos) << seen.allowedActions;
    for (const char* action : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT",
                               "_NET_WM_ACTION_FULLSCREEN"}) {
        EXPECT_EQ(seen.allowedActions.find(action), std::string::npos) << action << " in " << seen.allowedActions;
    }
    popup.DestroyWindow();
}

}  // namespace
