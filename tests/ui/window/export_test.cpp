// File > Export on real clips in the real window: the folder or file chosen in the real file dialog, the
// files written and read back, the question before a file is replaced, Cancel in the popup, and playback
// paused around the export.
#include "tests/ui/window/window_test_support.h"

#include "avi/dv_avi_check.h"
#include "avi/dv_avi_reader.h"
#include "playback/playback_graph.h"
#include "settings/player_settings.h"
#include "tests/fixtures/camcorder_clip.h"
#include "ui/dialogs/progress_popup.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

namespace fs = std::filesystem;

std::string EmptyFolder(const std::string& name)
{
    const std::string folder = wintest::TempPath(name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class ExportTest : public testing::Test {
protected:
    void Open(const std::string& path)
    {
        wintest::OpenFromCommandLine(dialog, path);
        ASSERT_NE(dialog.Playback(), nullptr);
    }
    void TearDown() override { dialog.OnCommand(ID_APP_EXIT); }
    // Chooses `path` in the export's file dialog, under `filter` when given, as a person would.
    void Choose(const std::string& path, const QString& filter = {})
    {
        wintest::AnswerNextModal<QFileDialog>(&dialog, [path, filter](QFileDialog* files) {
            if (!filter.isEmpty()) {
                files->selectNameFilter(filter);
            }
            wintest::TypeFileName(files, path);
        });
    }
    void Export(int id) { wintest::MenuItem(dialog, id)->trigger(); }

    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
};

TEST_F(ExportTest, ItemsAreOfferedWhileAFileIsOpen)
{
    wintest::StartUp(dialog);
    const std::string clip = wintest::WriteClip("offered.avi", 10);
    for (const int id : {ID_FILE_EXPORT_SCENES, ID_FILE_EXPORT_SUBTITLES}) {
        EXPECT_FALSE(wintest::MenuEnabled(dialog, id)) << id;
    }
    dialog.OpenFile(clip.c_str());
    for (const int id : {ID_FILE_EXPORT_SCENES, ID_FILE_EXPORT_SUBTITLES}) {
        EXPECT_TRUE(wintest::MenuEnabled(dialog, id)) << id;
    }
    dialog.OnCommand(ID_FILE_CLOSE);
    for (const int id : {ID_FILE_EXPORT_SCENES, ID_FILE_EXPORT_SUBTITLES}) {
        EXPECT_FALSE(wintest::MenuEnabled(dialog, id)) << id;
    }
}

// The scene files keep the input's wrapper: a raw stream's scenes are raw streams.
class SplitTest : public ExportTest, public testing::WithParamInterface<const char*> {};

TEST_P(SplitTest, WritesOneReadableFilePerSceneAndAsksBeforeReplacing)
{
    const std::string ext = GetParam();
    Open(wintest::WriteScenes("tape." + ext, {30, 20, 25}));
    const std::string folder = EmptyFolder("scenes-" + ext);
    Choose(folder);
    Export(ID_FILE_EXPORT_SCENES);

    const std::string first = "tape.001.2024-07-08_10-00-00." + ext;
    const std::set<std::string> expected{first, "tape.002.2024-07-08_11-00-00." + ext, "tape.003.2024-07-08_12-00-00." + ext};
    ASSERT_EQ(FilesIn(folder), expected);
    const std::vector<std::size_t> frames{30, 20, 25};
    std::size_t k = 0;
    for (const std::string& name : expected) {
        const std::string path = folder + "/" + name;
        EXPECT_EQ(CheckDvAviFile(path.c_str()), Recognised) << name;
        CDvAviReader reader;
        ASSERT_TRUE(OpenAndIndex(reader, path.c_str())) << name;
        EXPECT_EQ(reader.FrameOffsets().size(), frames[k++]) << name;
    }
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].icon, QMessageBox::Information);
    EXPECT_EQ(boxes.Messages()[0].text, "3 scene files were written to " + folder + ".");
    // It was playing before, so it plays again.
    EXPECT_EQ(wintest::GraphState(dialog), State_Running);

    // Again into the same folder: the question names the file in the way, and No writes nothing.
    const auto before = fs::last_write_time(folder + "/" + first);
    Choose(folder);
    Export(ID_FILE_EXPORT_SCENES);
    ASSERT_EQ(boxes.Messages().size(), 2u);
    EXPECT_EQ(boxes.Messages()[1].icon, QMessageBox::Question);
    EXPECT_NE(boxes.Messages()[1].text.find("3 of the files already exist, the first of them " + folder + "/" + first),
              std::string::npos);
    EXPECT_EQ(fs::last_write_time(folder + "/" + first), before);
    EXPECT_EQ(FilesIn(folder), expected);
}

