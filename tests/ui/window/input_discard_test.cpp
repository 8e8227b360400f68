// The end of the open sequence: keyboard and mouse input queued while the window was busy is thrown
// away, and nothing else that came due meanwhile runs early or is lost: graph notifications, slider
// notifications and timer ticks run once the caller has finished (the open sequence has started playing).
#include "ui/controls/slider_scroll_event.h"
#include "ui/window/command_ids.h"
#include "ui/window/input_discard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "tests/ui/window/window_test_support.h"

namespace {

class CEventLog final : public QWidget {
public:
    std::vector<QEvent::Type> seen;
    int sliderPosition = -1;

    bool Saw(QEvent::Type type) const { return std::find(seen.begin(), seen.end(), type) != seen.end(); }

protected:
    bool event(QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == kSliderScrollEventType) {
            sliderPosition = static_cast<CSliderScrollEvent*>(event)->Position();
        }
        if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress || type == QEvent::Timer
            || type == kGraphNotifyEvent || type == kSliderScrollEventType) {
            seen.push_back(type);
            return true;
        }
        return QWidget::event(event);
    }
};

TEST(DiscardPendingInput, DropsQueuedInputAndLeavesEverythingElseForAfterwards)
{
    CEventLog log;
    QCoreApplication::postEvent(&log, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
    QCoreApplication::postEvent(&log, new QEvent(kGraphNotifyEvent));
    QCoreApplication::postEvent(&log, new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(&log, new CSliderScrollEvent(TB_THUMBTRACK, 42, nullptr));
    const int timer = log.startTimer(0);

    DiscardPendingInput();
    EXPECT_TRUE(log.seen.empty()) << log.seen.size() << " events handled before the caller went on";

    ASSERT_TRUE(wintest::WaitFor([&] { return log.Saw(kGraphNotifyEvent) && log.Saw(kSliderScrollEventType)
                                                  && log.Saw(QEvent::Timer); },
                                 std::chrono::seconds(5)));
    log.killTimer(timer);
    EXPECT_EQ(log.sliderPosition, 42);
    EXPECT_FALSE(log.Saw(QEvent::KeyPress));
    EXPECT_FALSE(log.Saw(QEvent::MouseButtonPress));
    // Held back and posted again in the order they came.
    const auto notify = std::find(log.seen.begin(), log.seen.end(), kGraphNotifyEvent);
    const auto slider = std::find(log.seen.begin(), log.seen.end(), kSliderScrollEventType);
    EXPECT_LT(notify, slider);
}

}  // namespace
