#pragma once
// CSceneFinder: the scene starts of the playing file, found at the first scene command for it. It keeps
// the file reader open and indexed for as long as the file plays, scans every frame's recording time
// behind a progress popup, and answers which scene start lies before or after a frame. A scan pumps
// events with the window disabled; while it runs the window refuses every command but closing itself.

#include "avi/dv_avi_reader.h"
#include "ui/dialogs/progress_popup.h"
#include "ui/dialogs/scan_owner.h"

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;

class CSceneFinder {
public:
    // window owns the popup and the boxes of the scan; not owned.
    explicit CSceneFinder(QWidget* window);

    // The scan's own boxes ("Operation Cancelled") go to the window from now on: at start-up, and again
    // after a scan that the window's closing had cut off from it.
    void AttachToWindow();

    // Opens and indexes path unless that is done. A failure shows its box and closes the reader, so that
    // the next command tries again from the start.
    bool Index(const char* path);
    // Scans the indexed file for scene changes. A cancelled scan shows its own box, a failed read ends
    // silently; either way the file stays indexed but unscanned and the next command scans again.
    bool Scan();
    bool Scanned() const { return m_reader.Scanned(); }
    // True while a scan runs (its popup exists): the scene command that started it is further up the stack.
    bool Scanning() const { return m_pProgress != nullptr; }
    // The window is closing during a scan: the scan ends at its next poll, with no box for a window that
    // is going. The popup stays until the scan has returned, since the scan still uses it.
    void CancelForClose();
    // The file is closed: the next scene command indexes the next file.
    void Close() { m_reader.Close(); }

    // The scene start after (next) or before the frame current; the last or first frame when there is none.
    std::int64_t SceneStartFrom(std::int64_t current, bool next) const;
    const std::vector<std::int32_t>& SceneStarts() const { return m_reader.SceneStarts(); }
    // The indexed file, for the exports that read it.
    const CDvAviReader& Reader() const { return m_reader; }
    const std::vector<RecordingMark>& RecordingMarks() const { return m_reader.RecordingMarks(); }
    std::int64_t FrameCount() const { return static_cast<std::int64_t>(m_reader.FrameOffsets().size()); }

private:
    QWidget* m_pWindow;
    CDvAviReader m_reader;
    CWidgetScanOwner m_scanOwner;   // the window as owner of the scan's boxes
    // Only Scan deletes it: while it exists Scan is further up the stack, inside the reader's scan.
    std::unique_ptr<CProgressPopup> m_pProgress;
};
