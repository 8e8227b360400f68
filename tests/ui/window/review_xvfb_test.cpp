// Reviewing a tape at the keyboard and the mouse, in the real window on a private X server with a window
// manager (tests/support/xvfb_wm_run.sh): every key from whichever control has the focus, full screen, a
// dropped file, File > Recent Files, Go to and the scene panel, on clips of three scenes recorded an hour
// apart. The clips are written sparse (only each frame's first DIF sequence on disk) so minutes of tape
// cost little.
#include "tests/ui/window/window_test_support.h"

#include "playback/playback_graph.h"
#include "settings/recent_files.h"
#include "tests/fixtures/camcorder_clip.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::chrono_literals;

// Scenes of 1000, 2000 and 1000 PAL frames from 10:00, 11:00 and 12:00: starts 1000 and 3000, 4000 frames.
const std::string& ThreeScenes()
{
    static const std::string path = [] {
        fixture::ClipOptions options;
        options.layout = fixture::AviLayout::Type2;
        options.sparse = true;
        options.scenes = {{{2024, 7, 8, 10, 0, 0}, 1000}, {{2024, 7, 8, 11, 0, 0}, 2000}, {{2024, 7, 8, 12, 0, 0}, 1000}};
        const std::string written = wintest::TempPath("three_scenes.avi");
        std::string error;
        EXPECT_TRUE(fixture::WriteCamcorderClip(written, options, &error)) << error;
        return written;
    }();
    return path;
}

QString Readout(CPlayerDlg& dialog)
{
    const auto* label = dialog.findChild<QLabel*>(QStringLiteral("PositionReadout"));
    return label != nullptr ? label->text() : QStringLiteral("(none)");
}

QMenu* RecentFilesMenu(CPlayerDlg& dialog)
{
    for (QMenu* menu : wintest::MenuBar(dialog)->findChildren<QMenu*>()) {
        if (menu->title() == QStringLiteral("&Recent Files")) {
            return menu;
        }
    }
    return nullptr;
}

class ReviewTest : public testing::Test {
protected:
    void SetUp() override
    {
        wintest::OpenFromCommandLine(dialog, ThreeScenes());
        ASSERT_NE(dialog.Playback(), nullptr);
        ASSERT_TRUE(wintest::WaitFor([&] { return dialog.isActiveWindow(); }, 5s));
    }
    void TearDown() override { dialog.OnCommand(ID_APP_EXIT); }

    void PausedAt(std::int64_t frame)
    {
        dialog.OnCommand(IDC_PAUSE);
        dialog.Playback()->SeekToFrame(frame);
        ASSERT_EQ(wintest::CurrentFrame(dialog), frame);
    }
    // The key as the focused control receives it: through the window's shortcuts first.
    void Press(QWidget* focus, QKeyCombination keys)
    {
        // A modal window just closed may leave the activation with the window manager for a moment.
        if (!dialog.isActiveWindow()) {
            dialog.activateWindow();
            ASSERT_TRUE(wintest::WaitFor([&] { return dialog.isActiveWindow(); }, 5s));
        }
        focus->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(wintest::WaitFor([&] { return focus->hasFocus(); }, 2s));
        QTest::keyClick(focus, keys.key(), keys.keyboardModifiers());
    }
    std::vector<QWidget*> Controls()
    {
        return {wintest::Slider(dialog), wintest::Button(dialog, IDC_STOP), wintest::Button(dialog, IDC_NEXT_SCENE)};
    }

    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
};

struct KeyCase {
    QKeyCombination keys;
    std::int64_t from;
    bool playing;
    std::int64_t to;   // -1: wherever playback has got to
    int state;
};

