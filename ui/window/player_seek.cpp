// CPlayerDlg seek keys: Play/Pause on one key, seeks by whole seconds and to either end of the file, and the
// read-out that follows every change of position. A seek pauses a running graph around it, as the scene
// commands do, and lands on its frame through the graph's frame seek, as the slider does.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/window/seek_commands.h"

void CPlayerDlg::OnPlayPause()
{
    if (!UsableGraph()) {
        return;
    }
    // The state is taken whatever the call returns: a change still under way reports the state it heads for.
    std::int32_t state = State_Stopped;
    m_pPlayback->GetState(500, &state);
    if (state == State_Running) {
        OnPause();
    } else {
        OnPlay();
    }
}

void CPlayerDlg::OnSeekCommand(int id)
{
    const SeekCommand* command = FindSeekCommand(id);
    std::int64_t current = 0;
    if (command == nullptr || !UsableGraph() || FAILED(m_pPlayback->GetCurrentFrame(&current))) {
        return;
    }
    SeekKeepingState(SeekTarget(*command, current, PlaybackFrameCount(), PlaybackRate().framesPerSecond));
}

bool CPlayerDlg::PauseForSeek()
{
    std::int32_t state = State_Stopped;
    m_pPlayback->GetState(500, &state);
    const bool resume = state == State_Running;
    if (resume) {
        OnPause();
    }
    return resume;
}

void CPlayerDlg::SeekKeepingState(std::int64_t frame)
{
    if (!UsableGraph()) {
        return;
    }
    const bool resume = PauseForSeek();
    m_pPlayback->SeekToFrame(frame);
    UpdateSliderPosition();
    if (resume) {
        OnPlay();
    }
}

void CPlayerDlg::ShowPosition(std::int64_t frame)
{
    m_readout.ShowFrame(frame);
    m_scenePanel.ShowFrame(frame);
}

TimecodeRate CPlayerDlg::PlaybackRate() const
{
    return m_pPlayback ? RateForFrameDuration(m_pPlayback->m_rtFrame) : TimecodeRate{};
}

// Without a frame count the file has the slider's single position.
std::int64_t CPlayerDlg::PlaybackFrameCount() const
{
    std::int64_t count = 0;
    if (!m_pPlayback || FAILED(m_pPlayback->GetFrameCount(&count)) || count < 1) {
        return 1;
    }
    return count;
}
