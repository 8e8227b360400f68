// Opening files: the good file plays at once; refused files give their exact message and leave the open
// file alone; the command-line hand-over; the file dialog; the settings the open hands to the graph.
#include "tests/ui/window/window_test_support.h"

#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"

#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

using wintest::CMessageRecorder;

namespace {

class OpenTest : public testing::Test {
protected:
    void SetUp() override { wintest::StartUp(dialog); }
    void TearDown() override { dialog.OnCommand(ID_APP_EXIT); }

    // The path of every file the window opened.
    std::vector<std::string> OpenedPaths() const
    {
        std::vector<std::string> paths;
        for (const QList<QVariant>& arguments : opened) {
            paths.push_back(arguments.at(0).toString().toStdString());
        }
        return paths;
    }

    CMessageRecorder boxes;
    CPlayerDlg dialog;
    QSignalSpy opened{&dialog, &CPlayerDlg::fileOpened};
};

TEST_F(OpenTest, AGoodFilePlaysAtOnceWithItsTitleRangeAndLatchedPlay)
{
    const std::string path = wintest::WriteClip("good.avi", 40);
    wintest::OpenFromCommandLine(dialog, path);
    ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
    ASSERT_NE(dialog.Playback(), nullptr);
    EXPECT_EQ(OpenedPaths(), std::vector<std::string>{path});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("good.avi - Zenk Vuvaz"));
    EXPECT_EQ(wintest::Slider(dialog)->minimum(), 0);
    EXPECT_EQ(wintest::Slider(dialog)->maximum(), 39);
    EXPECT_TRUE(wintest::Button(dialog, IDC_PLAY)->m_bLatched);
    EXPECT_FALSE(wintest::Button(dialog, IDC_PAUSE)->m_bLatched);
    EXPECT_TRUE(wintest::TimerRunning(dialog));
    EXPECT_EQ(wintest::GraphState(dialog), 2);
    EXPECT_EQ(wintest::VideoArea(dialog)->Playback(), dialog.Playback());
    EXPECT_EQ(wintest::MetaArea(dialog)->Playback(), dialog.Playback());
    // The window fits the PAL picture exactly.
    EXPECT_EQ(wintest::VideoArea(dialog)->size(), QSize(720, 576));
    EXPECT_EQ(wintest::MetaArea(dialog)->size(), QSize(720, 100));
}

TEST_F(OpenTest, RefusedFilesShowTheirMessageAndLeaveTheOpenFilePlaying)
{
    const std::string good = wintest::WriteClip("playing.avi", 200);
    wintest::OpenFromCommandLine(dialog, good);
    ASSERT_NE(dialog.Playback(), nullptr);
    CPlaybackGraph* const playing = dialog.Playback();

    const std::string notAvi = wintest::WriteBytes("notes.avi", std::string(4096, 'x'));
    const std::string tiny = wintest::WriteBytes("tiny.avi", "RIFF");
    const std::string missing = wintest::TempPath("missing.avi");
    const std::string folder = wintest::TempPath("");
    // Nobody writes to it: opened the ordinary way, it would hold the window in open() for ever.
    const std::string fifo = wintest::TempPath("pipe.avi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string text;
    } cases[] = {
        {notAvi, "File is not a recognised DV AVI format:\r\n\r\n" + notAvi},
        {tiny, "File is not a recognised DV AVI format:\r\n\r\n" + tiny},
        {missing, "Unable to open the requested file:\r\n\r\n" + missing + "\n\n" + std::strerror(ENOENT)},
        {folder, "Unable to open the requested file:\r\n\r\n" + folder + "\n\n" + std::strerror(EISDIR)},
        {fifo, "Unable to open the requested file:\r\n\r\n" + fifo
                   + "\n\nNot a regular file: a pipe, socket or device cannot be played"},
    };
    std::size_t seen = 0;
    for (const auto& refused : cases) {
        wintest::OpenFromCommandLine(dialog, refused.path);
        ASSERT_EQ(boxes.Messages().size(), ++seen) << refused.path;
        const auto& box = boxes.Messages().back();
        EXPECT_EQ(box.text, refused.text);
        EXPECT_EQ(box.title, "Error!");
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.owner, &dialog);
        // The playing file is untouched, and the names are still its own.
        EXPECT_EQ(dialog.Playback(), playing);
        EXPECT_EQ(OpenedPaths(), std::vector<std::string>{good});
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("playing.avi - Zenk Vuvaz"));
        EXPECT_EQ(wintest::GraphState(dialog), 2);
    }
    // The scene command indexes the file that plays, not the last one refused: its one scene ends at 199.
    dialog.OnCommand(IDC_PAUSE);
    dialog.OnCommand(IDC_NEXT_SCENE);
    EXPECT_EQ(boxes.Messages().size(), seen);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 199);
}

