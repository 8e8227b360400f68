// CPlayerDlg transport: play, pause, stop, frame steps, the slider's seeking, the position timer, the end
// of the stream, and the look of the buttons in each state.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/controls/slider_scroll_event.h"
#include "ui/window/command_ids.h"

bool CPlayerDlg::UsableGraph() const
{
    return m_pPlayback && m_pPlayback->VideoControl() != nullptr;
}

void CPlayerDlg::StartPositionTimer()
{
    KillPositionTimer();
    m_nPositionTimer = startTimer(kPositionTimerMs);
}

void CPlayerDlg::KillPositionTimer()
{
    if (m_nPositionTimer != 0) {
        killTimer(m_nPositionTimer);
        m_nPositionTimer = 0;
    }
}

void CPlayerDlg::SetLatched(bool play, bool pause)
{
    CHoverButton* playButton = Button(IDC_PLAY);
    CHoverButton* pauseButton = Button(IDC_PAUSE);
    playButton->m_bLatched = play;
    playButton->update();
    pauseButton->m_bLatched = pause;
    pauseButton->update();
}

void CPlayerDlg::EnableTransport(bool enabled)
{
    for (CHoverButton* button : m_buttons) {
        button->setEnabled(enabled);
    }
    m_pSlider->setEnabled(enabled);
}

void CPlayerDlg::ShowPlayingState()
{
    SetLatched(true, false);
    EnableTransport(true);
}

void CPlayerDlg::ShowPausedState()
{
    SetLatched(false, true);
    EnableTransport(true);
}

void CPlayerDlg::ShowStoppedState()
{
    SetLatched(false, false);
    EnableTransport(true);
}

void CPlayerDlg::DisableTransport()
{
    for (CHoverButton* button : m_buttons) {
        button->setEnabled(false);
    }
    m_pSlider->setValue(0);
    m_pSlider->ClearTics(false);
    m_pSlider->setEnabled(false);
}

void CPlayerDlg::OnPlay()
{
    if (!UsableGraph()) {
        return;
    }
    // Refused at the last frame as well: the paused look is the truth then.
    if (FAILED(m_pPlayback->Run())) {
        OnPause();
        return;
    }
    ShowPlayingState();
    StartPositionTimer();
}

void CPlayerDlg::OnPause()
{
    if (!UsableGraph()) {
        return;
    }
    if (FAILED(m_pPlayback->Pause())) {
        return;
    }
    ShowPausedState();
    m_pPlayback->RefreshFrame();
    KillPositionTimer();
}

void CPlayerDlg::OnStop()
{
    if (!UsableGraph()) {
        return;
    }
    // The graph is never stopped here: it stays paused on the first frame.
    OnPause();
    ShowStoppedState();
    m_pPlayback->SeekToTime(m_pPlayback->m_rtHalfFrame);
    UpdateSliderPosition();
}

void CPlayerDlg::OnFrameBackward()
{
    if (!UsableGraph()) {
        return;
    }
    m_pPlayback->StepFrame(false);
    ShowPausedState();
    UpdateSliderPosition();
}

void CPlayerDlg::OnFrameForward()
{
    if (!UsableGraph()) {
        return;
    }
    m_pPlayback->StepFrame(true);
    ShowPausedState();
    UpdateSliderPosition();
}

void CPlayerDlg::UpdateSliderPosition()
{
    if (!UsableGraph()) {
        return;
    }
    std::int64_t frame = 0;
    if (SUCCEEDED(m_pPlayback->GetCurrentFrame(&frame))) {
        m_pSlider->setValue(static_cast<int>(frame));
    }
}

void CPlayerDlg::OnTimer(int id)
{
    // A tick already queued when the timer was killed finds m_nPositionTimer at 0 and does nothing.
    if (id != 0 && id == m_nPositionTimer) {
        UpdateSliderPosition();
    }
}

void CPlayerDlg::OnHScroll(int code, int /*position*/)
{
    if ((code != TB_THUMBTRACK && code != TB_ENDTRACK) || !UsableGraph()) {
        return;
    }
    // The slider's own position, not the notification's: later moves may have changed it already.
    const int position = m_pSlider->value();
    if (m_bSliderIdle) {
        KillPositionTimer();
        m_pPlayback->GetState(500, &m_nStateBeforeDrag);
        m_bSliderIdle = false;
        m_pPlayback->Pause();
    }
    m_pPlayback->SeekToFrame(position);
    if (code == TB_ENDTRACK) {
        if (m_nStateBeforeDrag == State_Stopped) {
            m_pPlayback->Stop();
        } else if (m_nStateBeforeDrag == State_Running) {
            OnPlay();
        }
        m_bSliderIdle = true;
        // A seek past the end of what the file holds leaves the picture where it was: so does the thumb.
        UpdateSliderPosition();
    }
}

void CPlayerDlg::OnGraphNotify()
{
    if (m_pPlayback && m_pPlayback->HandleGraphEvents()) {
        ShowPausedState();
    }
}
