// Start-up and the window's own routing: settings read and repaired through the real start-up, the
// renderer probe's failure box, the command-line hand-over, the menu, keys that must not close the window,
// and the close request ending the modal run.
#include "tests/ui/window/window_test_support.h"

#include "playback/element_factory.h"
#include "settings/player_settings.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/options_dlg.h"
#include "ui/window/command_ids.h"
#include "ui/window/vr_window.h"
#include "ui/window/player_dlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct StoredSettings {
    std::optional<int> dvDecoderRes, dateFormat, renderer;
};

void Store(const StoredSettings& values)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zenk"), QStringLiteral("Zenk_Vuvaz"));
    store.remove(QStringLiteral("Options"));
    store.beginGroup(QStringLiteral("Options"));
    if (values.dvDecoderRes) store.setValue(QStringLiteral("DvDecoderRes"), *values.dvDecoderRes);
    if (values.dateFormat) store.setValue(QStringLiteral("DateFormat"), *values.dateFormat);
    if (values.renderer) store.setValue(QStringLiteral("Renderer"), *values.renderer);
    store.endGroup();
    store.sync();
}

TEST(StartUp, StoredSettingsAreReadAndRepairedButNotWrittenBack)
{
    // Offscreen there is no X11 window to draw an overlay in: only the built-in renderer is available.
    const struct {
        StoredSettings stored;
        int dvDecoderRes, dateFormat, renderer;
    } cases[] = {
        {{}, 0, 1, 2},
        {{7, 5, 1}, 0, 1, 2},
        {{1, 0, 0}, 1, 1, 0},
        {{-1, -3, 3}, -1, -3, 3},
        {{2, 2, 2}, 0, 2, 2},
        {{0, 3, -5}, 0, 1, -5},
    };
    for (const auto& c : cases) {
        Store(c.stored);
        CPlayerDlg dialog;
        wintest::StartUp(dialog);
        EXPECT_EQ(dialog.RendererMask(), kRendererBuiltInAvailable);
        EXPECT_EQ(dialog.Settings().DvDecoderRes, c.dvDecoderRes);
        EXPECT_EQ(dialog.Settings().DateFormat, c.dateFormat);
        EXPECT_EQ(dialog.Settings().Renderer, c.renderer);
        // A repaired value stays repaired only for the run.
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zenk"),
                        QStringLiteral("Zenk_Vuvaz"));
        if (c.stored.renderer) {
            EXPECT_EQ(store.value(QStringLiteral("Options/Renderer")).toInt(), *c.stored.renderer);
        } else {
            EXPECT_FALSE(store.contains(QStringLiteral("Options/Renderer")));
        }
    }
    Store({});
}

// A machine whose GStreamer cannot make one element of the built-in renderer: no renderer the player can use.
class CFactoryWithout final : public IElementFactory {
public:
    explicit CFactoryWithout(const char* refused) : m_refused(refused) {}
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        if (std::strcmp(factoryName, m_refused) == 0) {
            return {};
        }
        return m_installed.Make(factoryName);
    }

private:
    const char* m_refused;
    CGstElementFactory m_installed;
};

TEST(StartUp, WithoutAnyRendererTheStartUpEndsWithItsBoxNamingWhatToInstall)
{
    for (const char* refused : {"appsink", "videoconvert"}) {
        wintest::CMessageRecorder boxes;
        CFactoryWithout factory(refused);
        IElementFactory* previous = SetElementFactory(&factory);
        CPlayerDlg dialog;
        const bool started = dialog.InitMediaFramework("/tmp/never-opened.avi");
        SetElementFactory(previous);
        EXPECT_FALSE(started);
        ASSERT_EQ(boxes.Messages().size(), 1u);
        EXPECT_EQ(boxes.Messages()[0].text, std::string("Unable to find suitable renderer.\n\nThe GStreamer element \"")
                                                + refused + "\" is not installed (Debian package gstreamer1.0-plugins-base).");
        EXPECT_EQ(boxes.Messages()[0].title, "Error!");
        EXPECT_EQ(boxes.Messages()[0].owner, nullptr);
        EXPECT_EQ(boxes.Messages()[0].icon, QMessageBox::Critical);
        // Nothing of the later start-up ran: no hand-over is waiting, so the window's first paint (which
        // posts a waiting one) opens nothing.
        dialog.show();
        ASSERT_TRUE(wintest::WaitFor([&] { return wintest::FirstPaintDone(dialog); }));
        QCoreApplication::sendPostedEvents(&dialog, kOpenCommandLineEvent);
        EXPECT_EQ(dialog.Playback(), nullptr);
        EXPECT_EQ(boxes.Messages().size(), 1u);
    }
}

TEST(StartUp, TheCommandLineFileOpensOnlyOnceTheWindowIsOnTheScreen)
{
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    wintest::StartUp(dialog, wintest::WriteClip("argument.avi", 20).c_str());
    wintest::Spin(std::chrono::milliseconds(200));
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_FALSE(wintest::FirstPaintDone(dialog));
    dialog.show();
    ASSERT_TRUE(wintest::WaitFor([&] { return dialog.Playback() != nullptr; }));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("argument.avi - Zenk Vuvaz"));
    EXPECT_TRUE(boxes.Messages().empty());
    dialog.OnCommand(ID_APP_EXIT);
}