INSTANTIATE_TEST_SUITE_P(Inputs, SplitTest, testing::Values("avi", "dv"));

TEST_F(ExportTest, RefusalsOfTheCommandLineShowInTheErrorBox)
{
    Open(wintest::WriteScenes("refused.avi", {10, 10}));
    const std::string folder = EmptyFolder("refused");
    fs::create_directory(folder + "/refused.002.2024-07-08_11-00-00.avi");
    Choose(folder);
    Export(ID_FILE_EXPORT_SCENES);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].title, "Error!");
    EXPECT_EQ(boxes.Messages()[0].text, "Unable to write " + folder
                                            + "/refused.002.2024-07-08_11-00-00.avi\n\nA folder of that name is in the way.");
    EXPECT_EQ(FilesIn(folder).size(), 1u);
}

TEST_F(ExportTest, CancelledSplitLeavesNothingOfItself)
{
    Open(wintest::WriteScenes("abandoned.avi", {30, 30, 30}));
    const std::string folder = EmptyFolder("cancelled");
    // Cancel once two scenes are complete and the third is being written.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &dialog, [&dialog = dialog] {
        auto* popup = dialog.findChild<CProgressPopup*>();
        if (popup != nullptr && popup->MessageText().startsWith(QStringLiteral("Splitting")) && popup->Position() >= 67) {
            popup->CancelButton()->click();
        }
    });
    watch.start(0);
    Choose(folder);
    Export(ID_FILE_EXPORT_SCENES);
    watch.stop();
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_TRUE(boxes.Messages().empty());
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_EQ(wintest::GraphState(dialog), State_Running);
}

TEST_F(ExportTest, SubtitlesTakeTheFormatOfTheChosenFilterAndOneCuePerSecond)
{
    // The stored date order, month first, as the Options dialog would have saved it.
    PlayerSettings monthFirst;
    monthFirst.DateFormat = 2;
    SaveSettings(monthFirst);
    Open(wintest::WriteClip("cues.avi", 60));   // 10:15:00, :01 and :02
    SaveSettings(PlayerSettings{});
    dialog.OnCommand(IDC_PAUSE);
    const std::string folder = EmptyFolder("cues");
    Choose(folder + "/dates", QStringLiteral("WebVTT (*.vtt)"));
    Export(ID_FILE_EXPORT_SUBTITLES);

    ASSERT_EQ(FilesIn(folder), std::set<std::string>{"dates.vtt"});
    std::ifstream file(folder + "/dates.vtt");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("WEBVTT\n\n", 0), 0u);
    std::size_t cues = 0;
    for (std::size_t at = text.find("-->"); at != std::string::npos; at = text.find("-->", at + 1)) {
        ++cues;
    }
    EXPECT_EQ(cues, 3u);
    EXPECT_NE(text.find("07/08/2024 10:15:02"), std::string::npos) << text;
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text, "1 subtitle file was written to " + folder + "/dates.vtt. It holds 3 cues.");
    EXPECT_EQ(wintest::GraphState(dialog), State_Paused);
}

}  // namespace