TEST_F(OpenTest, ACommandLinePathTooLongForTheBuilderIsRefusedWhole)
{
    const std::string longPath = "/tmp/" + std::string(300, 'a') + ".avi";
    wintest::OpenFromCommandLine(dialog, longPath);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text,
              "Unable to open the requested file:\r\n\r\n" + longPath + "\n\n" + std::strerror(ENAMETOOLONG));
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_TRUE(OpenedPaths().empty());

    // 259 characters still fit; the check then says what is wrong with the file itself.
    const std::string fits = "/tmp/" + std::string(250, 'b') + ".avi";
    ASSERT_EQ(fits.size(), 259u);
    wintest::OpenFromCommandLine(dialog, fits);
    ASSERT_EQ(boxes.Messages().size(), 2u);
    EXPECT_EQ(boxes.Messages()[1].text.rfind("Unable to open the requested file:\r\n\r\n" + fits + "\n\n", 0), 0u);
}

TEST_F(OpenTest, OpeningASecondFileReplacesTheFirstCompletely)
{
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("first.avi", 30));
    ASSERT_NE(dialog.Playback(), nullptr);
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("second.avi", 12, 2));
    ASSERT_TRUE(boxes.Messages().empty());
    ASSERT_NE(dialog.Playback(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("second.avi - Zenk Vuvaz"));
    EXPECT_EQ(wintest::Slider(dialog)->maximum(), 11);
}

TEST_F(OpenTest, TheVideoAreaOpensAtTheFramesSizeFor4x3AndAtTheDisplayWidthFor16x9)
{
    using fixture::DisplayAspect;
    using fixture::DvSystem;
    struct Case {
        const char* name;
        DvSystem system;
        DisplayAspect aspect;
        QSize area;
    };
    const Case cases[] = {
        {"pal_4x3.avi", DvSystem::Pal625, DisplayAspect::Normal4x3, {720, 576}},
        {"pal_16x9.avi", DvSystem::Pal625, DisplayAspect::Wide16x9, {1024, 576}},
        {"ntsc_4x3.avi", DvSystem::Ntsc525, DisplayAspect::Normal4x3, {720, 480}},
        {"ntsc_16x9.avi", DvSystem::Ntsc525, DisplayAspect::Wide16x9, {853, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPlayerDlg opened;
        wintest::OpenFromCommandLine(opened, wintest::WriteClip(c.name, 10, c.system, c.aspect));
        ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
        ASSERT_NE(opened.Playback(), nullptr);
        EXPECT_EQ(wintest::VideoArea(opened)->size(), c.area);
        EXPECT_EQ(wintest::MetaArea(opened)->width(), c.area.width());
        opened.OnCommand(ID_APP_EXIT);
    }
}

TEST_F(OpenTest, HalfDecoderResolutionGivesTheSmallStrip)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Zenk", "Zenk_Vuvaz");
    store.setValue("Options/DvDecoderRes", 1);
    store.sync();
    CPlayerDlg half;
    wintest::OpenFromCommandLine(half, wintest::WriteClip("half.avi", 20));
    store.remove("Options/DvDecoderRes");
    store.sync();
    ASSERT_TRUE(boxes.Messages().empty());
    // The graph was asked for the small strip: its pictures are 50 lines high.
    std::int32_t stripWidth = 0;
    std::int32_t stripHeight = 0;
    ASSERT_NE(half.Playback(), nullptr);
    ASSERT_TRUE(SUCCEEDED(half.Playback()->m_pMetaWC9->GetNativeVideoSize(&stripWidth, &stripHeight)));
    EXPECT_EQ(stripHeight, 50);
    EXPECT_EQ(wintest::VideoArea(half)->size(), QSize(360, 288));
    EXPECT_EQ(wintest::MetaArea(half)->size(), QSize(360, 50));
    half.OnCommand(ID_APP_EXIT);
}

// A GStreamer installation without the AVI demuxer: the graph cannot be built.
class CFactoryWithoutAviDemuxer final : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        return std::strcmp(factoryName, "avidemux") == 0 ? zv::GstPtr<GstElement>() : m_installed.Make(factoryName);
    }

private:
    CGstElementFactory m_installed;
};

