#include "ui/window/full_screen.h"

#include "ui/window/command_ids.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

int FullScreenStripHeight(QSize area, QSize picture, QSize strip)
{
    if (area.isEmpty() || picture.isEmpty() || strip.isEmpty()) {
        return 0;
    }
    // At width w the block is w * (picture h/w + strip h/w) high: fit it in both directions.
    const double heightPerWidth = static_cast<double>(picture.height()) / picture.width()
                                + static_cast<double>(strip.height()) / strip.width();
    const double width = std::min<double>(area.width(), area.height() / heightPerWidth);
    return std::clamp(static_cast<int>(width * strip.height() / strip.width()), 1, area.height());
}

CFullScreen::CFullScreen(QWidget* window, QWidget* picture, Dispatch dispatch)
    : QObject(window), m_pWindow(window), m_dispatch(std::move(dispatch))
{
    picture->installEventFilter(this);
}

void CFullScreen::Enter()
{
    if (m_bActive) {
        return;
    }
    m_bWasMaximized = m_pWindow->isMaximized();
    m_bActive = true;
    m_pWindow->showFullScreen();
}

void CFullScreen::Leave()
{
    if (!m_bActive) {
        return;
    }
    m_bActive = false;
    if (m_bWasMaximized) {
        m_pWindow->showMaximized();
    } else {
        m_pWindow->showNormal();
    }
}

bool CFullScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        m_dispatch(ID_VIEW_FULL_SCREEN);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
