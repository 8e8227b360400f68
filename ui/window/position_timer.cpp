#include "ui/window/position_timer.h"

#include "ui/window/command_ids.h"

#include <QTimerEvent>

CPositionTimer::CPositionTimer(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("PositionTimer"));
}

void CPositionTimer::Start()
{
    Kill();
    m_nPositionTimer = startTimer(kPositionTimerMs);
}

void CPositionTimer::Kill()
{
    if (m_nPositionTimer != 0) {
        killTimer(m_nPositionTimer);
        m_nPositionTimer = 0;
    }
}

void CPositionTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != 0 && event->timerId() == m_nPositionTimer) {
        emit tick();
    }
}
