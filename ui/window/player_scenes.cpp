// CPlayerDlg scene commands: Previous Scene and Next Scene. The first use for a file indexes the playing file
// and scans every frame's recording time behind a progress popup; the scene starts found become tick marks
// on the slider. Each command then seeks to the scene start before or after the current frame, pausing and
// resuming playback around the seek.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/message_box.h"


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
    // A popup means a scan of this window is already running further up the stack (its pump dispatched
    // this command); a second scan would close or rescan the reader under the first one.
    if (m_pProgress) {
        return;
    }

    // The state is taken whatever the call returns: a change still under way reports the state it heads for.
    std::int32_t state = State_Stopped;
    m_pPlayback->GetState(500, &state);
    const bool resume = state == State_Running;
    if (resume) {
        OnPause();
    }

    // The scan pumps events, and a close of the window meanwhile releases the graph: nothing is sought then.
    if (IndexSceneReader() && ScanForScenes() && UsableGraph()) {
        std::int64_t current = 0;
        if (SUCCEEDED(m_pPlayback->GetCurrentFrame(&current))) {
            const std::int64_t target = next ? m_reader.NextSceneStart(current) : m_reader.PreviousSceneStart(current);
            m_pPlayback->SeekToFrame(target);
            UpdateSliderPosition();
        }
    }

    // Without a graph (the window closed during the scan) this does nothing.
    if (resume) {
        OnPlay();
    }
}

// The reader stays open and indexed for as long as the file plays; a failure closes it so that the next
// scene command tries again from the start.
bool CPlayerDlg::IndexSceneReader()
{
    if (m_reader.IsOpen()) {
        return true;
    }
    if (OpenAndIndex(m_reader, m_szPath)) {
        return true;
    }
    ShowLastErrorBox(this, "Unable to index the AVI file", m_reader.IndexProblem());
    m_reader.Close();
    return false;
}

// The popup disables this window while the scan pumps events, so only Cancel (or Esc) reaches the user. A
// cancelled scan shows its own box through the reader's owner; a failed read ends silently. Either way the
// reader stays indexed but unscanned and the next command scans again.
bool CPlayerDlg::ScanForScenes()
{
    if (m_reader.Scanned()) {
        return true;
    }
    m_pProgress = std::make_unique<CProgressPopup>(this, QStringLiteral("Processing"), false);
    m_pProgress->BeginModal();
    m_pProgress->SetRange(0, 100, 1);
    m_pProgress->SetMessageText("Scanning for scene changes ...");
    const bool scanned = m_reader.ScanScenes(m_pProgress.get());
    // The scan has returned, so the popup's pump is no longer on the stack; deleting it re-enables the window.
    m_pProgress.reset();

    if (!UsableGraph()) {
        // The window was closed during the scan and took the reader's owner away so that no "Operation
        // Cancelled" box would follow a window that is going; give it back for a window shown again.
        m_reader.SetOwner(&m_scanOwner);
        return false;
    }
    if (!scanned) {
        return false;
    }
    ShowSceneTics();
    return true;
}

// The tick marks replace those of an earlier scan; one repaint of the whole slider shows them all.
void CPlayerDlg::ShowSceneTics()
{
    m_pSlider->ClearTics(false);
    for (const std::int32_t start : m_reader.SceneStarts()) {
        m_pSlider->SetTic(start);
    }
    m_pSlider->update();
}
