#pragma once
// CVRWindow: an area of the main window a renderer shows its picture in (the video area and the metadata
// area). Without a graph it is black. With one it leaves its background alone and has its renderer paint:
// the built-in renderer paints the latest frame with this window's painter; the video overlay draws into
// the window's native X11 window itself, so the window then paints nothing through Qt at all.

#include <QWidget>

class CPlaybackGraph;
class IWindowlessControl;

class CVRWindow : public QWidget {
public:
    explicit CVRWindow(QWidget* parent = nullptr);

    // Gives the window the open file's graph, or takes it away (nullptr); not owned. Only the main window
    // calls this: after a successful build, and before the graph is destroyed.
    void SetPlayback(CPlaybackGraph* playback);
    CPlaybackGraph* Playback() const { return m_pPlayback; }

    // What a paint does, at once, outside a paint request.
    void Repaint();

    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // This window's renderer control in the graph: the built-in one first, else the overlay; nullptr when
    // the graph has none for this window.
    IWindowlessControl* OwnControl() const;

    CPlaybackGraph* m_pPlayback = nullptr;
    bool m_bOverlay = false;   // the video overlay draws into this window: Qt must not paint over it
};