TEST_F(OpenTest, AGraphThatCannotBeBuiltIsReportedAndTheWindowReset)
{
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("before.avi", 30));
    ASSERT_NE(dialog.Playback(), nullptr);
    CFactoryWithoutAviDemuxer factory;
    IElementFactory* previous = SetElementFactory(&factory);
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("unbuildable.avi", 30));
    SetElementFactory(previous);

    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].title, "Error Building Filter Graph");
    EXPECT_EQ(boxes.Messages()[0].text, "Could not create AVI splitter\n\nDetail: The GStreamer element \"avidemux\" is not "
                                        "installed (Debian package gstreamer1.0-plugins-good).");
    EXPECT_EQ(boxes.Messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.Messages()[0].owner, &dialog);
    // The file that was open was closed before the build; the window is back to no file.
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Zenk Vuvaz"));
    EXPECT_FALSE(wintest::MenuEnabled(dialog, ID_FILE_CLOSE));
    EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_TOOLS_OPTIONS));
    EXPECT_FALSE(wintest::Button(dialog, IDC_PLAY)->isEnabled());
    EXPECT_FALSE(wintest::TimerRunning(dialog));
}

TEST_F(OpenTest, ClosingResetsEverythingAndTheAreasTurnBlack)
{
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("close.avi", 30));
    ASSERT_NE(dialog.Playback(), nullptr);
    QSignalSpy closed(&dialog, &CPlayerDlg::fileClosed);
    dialog.OnCommand(ID_FILE_CLOSE);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_EQ(wintest::VideoArea(dialog)->Playback(), nullptr);
    EXPECT_FALSE(wintest::TimerRunning(dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Zenk Vuvaz"));
    EXPECT_EQ(wintest::Slider(dialog)->value(), 0);
    EXPECT_FALSE(wintest::Slider(dialog)->isEnabled());
    const QImage picture = wintest::VideoArea(dialog)->grab().toImage();
    EXPECT_EQ(picture.pixel(picture.width() / 2, picture.height() / 2), qRgb(0, 0, 0));
}

// What the person saw in the file dialog before answering.
struct FileDialogSeen {
    QString title;
    QStringList filters;
    QString selectedFilter;
    QRect frame;
    QStringList listed;
};

void LookAt(QFileDialog* dialog, FileDialogSeen& seen)
{
    seen = {dialog->windowTitle(), dialog->nameFilters(), dialog->selectedNameFilter(), dialog->frameGeometry(), {}};
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    wintest::WaitFor([view] { return view->model()->rowCount(view->rootIndex()) > 0; }, std::chrono::seconds(5));
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
        seen.listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
    }
}

TEST_F(OpenTest, TheFileDialogListsAviFilesOfAnyCaseAndCancelChangesNothing)
{
    const std::string clip = wintest::WriteClip("Holiday.avi", 20);
    wintest::WriteBytes("UPPER.AVI", "RIFF");
    wintest::WriteBytes("notes.txt", "text");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(wintest::TempPath("")));

    FileDialogSeen seen;
    wintest::AnswerNextModal<QFileDialog>(&dialog, [&seen](QFileDialog* files) {
        LookAt(files, seen);
        files->reject();
    });
    dialog.OnCommand(ID_FILE_OPEN);
    EXPECT_EQ(seen.title, QStringLiteral("Select file to play..."));
    EXPECT_EQ(seen.filters, (QStringList{QStringLiteral("All (*.*)"), QStringLiteral("DV video (*.avi *.dv *.dif *.mov)")}));
    EXPECT_EQ(seen.selectedFilter, QStringLiteral("DV video (*.avi *.dv *.dif *.mov)"));
    EXPECT_EQ(seen.frame.topLeft(), QPoint((1280 - seen.frame.width()) / 2, (1024 - seen.frame.height()) / 2));
    EXPECT_TRUE(seen.listed.contains(QStringLiteral("Holiday.avi")));
    EXPECT_TRUE(seen.listed.contains(QStringLiteral("UPPER.AVI")));
    EXPECT_FALSE(seen.listed.contains(QStringLiteral("notes.txt")));
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_TRUE(OpenedPaths().empty());
    EXPECT_TRUE(boxes.Messages().empty());

    wintest::AnswerNextModal<QFileDialog>(&dialog, [&clip](QFileDialog* files) { wintest::TypeFileName(files, clip); });
    dialog.OnCommand(ID_ACCEL_FILE_OPEN);
    QDir::setCurrent(previous);
    ASSERT_TRUE(boxes.Messages().empty());
    ASSERT_NE(dialog.Playback(), nullptr);
    EXPECT_EQ(OpenedPaths(), std::vector<std::string>{clip});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Holiday.avi - Zenk Vuvaz"));
    EXPECT_EQ(wintest::GraphState(dialog), 2);
}

}  // namespace
