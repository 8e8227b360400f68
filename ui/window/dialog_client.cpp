#include "ui/window/dialog_client.h"

#include "ui/controls/slider_scroll_event.h"

#include <QPainter>

CDialogClient::CDialogClient(QWidget* parent) : QWidget(parent)
{
    // The strip and the children cover the whole area: erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CDialogClient::paintEvent(QPaintEvent* /*event*/)
{
    {
        QPainter painter(this);
        PaintControlStrip(painter, palette(), m_strip);
    }
    if (!m_bPainted) {
        m_bPainted = true;
        if (m_onFirstPaint) {
            m_onFirstPaint();
        }
    }
}

void CDialogClient::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_onResize) {
        m_onResize();
    }
}

bool CDialogClient::event(QEvent* event)
{
    if (event->type() == kSliderScrollEventType) {
        const auto* scroll = static_cast<CSliderScrollEvent*>(event);
        if (m_onScroll) {
            m_onScroll(scroll->Code(), scroll->Position());
        }
        return true;
    }
    return QWidget::event(event);
}
