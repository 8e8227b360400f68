#include "ui/window/frame_pacer.h"

#include "playback/appsink_renderer.h"

#include <QTimerEvent>

void CFramePacer::Pace(std::initializer_list<IWindowlessControl*> controls)
{
    Flush();
    m_nPaced = 0;
    for (IWindowlessControl* control : controls) {
        auto* renderer = dynamic_cast<CAppSinkRenderer*>(control);
        if (renderer == nullptr || m_nPaced == static_cast<int>(m_held.size())) {
            continue;
        }
        renderer->SetRepaintHandler([this](QWidget* window, const QRect& area) { Arrived(window, area); });
        ++m_nPaced;
    }
}

void CFramePacer::Arrived(QWidget* window, const QRect& area)
{
    for (int i = 0; i < m_nHeld; ++i) {
        Held& held = m_held[static_cast<std::size_t>(i)];
        if (held.window == window) {
            held.area |= area;   // a second frame of the same window before the other's: one paint shows it
            return;
        }
    }
    if (m_nHeld == static_cast<int>(m_held.size())) {
        Flush();
    }
    m_held[static_cast<std::size_t>(m_nHeld++)] = Held{window, area};
    if (m_nHeld >= m_nPaced) {
        Flush();
    } else if (!m_timer.isActive()) {
        m_timer.start(kWaitMs, Qt::PreciseTimer, this);
    }
}

void CFramePacer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId()) {
        Flush();
    } else {
        QObject::timerEvent(event);
    }
}

void CFramePacer::Flush()
{
    m_timer.stop();
    for (int i = 0; i < m_nHeld; ++i) {
        Held& held = m_held[static_cast<std::size_t>(i)];
        if (held.window) {
            held.window->update(held.area);
        }
        held = Held{};
    }
    m_nHeld = 0;
}
