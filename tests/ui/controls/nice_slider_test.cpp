#include "ui/controls/nice_slider_ctrl.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <vector>

#include "ui/controls/slider_scroll_event.h"

namespace {

using Notes = std::vector<std::pair<int, int>>;  // (code, position) in arrival order

// The slider's parent: records every scroll notification it is posted.
class ScrollRecorder : public QWidget {
public:
    Notes notes;
    std::vector<QWidget*> senders;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() != kSliderScrollEventType)
            return;
        const auto* scroll = static_cast<CSliderScrollEvent*>(event);
        notes.emplace_back(scroll->Code(), scroll->Position());
        senders.push_back(scroll->Slider());
    }
};

// A slider whose channel runs from x 10 to x 410 whatever the style, and whose handle rectangle is visible.
class FixedChannelSlider : public CNiceSliderCtrl {
public:
    using CNiceSliderCtrl::CNiceSliderCtrl;
    bool fixedChannel = true;
    QRect ChannelRect() const override
    {
        return fixedChannel ? QRect(10, 0, 400, height()) : CNiceSliderCtrl::ChannelRect();
    }
    QRect HandleRect() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

class NiceSliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(560, 60);
        slider = new FixedChannelSlider(&parent);
        slider->setGeometry(0, 10, 420, 30);
        slider->setRange(0, 2000);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    Notes Delivered()
    {
        QCoreApplication::processEvents();
        Notes out = parent.notes;
        parent.notes.clear();
        return out;
    }

    QPoint At(int x) const { return {x, 15}; }

    // Mouse input through the window, as the platform delivers it: Qt routes it to the widget under the
    // pointer, or to the one that took the press while the button is held.
    QWindow* Window() { return parent.windowHandle(); }
    QPoint InWindow(int x) const { return slider->mapTo(&parent, At(x)); }
    void Press(int x) { QTest::mousePress(Window(), Qt::LeftButton, {}, InWindow(x)); }
    void Move(int x) { QTest::mouseMove(Window(), InWindow(x)); }
    void Release(int x) { QTest::mouseRelease(Window(), Qt::LeftButton, {}, InWindow(x)); }

    ScrollRecorder parent;
    FixedChannelSlider* slider = nullptr;
};

// One user action with the mouse: press at the first x, move through the middle ones, release at the last.
// Routed through the window unless `direct`: Qt moves the pointer to a release's position before
// delivering the release, so a release away from the last move reaches the slider only when sent to it.
struct DragCase {
    const char* name;
    int range;
    int start;
    std::vector<int> xs;
    Notes expected;
    bool direct = false;
};

