// The transport commands on a real pipeline: the latched buttons, menu and timer after each command, the
// end of the stream, Play at the last frame, Stop, frame steps and dragging the slider.
#include "tests/ui/window/window_test_support.h"

#include "tests/fixtures/camcorder_clip.h"

#include "playback/playback_graph.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/controls/slider_scroll_event.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"

#include <QCoreApplication>

#include <filesystem>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class TransportTest : public testing::Test {
protected:
    // A clip whose file is cut short while it plays, as a copy still being written or a file replaced under
    // the player leaves it: the header and the index read at the open claim every frame.
    void OpenAndCut(fixture::AviIndex index, int frames, double kept)
    {
        const std::string name = index == fixture::AviIndex::OpenDml ? "cut_odml.avi" : "cut_idx1.avi";
        const std::string path = wintest::TempPath(name);
        fixture::ClipOptions options;
        options.index = index;
        options.scenes.push_back({{2024, 7, 8, 10, 15, 0}, frames});
        std::string error;
        ASSERT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
        wintest::OpenFromCommandLine(dialog, path);
        ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
        ASSERT_NE(dialog.Playback(), nullptr);
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(std::filesystem::file_size(path) * kept));
    }

    void Open(int frames)
    {
        wintest::OpenFromCommandLine(dialog, wintest::WriteClip("transport" + std::to_string(frames) + ".avi", frames));
        ASSERT_TRUE(boxes.Messages().empty()) << boxes.Messages().front().text;
        ASSERT_NE(dialog.Playback(), nullptr);
    }
    void TearDown() override { dialog.OnCommand(ID_APP_EXIT); }

    bool PlayLatched() { return wintest::Button(dialog, IDC_PLAY)->m_bLatched; }
    bool PauseLatched() { return wintest::Button(dialog, IDC_PAUSE)->m_bLatched; }
    bool TransportEnabled()
    {
        for (const int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FRAME_BACKWARD, IDC_FRAME_FORWARD, IDC_PREVIOUS_SCENE,
                             IDC_NEXT_SCENE}) {
            if (!wintest::Button(dialog, id)->isEnabled()) {
                return false;
            }
        }
        return wintest::Slider(dialog)->isEnabled();
    }
    // The slider as the user drags it: the thumb moves, then the notification is posted and delivered.
    void Drag(int code, int position)
    {
        wintest::Slider(dialog)->setValue(position);
        QCoreApplication::postEvent(wintest::Slider(dialog)->parentWidget(),
                                    new CSliderScrollEvent(code, position, wintest::Slider(dialog)));
        QCoreApplication::sendPostedEvents(wintest::Slider(dialog)->parentWidget(), kSliderScrollEventType);
    }

    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
};

TEST_F(TransportTest, EachCommandLeavesItsLatchesMenuAndTimer)
{
    Open(100);
    const struct {
        int command;
        bool play, pause, timer;
        int state;
    } steps[] = {
        {IDC_PAUSE, false, true, false, 1},
        {IDC_PLAY, true, false, true, 2},
        {IDC_FRAME_FORWARD, false, true, true, 1},    // the step leaves the timer as it was
        {IDC_PAUSE, false, true, false, 1},
        {IDC_FRAME_BACKWARD, false, true, false, 1},
        {IDC_PLAY, true, false, true, 2},
        {IDC_STOP, false, false, false, 1},           // Stop pauses on frame 0, it never stops the graph
        {IDC_PLAY, true, false, true, 2},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(dialog.OnCommand(step.command));
        EXPECT_EQ(PlayLatched(), step.play) << step.command;
        EXPECT_EQ(PauseLatched(), step.pause) << step.command;
        EXPECT_EQ(wintest::TimerRunning(dialog), step.timer) << step.command;
        EXPECT_EQ(wintest::GraphState(dialog), step.state) << step.command;
        EXPECT_TRUE(TransportEnabled()) << step.command;
        EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_FILE_OPEN));
        EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_FILE_CLOSE));
        EXPECT_FALSE(wintest::MenuEnabled(dialog, ID_TOOLS_OPTIONS));
        EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_APP_EXIT));
        EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_HELP_ABOUT));
    }
    dialog.OnCommand(ID_FILE_CLOSE);
    EXPECT_FALSE(TransportEnabled());
    EXPECT_FALSE(wintest::MenuEnabled(dialog, ID_FILE_CLOSE));
    EXPECT_TRUE(wintest::MenuEnabled(dialog, ID_TOOLS_OPTIONS));
    EXPECT_FALSE(wintest::TimerRunning(dialog));
    // Without a file the transport commands do nothing at all.
    for (const int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FRAME_FORWARD, IDC_FRAME_BACKWARD}) {
        EXPECT_TRUE(dialog.OnCommand(id));
        EXPECT_EQ(dialog.Playback(), nullptr);
        EXPECT_FALSE(wintest::TimerRunning(dialog));
    }
}

