// CPlayerDlg scene commands: Previous Scene and Next Scene. The scene finder indexes and scans the playing
// file at the first use; the scene starts become tick marks on the slider. Each command then seeks to the
// scene start before or after the current frame, pausing and resuming playback around the seek.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"

void CPlayerDlg::OnPreviousScene()
{
    StepToScene(false);
}

void CPlayerDlg::OnNextScene()
{
    StepToScene(true);
}

void CPlayerDlg::StepToScene(bool next)
{
    if (!UsableGraph()) {
        return;
    }
    // The state is taken whatever the call returns: a change still under way reports the state it heads for.
    const bool resume = PauseForSeek();

    if (EnsureScenesScanned()) {
        std::int64_t current = 0;
        if (SUCCEEDED(m_pPlayback->GetCurrentFrame(&current))) {
            m_pPlayback->SeekToFrame(m_scenes.SceneStartFrom(current, next));
            UpdateSliderPosition();
        }
    }

    // Without a graph (the window closed during the scan) this does nothing.
    if (resume) {
        OnPlay();
    }
}

// The scan pumps events, and a close of the window meanwhile releases the graph: nothing is sought then.
bool CPlayerDlg::EnsureScenesScanned()
{
    return m_scenes.Index(m_names.Path()) && ScanForScenes() && UsableGraph();
}

bool CPlayerDlg::ScanForScenes()
{
    if (m_scenes.Scanned()) {
        return true;
    }
    const bool scanned = m_scenes.Scan();
    if (!UsableGraph()) {
        // The window was closed during the scan and took the finder's boxes away so that no "Operation
        // Cancelled" box would follow a window that is going; give them back for a window shown again.
        m_scenes.AttachToWindow();
        return false;
    }
    if (!scanned) {
        return false;
    }
    m_transport.ShowSceneStarts(m_scenes.SceneStarts());
    FillScenePanel();
    return true;
}
