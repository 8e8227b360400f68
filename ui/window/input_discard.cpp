#include "ui/window/input_discard.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

class CInputSwallower final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

}  // namespace

void DiscardPendingInput()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return;
    }
    CInputSwallower swallower;
    application->installEventFilter(&swallower);
    // Delivers what the window system has queued by now; the filter eats the input among it.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    application->removeEventFilter(&swallower);
}
