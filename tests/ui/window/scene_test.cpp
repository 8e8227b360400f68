// The scene commands on real clips and a real pipeline: where Previous and Next Scene land, the tick marks,
// the popup of the first scan, playing or paused around the seek, a cancelled scan, an index that cannot be
// built, and the window closed while the scan pumps.
#include "tests/ui/window/window_test_support.h"

#include "playback/playback_graph.h"
#include "tests/fixtures/avi_walk.h"
#include "tests/fixtures/camcorder_clip.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"

#include <QKeyEvent>
#include <QPointer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

using namespace std::chrono_literals;

namespace {

// Counts the scan popups as they appear and runs onScan on each at the scan's first pump, when it is modal.
class PopupWatch : public QObject {
public:
    explicit PopupWatch(std::function<void(CProgressPopup*)> onScan = {}) : m_onScan(std::move(onScan))
    {
        qApp->installEventFilter(this);
    }
    ~PopupWatch() override { qApp->removeEventFilter(this); }
    int shown = 0;
    QPointer<CProgressPopup> last;   // null again once the scan has deleted its popup

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* popup = qobject_cast<CProgressPopup*>(watched);
        if (popup != nullptr && event->type() == QEvent::Show) {
            ++shown;
            last = popup;
            if (m_onScan) {
                QTimer::singleShot(0, popup, [this, popup] { m_onScan(popup); });
            }
        }
        return false;
    }

private:
    std::function<void(CProgressPopup*)> m_onScan;
};

class SceneTest : public testing::Test {
protected:
    void Open(const std::string& path)
    {
        wintest::OpenFromCommandLine(dialog, path);
        ASSERT_NE(dialog.Playback(), nullptr);
    }
    void TearDown() override { dialog.OnCommand(ID_APP_EXIT); }
    void SeekTo(std::int64_t frame)
    {
        dialog.Playback()->SeekToFrame(frame);
        ASSERT_EQ(wintest::CurrentFrame(dialog), frame);
    }

    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
};

struct NavigationCase {
    const char* name;
    std::vector<int> scenes;
    std::vector<int> tics;
    struct Step {
        std::int64_t from;
        int command;
        std::int64_t to;
    };
    std::vector<Step> steps;
};

class SceneNavigationTest : public SceneTest, public testing::WithParamInterface<NavigationCase> {};