TEST_F(TransportTest, StopAndFrameStepsMoveTheThumbWithTheGraph)
{
    Open(60);
    dialog.OnCommand(IDC_PAUSE);
    dialog.OnCommand(IDC_STOP);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 0);
    EXPECT_EQ(wintest::Slider(dialog)->value(), 0);
    dialog.OnCommand(IDC_FRAME_FORWARD);
    dialog.OnCommand(IDC_FRAME_FORWARD);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 2);
    EXPECT_EQ(wintest::Slider(dialog)->value(), 2);
    dialog.OnCommand(IDC_FRAME_BACKWARD);
    EXPECT_EQ(wintest::Slider(dialog)->value(), 1);
}

TEST_F(TransportTest, TheTimerMovesTheThumbWhilePlaying)
{
    Open(100);
    ASSERT_TRUE(wintest::WaitFor([&] { return wintest::Slider(dialog)->value() >= 5; }, 10s));
    EXPECT_TRUE(PlayLatched());
}

TEST_F(TransportTest, TheEndOfTheStreamLatchesPauseOnTheLastFrameAndPlayIsRefusedThere)
{
    Open(12);
    ASSERT_TRUE(wintest::WaitFor([&] { return PauseLatched(); }, 15s));
    EXPECT_FALSE(PlayLatched());
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 11);
    // The timer keeps running after the end of the stream and brings the thumb to the last frame.
    EXPECT_TRUE(wintest::TimerRunning(dialog));
    ASSERT_TRUE(wintest::WaitFor([&] { return wintest::Slider(dialog)->value() == 11; }, 5s));

    // Play on the last frame does not run: the paused look stays.
    dialog.OnCommand(IDC_PLAY);
    EXPECT_TRUE(PauseLatched());
    EXPECT_FALSE(PlayLatched());
    EXPECT_FALSE(wintest::TimerRunning(dialog));
    EXPECT_EQ(wintest::GraphState(dialog), 1);
}

TEST_F(TransportTest, ADragWhilePlayingFollowsTheThumbAndResumesPlaying)
{
    Open(150);
    ASSERT_EQ(wintest::GraphState(dialog), 2);
    Drag(TB_THUMBTRACK, 40);
    EXPECT_FALSE(wintest::TimerRunning(dialog));
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 40);
    for (const int frame : {41, 42, 60}) {
        Drag(TB_THUMBTRACK, frame);
        EXPECT_EQ(wintest::CurrentFrame(dialog), frame);
        EXPECT_EQ(wintest::GraphState(dialog), 1);
    }
    // TB_THUMBPOSITION is not acted on: the drag goes on, paused; TB_ENDTRACK seeks once more and restores
    // the playing the drag began in.
    Drag(TB_THUMBPOSITION, 60);
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    Drag(TB_ENDTRACK, 61);
    EXPECT_EQ(wintest::GraphState(dialog), 2);
    EXPECT_TRUE(PlayLatched());
    EXPECT_TRUE(wintest::TimerRunning(dialog));
    ASSERT_TRUE(wintest::WaitFor([&] { return wintest::Slider(dialog)->value() > 61; }, 10s));

    // The next drag starts afresh and takes the state it begins in: paused, it ends paused.
    dialog.OnCommand(IDC_PAUSE);
    Drag(TB_THUMBTRACK, 20);
    Drag(TB_ENDTRACK, 20);
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    EXPECT_TRUE(PauseLatched());
}

