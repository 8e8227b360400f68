#pragma once
// The main window's client area: everything below the menu bar. It holds the child controls, which the
// window's layout places in its pixel coordinates, and paints the control strip the layout computed.

#include "ui/window/control_strip.h"

#include <QWidget>

#include <functional>

class CDialogClient : public QWidget {
public:
    explicit CDialogClient(QWidget* parent = nullptr);

    void SetStrip(const ControlStrip& strip) { m_strip = strip; }
    const ControlStrip& Strip() const { return m_strip; }
    // Runs on every size change (the window's layout).
    void SetResizeHandler(std::function<void()> handler) { m_onResize = std::move(handler); }
    // Runs once, at the first paint: the window is then on the screen.
    void SetFirstPaintHandler(std::function<void()> handler) { m_onFirstPaint = std::move(handler); }
    bool Painted() const { return m_bPainted; }
    // Receives the seek slider's notifications (code, position), which the slider posts to this area,
    // its parent.
    void SetScrollHandler(std::function<void(int, int)> handler) { m_onScroll = std::move(handler); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ControlStrip m_strip;
    std::function<void()> m_onResize;
    std::function<void(int, int)> m_onScroll;
    std::function<void()> m_onFirstPaint;
    bool m_bPainted = false;
};