TEST_P(SceneNavigationTest, PausedCommandsLandOnTheNeighbouringSceneStart)
{
    const NavigationCase& clip = GetParam();
    Open(wintest::WriteScenes(std::string(clip.name) + ".avi", clip.scenes));
    dialog.OnCommand(IDC_PAUSE);
    bool checkedDuringScan = false;
    PopupWatch popups([&](CProgressPopup* popup) {
        checkedDuringScan = true;
        EXPECT_EQ(popup->parentWidget(), &dialog);
        EXPECT_EQ(popup->Title(), QStringLiteral("Processing"));
        EXPECT_EQ(popup->MessageText(), QStringLiteral("Scanning for scene changes ..."));
        EXPECT_EQ(popup->Upper(), 100);
        EXPECT_EQ(popup->Step(), 1);
        EXPECT_TRUE(popup->IsModal());
        EXPECT_FALSE(dialog.isEnabled());
    });
    for (const NavigationCase::Step& step : clip.steps) {
        SeekTo(step.from);
        ASSERT_TRUE(dialog.OnCommand(step.command));
        EXPECT_EQ(wintest::CurrentFrame(dialog), step.to) << step.from << " " << step.command;
        EXPECT_EQ(wintest::Slider(dialog)->value(), step.to);
        EXPECT_EQ(wintest::GraphState(dialog), State_Paused);
        EXPECT_TRUE(wintest::Button(dialog, IDC_PAUSE)->m_bLatched);
    }
    // One scan for the file, with the popup gone and the window usable again afterwards.
    EXPECT_TRUE(checkedDuringScan);
    EXPECT_EQ(popups.shown, 1);
    EXPECT_TRUE(popups.last.isNull());
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_EQ(wintest::Slider(dialog)->Tics(), clip.tics);
    EXPECT_TRUE(boxes.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Clips, SceneNavigationTest,
    testing::Values(
        // Scene starts 40 and 70, last frame 119.
        NavigationCase{"three_scenes", {40, 30, 50}, {40, 70},
                       {{0, IDC_NEXT_SCENE, 40}, {0, IDC_PREVIOUS_SCENE, 0}, {40, IDC_PREVIOUS_SCENE, 0},
                        {40, IDC_NEXT_SCENE, 70}, {55, IDC_PREVIOUS_SCENE, 40}, {70, IDC_PREVIOUS_SCENE, 40},
                        {70, IDC_NEXT_SCENE, 119}, {119, IDC_NEXT_SCENE, 119}, {119, IDC_PREVIOUS_SCENE, 70}}},
        NavigationCase{"one_scene", {50}, {}, {{20, IDC_PREVIOUS_SCENE, 0}, {20, IDC_NEXT_SCENE, 49}}}),
    [](const testing::TestParamInfo<NavigationCase>& info) { return std::string(info.param.name); });

TEST_F(SceneTest, PlayingResumesFromTheTarget)
{
    Open(wintest::WriteScenes("playing.avi", {100, 30, 50}));
    ASSERT_EQ(wintest::GraphState(dialog), State_Running);
    dialog.OnCommand(IDC_NEXT_SCENE);   // the first scan runs paused in between
    EXPECT_EQ(wintest::GraphState(dialog), State_Running);
    EXPECT_TRUE(wintest::Button(dialog, IDC_PLAY)->m_bLatched);
    EXPECT_TRUE(wintest::TimerRunning(dialog));
    const long long frame = wintest::CurrentFrame(dialog);
    EXPECT_GE(frame, 100);
    EXPECT_LT(frame, 130);
    EXPECT_TRUE(wintest::WaitFor([&] { return wintest::Slider(dialog)->value() > 102; }, 10s));
}

TEST_F(SceneTest, ACancelledScanLeavesThePositionAndTheNextCommandScansAgain)
{
    const std::string path = wintest::WriteScenes("cancel.avi", {40, 30, 50});
    Open(path);
    dialog.OnCommand(IDC_PAUSE);
    SeekTo(10);
    {
        PopupWatch popups([](CProgressPopup* popup) {
            QCoreApplication::postEvent(popup, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        dialog.OnCommand(IDC_NEXT_SCENE);
        EXPECT_EQ(popups.shown, 1);
    }
    EXPECT_EQ(wintest::CurrentFrame(dialog), 10);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text, "Operation Cancelled");
    EXPECT_EQ(boxes.Messages()[0].title, "Cancelled");
    EXPECT_EQ(boxes.Messages()[0].owner, &dialog);
    EXPECT_TRUE(wintest::Slider(dialog)->Tics().empty());
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_EQ(wintest::GraphState(dialog), State_Paused);

    // The file stays open and indexed, not scanned: the next command scans it again, even with its name
    // gone from the folder.
    ASSERT_EQ(std::rename(path.c_str(), (path + ".moved").c_str()), 0);
    PopupWatch again;
    dialog.OnCommand(IDC_NEXT_SCENE);
    ASSERT_EQ(std::rename((path + ".moved").c_str(), path.c_str()), 0);
    EXPECT_EQ(again.shown, 1);
    EXPECT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 40);
    EXPECT_EQ(wintest::Slider(dialog)->Tics(), (std::vector<int>{40, 70}));
}

// Damages the playing file after the pipeline has read it, then undoes the damage.
struct IndexDamage {
    const char* name;
    int error;
    std::function<void(const std::string&)> damage;
    std::function<void(const std::string&)> repair;
    const char* detail;   // the box's last line, after the system text
};

void OverwriteFourCc(const std::string& path, std::int64_t at, const char* fourCc)
{
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, static_cast<long>(at), SEEK_SET), 0);
    ASSERT_EQ(std::fwrite(fourCc, 1, 4, file), 4u);
    std::fclose(file);
}

std::int64_t Idx1Position(const std::string& path)
{
    fixture::walk::AviFile avi(path);
    const auto riff = avi.Find(avi.TopLevel(), "RIFF", "AVI ");
    const auto idx1 = riff ? avi.Find(avi.Children(*riff), "idx1") : std::nullopt;
    EXPECT_TRUE(idx1.has_value());
    return idx1 ? idx1->header : 0;
}