TEST(MainWindowMenu, ItemsCarryTheirTextsIdsAndStartingStates)
{
    CPlayerDlg dialog;
    const struct {
        int id;
        const char* text;
        bool enabled;
    } items[] = {
        {ID_FILE_OPEN, "&Open\tCtl+O", true}, {ID_FILE_CLOSE, "&Close\tCtrl+W", false},
        {ID_APP_EXIT, "E&xit\tCtrl+Q", true},  {ID_VIEW_GO_TO, "&Go to...\tCtrl+G", false},
        {ID_VIEW_FULL_SCREEN, "&Full Screen\tF", true}, {ID_VIEW_SCENES, "&Scenes", true},
        {ID_TOOLS_OPTIONS, "&Options...", true}, {ID_HELP_ABOUT, "&About...", true},
    };
    for (const auto& item : items) {
        const QAction* action = wintest::MenuItem(dialog, item.id);
        ASSERT_NE(action, nullptr) << item.id;
        EXPECT_EQ(action->text(), QString::fromUtf8(item.text));
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.text;
    }
    QStringList menus;
    for (const QAction* menu : wintest::MenuBar(dialog)->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&View"), QStringLiteral("&Tools"),
                                  QStringLiteral("&Help")}));
    EXPECT_FALSE(dialog.OnCommand(4242));
}

TEST(MainWindowKeys, EnterAndEscapeNeverCloseTheWindowButTheCloseRequestDoes)
{
    CPlayerDlg dialog;
    std::vector<std::string> closedBy;
    QTimer::singleShot(0, &dialog, [&dialog, &closedBy] {
        const auto press = [&dialog](int key) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(&dialog, &event);
        };
        const std::pair<const char*, std::function<void()>> attempts[] = {
            {"Escape", [&] { press(Qt::Key_Escape); }},
            {"Return", [&] { press(Qt::Key_Return); }},
            {"Enter", [&] { press(Qt::Key_Enter); }},
            {"reject()", [&] { dialog.reject(); }},
            {"accept()", [&] { dialog.accept(); }},
        };
        for (const auto& [name, attempt] : attempts) {
            attempt();
            if (!dialog.isVisible()) {
                closedBy.emplace_back(name);
            }
        }
        dialog.close();
    });
    // A close request that left the window open would leave exec() waiting: end the run with a result of
    // its own instead.
    constexpr int kNeverClosed = 42;
    QTimer::singleShot(30000, &dialog, [&dialog] { dialog.QDialog::done(kNeverClosed); });
    const int result = dialog.exec();
    EXPECT_TRUE(closedBy.empty()) << "closed by " << closedBy.front();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace

namespace {

TEST(MainWindowMenu, OptionsChangeTheNextOpenAndAboutShowsItsBox)
{
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    wintest::StartUp(dialog);
    dialog.show();
    wintest::AnswerNextModal<COptionsDlg>(&dialog, [](COptionsDlg* options) {
        static_cast<QAbstractButton*>(options->Control(COptionsDlg::kIdHalf))->click();
        options->OnOK();
    });
    ASSERT_TRUE(dialog.OnCommand(ID_TOOLS_OPTIONS));
    EXPECT_EQ(dialog.Settings().DvDecoderRes, 1);
    // Opened through the file dialog: the start-up (and its reading of the stored settings) ran once.
    const std::string clip = wintest::WriteClip("after-options.avi", 20);
    wintest::AnswerNextModal<QFileDialog>(&dialog, [clip](QFileDialog* files) { wintest::TypeFileName(files, clip); });
    ASSERT_TRUE(dialog.OnCommand(ID_FILE_OPEN));
    ASSERT_NE(dialog.Playback(), nullptr);
    EXPECT_EQ(wintest::MetaArea(dialog)->height(), 50);
    EXPECT_EQ(wintest::VideoArea(dialog)->size(), QSize(360, 288));
    EXPECT_FALSE(wintest::MenuEnabled(dialog, ID_TOOLS_OPTIONS));

    bool aboutShown = false;
    wintest::AnswerNextModal<CAboutDlg>(&dialog, [&aboutShown](CAboutDlg* about) {
        aboutShown = true;
        about->close();
    });
    ASSERT_TRUE(dialog.OnCommand(ID_HELP_ABOUT));
    EXPECT_TRUE(aboutShown);
    EXPECT_TRUE(boxes.Messages().empty());
    dialog.OnCommand(ID_APP_EXIT);
}

}  // namespace

namespace {

TEST(MainWindowKeys, CtrlOOpensTheFileDialogOnlyWhileTheWindowIsEnabled)
{
    CPlayerDlg dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(wintest::WaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    int dialogs = 0;
    wintest::AnswerNextModal<QFileDialog>(&dialog, [&dialogs](QFileDialog* files) {
        ++dialogs;
        files->reject();
    });
    QTest::keyClick(&dialog, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);

    dialog.setEnabled(false);
    QTest::keyClick(&dialog, Qt::Key_O, Qt::ControlModifier);
    wintest::Spin(std::chrono::milliseconds(150));
    EXPECT_EQ(dialogs, 1);
    dialog.setEnabled(true);
    dialog.OnCommand(ID_APP_EXIT);
}

}  // namespace
