#include "ui/window/vr_window.h"

#include "playback/playback_graph.h"

#include <QPainter>
#include <QPaintEvent>

CVRWindow::CVRWindow(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted here (black) or by the renderer: no background erase to flicker through.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void CVRWindow::SetPlayback(CPlaybackGraph* playback)
{
    m_pPlayback = playback;
    // Kind 1 gives both areas the overlay, every other kind the built-in renderer.
    const bool overlay = OwnControl() != nullptr && playback->m_nRenderer == 1;
    m_bOverlay = overlay;
    // The overlay sink owns the native window's pixels; Qt's backing store must not be flushed over them.
    setAttribute(Qt::WA_PaintOnScreen, overlay);
}

IWindowlessControl* CVRWindow::OwnControl() const
{
    return m_pPlayback != nullptr ? m_pPlayback->ControlFor(this) : nullptr;
}

QPaintEngine* CVRWindow::paintEngine() const
{
    return m_bOverlay ? nullptr : QWidget::paintEngine();
}

void CVRWindow::paintEvent(QPaintEvent* event)
{
    if (m_pPlayback == nullptr) {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    IWindowlessControl* control = OwnControl();
    if (control == nullptr) {
        return;
    }
    if (m_bOverlay) {
        control->RepaintVideo(this, nullptr);
        return;
    }
    QPainter painter(this);
    if (FAILED(control->RepaintVideo(this, &painter))) {
        // No picture yet (the first frame is still on its way): black rather than stale pixels.
        painter.fillRect(event->rect(), Qt::black);
    }
}

void CVRWindow::Repaint()
{
    repaint();
}