TEST_F(TransportTest, ADragWhilePausedEndsPaused)
{
    Open(80);
    dialog.OnCommand(IDC_PAUSE);
    Drag(TB_THUMBTRACK, 30);
    Drag(TB_ENDTRACK, 30);
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 30);
    EXPECT_TRUE(PauseLatched());
    EXPECT_FALSE(wintest::TimerRunning(dialog));

    // Ended, the drag saves the state of the next one: begun while playing, that one resumes playing.
    dialog.OnCommand(IDC_PLAY);
    Drag(TB_THUMBTRACK, 10);
    Drag(TB_ENDTRACK, 10);
    EXPECT_EQ(wintest::GraphState(dialog), 2);
    EXPECT_TRUE(PlayLatched());
}

class CutShortTest : public TransportTest, public testing::WithParamInterface<fixture::AviIndex> {};

// Played to the cut, the window shows the end as at a normal end; a seek or a step past the cut, before the
// stream has met it or after, leaves the thumb on the frame the picture shows.
TEST_P(CutShortTest, TheCutEndsTheStreamAndTheThumbStaysWithThePicture)
{
    OpenAndCut(GetParam(), 80, 0.5);
    dialog.OnCommand(IDC_PAUSE);
    const long long before = wintest::CurrentFrame(dialog);
    Drag(TB_THUMBTRACK, 70);
    Drag(TB_ENDTRACK, 70);
    EXPECT_EQ(wintest::CurrentFrame(dialog), before);
    EXPECT_EQ(wintest::Slider(dialog)->value(), before);

    dialog.OnCommand(IDC_PLAY);
    ASSERT_TRUE(wintest::WaitFor([&] { return PauseLatched(); }, 30s));
    EXPECT_FALSE(PlayLatched());
    EXPECT_EQ(wintest::GraphState(dialog), 1);
    const long long last = wintest::CurrentFrame(dialog);
    EXPECT_GT(last, 30);
    EXPECT_LT(last, 45);
    ASSERT_TRUE(wintest::WaitFor([&] { return wintest::Slider(dialog)->value() == last; }, 5s));
    EXPECT_EQ(wintest::Slider(dialog)->maximum(), last);   // the range ends at the last frame there is

    dialog.OnCommand(IDC_FRAME_BACKWARD);
    EXPECT_EQ(wintest::CurrentFrame(dialog), last - 1);
    dialog.OnCommand(IDC_FRAME_FORWARD);
    dialog.OnCommand(IDC_FRAME_FORWARD);   // past the cut: stays on the last frame there is
    EXPECT_EQ(wintest::CurrentFrame(dialog), last);
    EXPECT_EQ(wintest::Slider(dialog)->value(), last);
    dialog.OnCommand(IDC_PLAY);            // refused there, as on the last frame of a whole file
    EXPECT_TRUE(PauseLatched());
    Drag(TB_THUMBTRACK, 70);
    Drag(TB_ENDTRACK, 70);
    EXPECT_EQ(wintest::CurrentFrame(dialog), last);
    EXPECT_EQ(wintest::Slider(dialog)->value(), last);
    Drag(TB_THUMBTRACK, 10);               // what the file holds still plays
    Drag(TB_ENDTRACK, 10);
    EXPECT_EQ(wintest::CurrentFrame(dialog), 10);
    EXPECT_TRUE(boxes.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Indexes, CutShortTest,
                         testing::Values(fixture::AviIndex::Idx1Absolute, fixture::AviIndex::OpenDml));

}  // namespace
