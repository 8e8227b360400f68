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
    bool overlay = false;
    if (playback != nullptr) {
        const bool isVideo = playback->m_hwndVideo == this;
        const bool isMeta = playback->m_hwndMeta == this;
        overlay = (isVideo && !playback->m_pVideoWC9 && playback->m_pVideoWC7)
                  || (isMeta && !playback->m_pMetaWC9 && playback->m_pMetaWC7);
    }
    m_bOverlay = overlay;
    // The overlay sink owns the native window's pixels; Qt's backing store must not be flushed over them.
    setAttribute(Qt::WA_PaintOnScreen, overlay);
}

IWindowlessControl* CVRWindow::OwnControl() const
{
    if (m_pPlayback == nullptr) {
        return nullptr;
    }
    if (m_pPlayback->m_hwndVideo == this) {
        return m_pPlayback->m_pVideoWC9 ? m_pPlayback->m_pVideoWC9.get() : m_pPlayback->m_pVideoWC7.get();
    }
    if (m_pPlayback->m_hwndMeta == this) {
        return m_pPlayback->m_pMetaWC9 ? m_pPlayback->m_pMetaWC9.get() : m_pPlayback->m_pMetaWC7.get();
    }
    return nullptr;
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
