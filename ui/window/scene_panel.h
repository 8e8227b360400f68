#pragma once
// CScenePanel: View > Scenes, a dock panel beside the main window listing the scenes of the last scan:
// number, first frame, length in frames and recording date and time. Clicking a row hands its first frame
// to the window; the scene that holds the current frame is highlighted as playback moves.

#include "avi/recording_marks.h"

#include <cstdint>
#include <functional>
#include <vector>

class QDockWidget;
class QTableWidget;
class QWidget;

struct SceneRow {
    std::int64_t first;
    std::int64_t length;
    std::int64_t recorded;   // scan seconds of the first frame
};

// One row per scene of a scanned file: frame 0 and every scene start, each running to the next.
std::vector<SceneRow> SceneRows(const std::vector<std::int32_t>& starts, std::int64_t frameCount,
                                const std::vector<RecordingMark>& marks);

class CScenePanel {
public:
    using Choose = std::function<void(std::int64_t)>;

    // Makes the panel (named "Scenes", hidden) as a floating child of window.
    void Create(QWidget* window, Choose choose);
    // Shows the panel, beside the window when it was hidden.
    void Show();
    bool Visible() const;
    void Fill(const std::vector<SceneRow>& rows);
    void Clear();
    // Highlights the scene that holds frame.
    void ShowFrame(std::int64_t frame);
    QDockWidget* Dock() const { return m_pDock; }

private:
    QWidget* m_pWindow = nullptr;
    QDockWidget* m_pDock = nullptr;
    QTableWidget* m_pTable = nullptr;
    std::vector<std::int64_t> m_firsts;
    int m_nCurrent = -1;
    Choose m_choose;
};
