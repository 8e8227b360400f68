#include "ui/window/paint_pump.h"

#include <QCoreApplication>
#include <QEvent>

void PumpPaintMessages()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}