class SceneIndexFailureTest : public SceneTest, public testing::WithParamInterface<IndexDamage> {};

TEST_P(SceneIndexFailureTest, ShowsTheErrorClosesTheReaderAndRetriesNextTime)
{
    const std::string path = wintest::WriteScenes(std::string(GetParam().name) + ".avi", {40, 30});
    Open(path);
    GetParam().damage(path);
    PopupWatch popups;
    dialog.OnCommand(IDC_NEXT_SCENE);
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text, std::string("Unable to index the AVI file\n\n") + std::strerror(GetParam().error)
                                            + GetParam().detail);
    EXPECT_EQ(boxes.Messages()[0].title, "Error!");
    EXPECT_EQ(boxes.Messages()[0].owner, &dialog);
    EXPECT_EQ(boxes.Messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(popups.shown, 0);
    EXPECT_EQ(wintest::GraphState(dialog), State_Running);   // playing before, playing after

    GetParam().repair(path);
    dialog.OnCommand(IDC_PAUSE);
    SeekTo(0);
    dialog.OnCommand(IDC_NEXT_SCENE);
    EXPECT_EQ(popups.shown, 1);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 40);
    EXPECT_EQ(boxes.Messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, SceneIndexFailureTest,
    testing::Values(
        IndexDamage{"idx1_renamed", ENODATA,
                    [](const std::string& path) { OverwriteFourCc(path, Idx1Position(path), "JUNK"); },
                    [](const std::string& path) {
                        // Renamed, idx1 is still the form's last chunk.
                        fixture::walk::AviFile avi(path);
                        const auto riff = avi.Find(avi.TopLevel(), "RIFF", "AVI ");
                        ASSERT_TRUE(riff.has_value());
                        OverwriteFourCc(path, avi.Children(*riff).back().header, "idx1");
                    },
                    "\nThe file has neither an OpenDML index nor an idx1 chunk."},
        IndexDamage{"file_moved", ENOENT,
                    [](const std::string& path) { ASSERT_EQ(std::rename(path.c_str(), (path + ".moved").c_str()), 0); },
                    [](const std::string& path) { ASSERT_EQ(std::rename((path + ".moved").c_str(), path.c_str()), 0); },
                    ""}),
    [](const testing::TestParamInfo<IndexDamage>& info) { return std::string(info.param.name); });

TEST_F(SceneTest, ClosingTheWindowDuringTheScanEndsItQuietly)
{
    const std::string path = wintest::WriteScenes("close.avi", {40, 30, 50});
    Open(path);
    {
        PopupWatch popups([&](CProgressPopup*) { dialog.close(); });
        dialog.OnCommand(IDC_NEXT_SCENE);
        EXPECT_EQ(popups.shown, 1);
        EXPECT_TRUE(popups.last.isNull());
    }
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Playback(), nullptr);
    EXPECT_TRUE(boxes.Messages().empty());   // no "Operation Cancelled" after a window that has gone

    // The cut-off scan did not count: shown again with the file, the window scans it anew.
    Open(path);
    dialog.OnCommand(IDC_PAUSE);
    PopupWatch again;
    dialog.OnCommand(IDC_NEXT_SCENE);
    EXPECT_EQ(again.shown, 1);
    EXPECT_EQ(wintest::Slider(dialog)->Tics(), (std::vector<int>{40, 70}));
    EXPECT_TRUE(boxes.Messages().empty());
}

TEST_F(SceneTest, OtherCommandsWaitForTheScan)
{
    Open(wintest::WriteScenes("busy.avi", {40, 30, 50}));
    dialog.OnCommand(IDC_PAUSE);
    PopupWatch popups([&](CProgressPopup*) {
        dialog.OnCommand(ID_FILE_CLOSE);
        dialog.OnCommand(IDC_PREVIOUS_SCENE);
    });
    dialog.OnCommand(IDC_NEXT_SCENE);
    EXPECT_EQ(popups.shown, 1);
    ASSERT_NE(dialog.Playback(), nullptr);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 40);
    EXPECT_EQ(wintest::Slider(dialog)->Tics(), (std::vector<int>{40, 70}));
}

}  // namespace
