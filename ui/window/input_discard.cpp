#include "ui/window/input_discard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

namespace {

bool IsInput(QEvent::Type type)
{
    switch (type) {
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
        return false;
    }
}

// Events that would run the player's handlers: timer ticks and the events the program posts itself,
// all numbered in the private range 0x8000-0xBFFF (graph notifications 0x8001, the command-line
// hand-over 0x800B, slider notifications 0x8114). Qt's own bookkeeping (paints, layout, queued calls)
// is left to run.
bool IsHeldBack(QEvent::Type type)
{
    constexpr int kFirstPrivate = 0x8000;
    constexpr int kLastPrivate = 0xBFFF;
    return type == QEvent::Timer || (type >= kFirstPrivate && type <= kLastPrivate);
}

class CInputSwallower final : public QObject {
public:
    // What was held back, posted again to the receivers still alive, oldest first.
    void PostHeldBack()
    {
        for (auto& [receiver, event] : m_held) {
            if (receiver) {
                QCoreApplication::postEvent(receiver.data(), event.release());
            }
        }
        m_held.clear();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (IsInput(event->type())) {
            return true;
        }
        if (IsHeldBack(event->type())) {
            // The delivered event belongs to Qt's queue and dies after this call: keep a copy.
            m_held.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_held;
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
    // Delivers what the window system has queued by now; the filter eats the input among it and keeps
    // the rest of what is due for later.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    application->removeEventFilter(&swallower);
    swallower.PostHeldBack();
}
