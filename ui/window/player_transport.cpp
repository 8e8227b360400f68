// CPlayerDlg transport: play, pause, stop, frame steps, the slider's seeking and the end of the stream.
// The transport bar shows the outcome; the position timer moves the thumb while playing.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/controls/slider_scroll_event.h"
#include "ui/window/position_timer.h"

bool CPlayerDlg::UsableGraph() const
{
    return m_pPlayback && m_pPlayback->VideoControl() != nullptr;
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
    m_transport.ShowPlaying();
    m_pPositionTimer->Start();
}

void CPlayerDlg::OnPause()
{
    if (!UsableGraph()) {
        return;
    }
    if (FAILED(m_pPlayback->Pause())) {
        return;
    }
    m_transport.ShowPaused();
    m_pPlayback->RefreshFrame();
    m_pPositionTimer->Kill();
}

void CPlayerDlg::OnStop()
{
    if (!UsableGraph()) {
        return;
    }
    // The graph is never stopped here: it stays paused on the first frame.
    OnPause();
    m_transport.ShowStopped();
    m_pPlayback->SeekToTime(m_pPlayback->m_rtHalfFrame);
    UpdateSliderPosition();
}

void CPlayerDlg::OnFrameBackward()
{
    StepOneFrame(false);
}

void CPlayerDlg::OnFrameForward()
{
    StepOneFrame(true);
}

// The position timer is left as it was: a step while playing leaves the graph paused and the timer on.
void CPlayerDlg::StepOneFrame(bool forward)
{
    if (!UsableGraph()) {
        return;
    }
    m_pPlayback->StepFrame(forward);
    m_transport.ShowPaused();
    UpdateSliderPosition();
}

// Also what every tick of the position timer does.
void CPlayerDlg::UpdateSliderPosition()
{
    if (!UsableGraph()) {
        return;
    }
    std::int64_t frame = 0;
    if (SUCCEEDED(m_pPlayback->GetCurrentFrame(&frame))) {
        m_transport.ShowFrame(frame);
        ShowPosition(frame);
    }
}

void CPlayerDlg::OnHScroll(int code, int /*position*/)
{
    if ((code != TB_THUMBTRACK && code != TB_ENDTRACK) || !UsableGraph()) {
        return;
    }
    // The slider's own position, not the notification's: later moves may have changed it already.
    const int position = m_transport.Slider()->value();
    if (m_bSliderIdle) {
        m_pPositionTimer->Kill();
        m_pPlayback->GetState(500, &m_nStateBeforeDrag);
        m_bSliderIdle = false;
        m_pPlayback->Pause();
    }
    m_pPlayback->SeekToFrame(position);
    // The thumb is the person's while the drag lasts; the read-out shows where it has got to.
    ShowPosition(position);
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
        UpdateSliderRange();   // a file cut short ends at the last frame it holds, not the one it claimed
        m_transport.ShowPaused();
    }
}

void CPlayerDlg::UpdateSliderRange()
{
    const std::int64_t count = PlaybackFrameCount();
    m_transport.SetFrameCount(count);
    m_readout.SetFile(count, PlaybackRate());
}