TEST_F(ReviewTest, EveryKeyLandsWhereItsCommandDoesFromWhicheverControlHasTheFocus)
{
    const KeyCase cases[] = {
        {QKeyCombination(Qt::Key_Right), 2000, false, 2001, State_Paused},
        {QKeyCombination(Qt::Key_Period), 2000, false, 2001, State_Paused},
        {QKeyCombination(Qt::Key_Left), 2000, false, 1999, State_Paused},
        {QKeyCombination(Qt::Key_Comma), 2000, false, 1999, State_Paused},
        {Qt::SHIFT | Qt::Key_Right, 2000, false, 2025, State_Paused},
        {Qt::SHIFT | Qt::Key_Left, 2000, false, 1975, State_Paused},
        {Qt::CTRL | Qt::Key_Right, 2000, false, 2250, State_Paused},
        {Qt::CTRL | Qt::Key_Left, 2000, false, 1750, State_Paused},
        {QKeyCombination(Qt::Key_Up), 2000, false, 3500, State_Paused},
        {QKeyCombination(Qt::Key_Down), 2000, false, 500, State_Paused},
        {QKeyCombination(Qt::Key_Up), 3000, false, 3999, State_Paused},
        {QKeyCombination(Qt::Key_Down), 1000, false, 0, State_Paused},
        {QKeyCombination(Qt::Key_PageDown), 2000, false, 3000, State_Paused},
        {QKeyCombination(Qt::Key_PageUp), 2000, false, 1000, State_Paused},
        {QKeyCombination(Qt::Key_Home), 2000, false, 0, State_Paused},
        {QKeyCombination(Qt::Key_End), 2000, false, 3999, State_Paused},
        {QKeyCombination(Qt::Key_Space), 2000, false, -1, State_Running},
        {QKeyCombination(Qt::Key_Space), 2000, true, -1, State_Paused},
        {Qt::SHIFT | Qt::Key_Right, 2000, true, -1, State_Running},
        {QKeyCombination(Qt::Key_Home), 2000, true, -1, State_Running},
    };
    int row = 0;
    for (const KeyCase& c : cases) {
        QWidget* focus = Controls()[static_cast<std::size_t>(row++) % Controls().size()];
        SCOPED_TRACE(QKeySequence(c.keys).toString().toStdString() + " from " + std::to_string(c.from) + " on "
                     + focus->objectName().toStdString());
        PausedAt(c.from);
        if (c.playing) {
            dialog.OnCommand(IDC_PLAY);
        }
        Press(focus, c.keys);
        EXPECT_EQ(wintest::GraphState(dialog), c.state);
        if (c.to >= 0) {
            EXPECT_EQ(wintest::CurrentFrame(dialog), c.to);
            EXPECT_EQ(wintest::Slider(dialog)->value(), c.to);
            EXPECT_TRUE(Readout(dialog).startsWith(QStringLiteral("frame %1 / 4000   ").arg(c.to))) << Readout(dialog).toStdString();
        }
    }
    // Focus moved by Tab shows on a hover button; focus given by a click does not.
    CHoverButton* stop = wintest::Button(dialog, IDC_STOP);
    wintest::Slider(dialog)->setFocus(Qt::TabFocusReason);
    stop->setFocus(Qt::MouseFocusReason);
    const QImage clicked = stop->grab().toImage();
    wintest::Slider(dialog)->setFocus(Qt::TabFocusReason);
    stop->setFocus(Qt::TabFocusReason);
    EXPECT_NE(stop->grab().toImage(), clicked);
    wintest::Slider(dialog)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(stop->grab().toImage(), clicked);
    // A modal window holds every key back.
    PausedAt(2000);
    wintest::AnswerNextModal<QDialog>(&dialog, [&](QDialog* about) {
        QTest::keyClick(&dialog, Qt::Key_Right);
        about->accept();
    });
    dialog.OnCommand(ID_HELP_ABOUT);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 2000);
    Press(wintest::Slider(dialog), QKeyCombination(Qt::Key_Right));
    EXPECT_EQ(Readout(dialog).toStdString(), "frame 2001 / 4000   0:01:20:01 / 0:02:40:00");
    // Ctrl+W closes the file and empties the read-out; Ctrl+Q ends the window.
    Press(wintest::Slider(dialog), Qt::CTRL | Qt::Key_W);
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_EQ(Readout(dialog).toStdString(), "");
    Press(wintest::VideoArea(dialog), Qt::CTRL | Qt::Key_Q);
    EXPECT_TRUE(wintest::WaitFor([&] { return !dialog.isVisible(); }, 5s));
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST_F(ReviewTest, FullScreenShowsOnlyThePictureAndTheStripUntilTheSameKeyOrEscape)
{
    const QRect screen = dialog.screen()->geometry();
    const auto fullScreen = [&] { return dialog.isFullScreen() && dialog.geometry() == screen; };
    const std::pair<const char*, std::function<void()>> toggles[] = {
        {"F", [&] { Press(wintest::VideoArea(dialog), QKeyCombination(Qt::Key_F)); }},
        {"F11", [&] { Press(wintest::Button(dialog, IDC_PLAY), QKeyCombination(Qt::Key_F11)); }},
        {"double-click", [&] { QTest::mouseDClick(wintest::VideoArea(dialog), Qt::LeftButton); }},
    };
    for (const auto& [name, toggle] : toggles) {
        SCOPED_TRACE(name);
        toggle();
        ASSERT_TRUE(wintest::WaitFor(fullScreen, 5s));
        ASSERT_TRUE(wintest::WaitFor([&] { return wintest::VideoArea(dialog)->width() == screen.width(); }, 5s));
        EXPECT_FALSE(wintest::Slider(dialog)->isVisible());
        EXPECT_FALSE(wintest::Button(dialog, IDC_PLAY)->isVisible());
        EXPECT_FALSE(wintest::MenuBar(dialog)->isVisible());
        // The picture above the strip fills the screen; the strip keeps its 7:1 shape.
        const QRect video = wintest::VideoArea(dialog)->geometry();
        const QRect meta = wintest::MetaArea(dialog)->geometry();
        EXPECT_EQ(video.height() + meta.height(), screen.height());
        EXPECT_EQ(meta.top(), video.bottom() + 1);
        EXPECT_NEAR(meta.height(), std::min(screen.width(), screen.height() * 28 / 25) / 7, 1);
        // Left by the same key, by the double-click again, or by Escape.
        if (std::string(name) == "F11") {
            Press(wintest::VideoArea(dialog), QKeyCombination(Qt::Key_Escape));
        } else {
            toggle();
        }
        ASSERT_TRUE(wintest::WaitFor([&] { return !dialog.isFullScreen() && dialog.width() < screen.width(); }, 5s));
        EXPECT_TRUE(wintest::Slider(dialog)->isVisible());
        EXPECT_TRUE(wintest::MenuBar(dialog)->isVisible());
    }
}