class NiceSliderDragTest : public NiceSliderTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(NiceSliderDragTest, PostsTheTrackbarSequence)
{
    const DragCase& c = GetParam();
    slider->setRange(0, c.range);
    slider->setValue(c.start);
    Delivered();
    if (c.direct) {
        QTest::mousePress(slider, Qt::LeftButton, {}, At(c.xs.front()));
        for (std::size_t i = 1; i + 1 < c.xs.size(); ++i)
            QTest::mouseMove(slider, At(c.xs[i]));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, At(c.xs.back()));
    } else {
        Press(c.xs.front());
        EXPECT_EQ(parent.focusWidget(), slider);
        for (std::size_t i = 1; i + 1 < c.xs.size(); ++i)
            Move(c.xs[i]);
        Release(c.xs.back());
    }
    EXPECT_EQ(Delivered(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    UserActions, NiceSliderDragTest,
    ::testing::Values(
        DragCase{"ClickNewPlace", 2000, 0, {110, 110}, {{5, 500}, {4, 500}, {8, 500}}},
        DragCase{"ClickCurrentPosition", 2000, 500, {110, 110}, {}},
        DragCase{"DragReleaseAtLast", 2000, 0, {110, 210, 310, 310},
                 {{5, 500}, {5, 1000}, {5, 1500}, {4, 1500}, {8, 1500}}},
        DragCase{"DragReleaseElsewhere", 2000, 0, {110, 210, 310},
                 {{5, 500}, {5, 1000}, {8, 1500}, {4, 1500}, {8, 1500}}, true},
        DragCase{"MoveAwayAndBack", 2000, 500, {110, 210, 110, 110}, {{5, 1000}, {5, 500}, {4, 500}, {8, 500}}},
        // Beyond the end the computed value keeps differing from the clamped position: every move reports.
        // The slider ends at x 420, so these moves and the release reach it only through the capture.
        DragCase{"DragPastTheEnd", 2000, 0, {400, 450, 500, 500},
                 {{5, 1950}, {5, 2000}, {5, 2000}, {8, 2000}, {4, 2000}, {8, 2000}}},
        DragCase{"ExactHalfGoesUp", 10, 0, {30, 30}, {{5, 1}, {4, 1}, {8, 1}}},
        DragCase{"JustBelowHalf", 10, 0, {29, 29}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NiceSliderTest, NotificationsArePostedNotSent)
{
    QMouseEvent press(QEvent::MouseButtonPress, At(110), slider->mapToGlobal(At(110)), Qt::LeftButton,
                      Qt::LeftButton, {});
    QCoreApplication::sendEvent(slider, &press);
    EXPECT_TRUE(parent.notes.empty());  // the press has been handled, its notification not yet delivered
    EXPECT_EQ(slider->value(), 500);
    EXPECT_EQ(Delivered(), (Notes{{5, 500}}));
    EXPECT_EQ(parent.senders.back(), slider);
    QMouseEvent release(QEvent::MouseButtonRelease, At(110), slider->mapToGlobal(At(110)), Qt::LeftButton,
                        Qt::NoButton, {});
    QCoreApplication::sendEvent(slider, &release);
    EXPECT_EQ(Delivered(), (Notes{{4, 500}, {8, 500}}));
}

TEST_F(NiceSliderTest, DoubleClickGivesTwoCompleteClicks)
{
    auto send = [this](QEvent::Type type, int x) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, At(x), slider->mapToGlobal(At(x)), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(slider, &e);
    };
    send(QEvent::MouseButtonPress, 110);
    send(QEvent::MouseButtonRelease, 110);
    send(QEvent::MouseButtonPress, 210);
    send(QEvent::MouseButtonDblClick, 210);
    send(QEvent::MouseButtonRelease, 210);
    EXPECT_EQ(Delivered(), (Notes{{5, 500}, {4, 500}, {8, 500}, {5, 1000}, {4, 1000}, {8, 1000}}));
}

TEST_F(NiceSliderTest, OtherButtonsAndMovesWithoutPressDoNothing)
{
    QTest::mouseClick(Window(), Qt::RightButton, {}, InWindow(110));
    Move(210);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_TRUE(Delivered().empty());
}

TEST_F(NiceSliderTest, DisablingMidDragEndsTheDrag)
{
    Press(110);
    Move(210);
    slider->setEnabled(false);
    EXPECT_EQ(Delivered(), (Notes{{5, 500}, {5, 1000}, {4, 1000}, {8, 1000}}));
    slider->setEnabled(true);
    QMouseEvent move(QEvent::MouseMove, At(310), slider->mapToGlobal(At(310)), Qt::NoButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(slider, &move);  // no drag any more: the thumb stays
    EXPECT_EQ(slider->value(), 1000);
    Release(310);
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_TRUE(Delivered().empty());
}

struct KeyCase {
    const char* name;
    int start;
    Qt::Key key;
    Notes expected;
};

class NiceSliderKeyTest : public NiceSliderTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(NiceSliderKeyTest, ReportsTheMoveThenEndOfTracking)
{
    const KeyCase& c = GetParam();
    slider->setValue(c.start);
    Delivered();
    QTest::keyClick(slider, c.key);
    EXPECT_EQ(Delivered(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, NiceSliderKeyTest,
                         ::testing::Values(KeyCase{"Right", 1000, Qt::Key_Right, {{1, 1001}, {8, 1001}}},
                                           KeyCase{"Left", 1000, Qt::Key_Left, {{0, 999}, {8, 999}}},
                                           KeyCase{"PageDown", 1000, Qt::Key_PageDown, {{2, 990}, {8, 990}}},
                                           KeyCase{"Home", 1000, Qt::Key_Home, {{6, 0}, {8, 0}}},
                                           KeyCase{"End", 1000, Qt::Key_End, {{7, 2000}, {8, 2000}}},
                                           KeyCase{"LeftAtMinimum", 0, Qt::Key_Left, {{8, 0}}},
                                           KeyCase{"OtherKey", 1000, Qt::Key_A, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NiceSliderTest, AutoRepeatEndsTrackingOnce)
{
    slider->setValue(1000);
    Delivered();
    for (bool repeat : {false, true, true}) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Right, {}, QString(), repeat);
        QCoreApplication::sendEvent(slider, &down);
        if (repeat) {
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_Right, {}, QString(), true);
            QCoreApplication::sendEvent(slider, &up);
        }
    }
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Right, {}, QString(), false);
    QCoreApplication::sendEvent(slider, &up);
    EXPECT_EQ(Delivered(), (Notes{{1, 1001}, {1, 1002}, {1, 1003}, {8, 1003}}));
}

TEST_F(NiceSliderTest, WheelStepReportsDirectionThenEndOfTracking)
{
    slider->setValue(1000);
    Delivered();
    const QPointF pos = At(200);
    QWheelEvent down(pos, slider->mapToGlobal(pos), {}, QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(slider, &down);
    const int after = slider->value();
    ASSERT_LT(after, 1000);
    EXPECT_EQ(Delivered(), (Notes{{0, after}, {8, after}}));
}

TEST_F(NiceSliderTest, StyleChannelPutsTheThumbUnderThePointer)
{
    slider->fixedChannel = false;
    const QRect channel = slider->ChannelRect();
    ASSERT_GT(channel.width(), 100);
    for (int x : {channel.left(), channel.left() + channel.width() / 3, channel.left() + channel.width()}) {
        Press(x);
        Release(x);
        EXPECT_NEAR(slider->HandleRect().center().x(), x, 1) << "click at " << x;
    }
    EXPECT_EQ(slider->value(), 2000);
    Press(channel.left());
    Release(channel.left());
    EXPECT_EQ(slider->value(), 0);
}

// The columns where two grabs differ.
std::set<int> ChangedColumns(const QImage& a, const QImage& b)
{
    std::set<int> columns;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                columns.insert(x);
    return columns;
}

TEST_F(NiceSliderTest, TickMarksAppearAtTheirPositions)
{
    slider->fixedChannel = false;
    slider->setValue(1000);
    const QImage plain = slider->grab().toImage();

    EXPECT_FALSE(slider->SetTic(-1));
    EXPECT_FALSE(slider->SetTic(2001));
    for (int tic : {0, 137, 500, 1999})
        EXPECT_TRUE(slider->SetTic(tic));
    slider->update();
    const QImage marked = slider->grab().toImage();
    const std::set<int> expected{slider->TicX(0), slider->TicX(137), slider->TicX(500), slider->TicX(1999)};
    EXPECT_EQ(ChangedColumns(plain, marked), expected);

    // A mark sits under the thumb's centre when the thumb is at its position.
    slider->setValue(137);
    EXPECT_NEAR(slider->HandleRect().center().x(), slider->TicX(137), 1);
    slider->setValue(1000);

    // A range that no longer holds a mark hides it.
    slider->setRange(0, 1000);
    slider->setValue(1000);
    const QImage markedShort = slider->grab().toImage();
    slider->ClearTics(true);
    EXPECT_TRUE(slider->Tics().empty());
    const QImage plainShort = slider->grab().toImage();
    EXPECT_EQ(ChangedColumns(plainShort, markedShort),
              (std::set<int>{slider->TicX(0), slider->TicX(137), slider->TicX(500)}));
}

}  // namespace