// Go to through its dialog: what was typed, and the frame it leads to or the box it shows.
TEST_F(ReviewTest, GoToTakesFramesPositionsAndRecordingTimes)
{
    const struct {
        const char* typed;
        std::int64_t frame;   // -1: a box and no move
    } cases[] = {
        {"1234", 1234},
        {"0:00:40:00", 1000},
        {"2024-07-08 11:00:05", 1125},   // five seconds into the second scene: the scan runs first
        {"2024-07-08 10:30:00", 1000},   // between scenes: the first frame recorded later
        {"2024-07-08 13:00:00", -1},
        {"4000", -1},
        {"half past ten", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PausedAt(200);
        const std::size_t boxesBefore = boxes.Messages().size();
        wintest::AnswerNextModal<QDialog>(&dialog, [&](QDialog* goTo) {
            goTo->findChild<QLineEdit*>(QStringLiteral("Target"))->setText(QString::fromUtf8(c.typed));
            goTo->accept();
        });
        Press(wintest::Slider(dialog), Qt::CTRL | Qt::Key_G);
        EXPECT_EQ(wintest::CurrentFrame(dialog), c.frame >= 0 ? c.frame : 200);
        EXPECT_EQ(wintest::GraphState(dialog), State_Paused);
        ASSERT_EQ(boxes.Messages().size(), boxesBefore + (c.frame >= 0 ? 0 : 1));
    }
    EXPECT_EQ(boxes.Messages()[0].text, "No frame of this file was recorded at or after 2024-07-08 13:00:00.");
    EXPECT_EQ(boxes.Messages()[1].text, "There is no frame 4000: the file has 4000 frames, 0 to 3999.");
}

TEST_F(ReviewTest, ScenePanelListsScenesSeeksOnAClickAndFollowsPlayback)
{
    PausedAt(0);
    ASSERT_TRUE(dialog.OnCommand(ID_VIEW_SCENES));   // scans behind the popup
    auto* panel = dialog.findChild<QDockWidget*>(QStringLiteral("Scenes"));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(wintest::WaitFor([&] { return panel->isVisible(); }, 5s));
    auto* table = panel->findChild<QTableWidget*>();
    const std::vector<QStringList> expected = {{"1", "0", "1000", "2024-07-08 10:00:00"},
                                               {"2", "1000", "2000", "2024-07-08 11:00:00"},
                                               {"3", "3000", "1000", "2024-07-08 12:00:00"}};
    ASSERT_EQ(table->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(table->item(row, column)->text(), expected[static_cast<std::size_t>(row)][column]);
        }
    }
    const auto selected = [&] { return table->selectionModel()->selectedRows().value(0).row(); };
    EXPECT_EQ(selected(), 0);
    // A click on the third scene seeks there; Page Up then highlights the second.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(2, 1)).center());
    EXPECT_EQ(wintest::CurrentFrame(dialog), 3000);
    EXPECT_EQ(selected(), 2);
    Press(wintest::Slider(dialog), QKeyCombination(Qt::Key_PageUp));
    EXPECT_EQ(wintest::CurrentFrame(dialog), 1000);
    EXPECT_EQ(selected(), 1);
    // The keys act while the panel is the active window too: a floating tool window's keys are its owner's.
    panel->activateWindow();
    ASSERT_TRUE(wintest::WaitFor([&] { return panel->isActiveWindow(); }, 5s));
    QTest::keyClick(table, Qt::Key_PageDown);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 3000);
    EXPECT_EQ(selected(), 2);
    // Playing through a scene start moves the highlight with the position timer.
    PausedAt(2990);
    dialog.OnCommand(IDC_PLAY);
    EXPECT_TRUE(wintest::WaitFor([&] { return selected() == 2; }, 5s));
    dialog.OnCommand(ID_FILE_CLOSE);
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST_F(ReviewTest, ADroppedFileOpensAsFileOpenWouldAndTheRecentListKeepsTheLastEight)
{
    const std::string other = wintest::WriteClip("dropped.avi", 5, 1);
    const std::string notDv = wintest::WriteBytes("not_dv.avi", std::string(4096, 'x'));
    const auto drop = [&](const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        // Onto the picture, which leaves drops to the window as Qt's drop handling finds it.
        QWidget* target = &dialog;
        const QPoint at = wintest::VideoArea(dialog)->mapTo(&dialog, wintest::VideoArea(dialog)->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        wintest::Spin(100ms);
    };
    // Several files: the first opens.
    drop({other, notDv});
    ASSERT_TRUE(wintest::WaitFor([&] { return dialog.windowTitle().startsWith(QStringLiteral("dropped.avi")); }, 5s));
    EXPECT_NE(dialog.Playback(), nullptr);
    // A file File > Open refuses is refused with the same box, and the playing file plays on.
    wintest::AnswerNextModal<QFileDialog>(&dialog, [&](QFileDialog* files) { wintest::TypeFileName(files, notDv); });
    dialog.OnCommand(ID_FILE_OPEN);
    drop({notDv});
    ASSERT_EQ(boxes.Messages().size(), 2u);
    EXPECT_EQ(boxes.Messages()[1].text, boxes.Messages()[0].text);
    EXPECT_TRUE(dialog.windowTitle().startsWith(QStringLiteral("dropped.avi")));

    // Most recent first, in the group of its own.
    const QStringList recent = LoadRecentFiles();
    const QStringList opened = {QString::fromStdString(other), QString::fromStdString(ThreeScenes())};
    EXPECT_EQ(recent.mid(0, 2), opened);
    QMenu* recentMenu = RecentFilesMenu(dialog);
    ASSERT_NE(recentMenu, nullptr);
    ASSERT_EQ(recentMenu->actions().size(), recent.size());
    EXPECT_EQ(recentMenu->actions()[0]->text(), QStringLiteral("&1 ") + opened[0]);

    // Nine files opened: eight kept. Then one that has gone is removed with a box, and one that is there opens.
    QStringList nine;
    for (int i = 0; i < 9; ++i) {
        nine << QStringLiteral("/nowhere/tape%1.avi").arg(i);
    }
    SaveRecentFiles(nine);
    EXPECT_EQ(LoadRecentFiles(), nine.mid(0, kRecentFileCount));
    CPlayerDlg again;
    wintest::OpenFromCommandLine(again, ThreeScenes());
    const QStringList kept = (QStringList{opened[1]} + nine).mid(0, kRecentFileCount);
    EXPECT_EQ(LoadRecentFiles(), kept);
    QMenu* againMenu = RecentFilesMenu(again);
    ASSERT_NE(againMenu, nullptr);
    againMenu->actions()[1]->trigger();
    EXPECT_EQ(LoadRecentFiles(), (QStringList{kept[0]} + kept.mid(2)));
    EXPECT_EQ(againMenu->actions().size(), kRecentFileCount - 1);
    ASSERT_EQ(boxes.Messages().size(), 3u);
    EXPECT_EQ(boxes.Messages()[2].text,
              "The file /nowhere/tape0.avi no longer exists. It has been removed from the list of recent files.");
    EXPECT_TRUE(again.windowTitle().startsWith(QStringLiteral("three_scenes.avi")));
    again.OnCommand(ID_APP_EXIT);
}

}  // namespace
