#include "ui/controls/hover_button.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "ui/controls/button_strip.h"

namespace {

constexpr unsigned kPlayStrip = 154;

class HoverButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.resize(120, 60);
        button = new CHoverButton(&owner);
        button->move(10, 10);
        ASSERT_TRUE(button->LoadBitmapStrip(kPlayStrip));
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }

    void TearDown() override
    {
        if (pressed)
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    }

    // The strip frame as it should appear with the button's current palette.
    QImage Expected(int frame) const
    {
        const QPalette& pal = button->palette();
        return MapStripColours(LoadButtonStrip(kPlayStrip), pal.color(QPalette::Active, QPalette::Button),
                               pal.color(QPalette::Active, QPalette::Dark))
            .copy(frame * 21, 0, 21, 21);
    }
    QImage Shown() const { return button->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb ShownAt(int x, int y) const { return Shown().pixel(x, y) & 0xFFFFFFu; }

    void RestMouse()
    {
        // Two points: a move to where the pointer already is would not be delivered.
        QTest::mouseMove(button, QPoint(4, 4));
        QTest::mouseMove(button, QPoint(5, 5));
        // The hover timer fires on the event loop: on a busy machine that may take far longer than its 1 ms.
        ASSERT_TRUE(QTest::qWaitFor([this] { return button->CurrentFrame() == kStripFrameHover; }, 5000));
    }
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
    }

    QWidget owner;
    CHoverButton* button = nullptr;
    bool pressed = false;
};

TEST_F(HoverButtonTest, LoadsStripAndSizesToOneFrame)
{
    EXPECT_EQ(button->size(), QSize(21, 21));
    EXPECT_EQ(button->FrameWidth(), 21);
    EXPECT_EQ(button->FrameHeight(), 21);
    EXPECT_EQ(Shown(), Expected(kStripFrameNormal));

    // A missing strip leaves a flat face.
    EXPECT_FALSE(button->LoadBitmapStrip(999));
    EXPECT_EQ(ShownAt(10, 10), button->palette().color(QPalette::Button).rgb() & 0xFFFFFFu);
}

struct StateCase {
    const char* name;
    bool enabled, latched, mouseDown, mouseResting;
    int frame;
};

class HoverButtonStateTest : public HoverButtonTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(HoverButtonStateTest, DrawsTheRightFrame)
{
    const StateCase& c = GetParam();
    if (c.mouseResting)
        RestMouse();
    if (c.mouseDown) {
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        pressed = true;
    }
    button->m_bLatched = c.latched;
    button->update();
    button->setEnabled(c.enabled);
    EXPECT_EQ(button->CurrentFrame(), c.frame);
    EXPECT_EQ(Shown(), Expected(c.frame));
}

INSTANTIATE_TEST_SUITE_P(
    States, HoverButtonStateTest,
    ::testing::Values(StateCase{"Normal", true, false, false, false, kStripFrameNormal},
                      StateCase{"MouseResting", true, false, false, true, kStripFrameHover},
                      StateCase{"Latched", true, true, false, false, kStripFramePressed},
                      StateCase{"LatchedUnderMouse", true, true, false, true, kStripFramePressed},
                      StateCase{"PressedUnderMouse", true, false, true, true, kStripFramePressed},
                      StateCase{"Disabled", false, false, false, false, kStripFrameDisabled},
                      StateCase{"DisabledLatched", false, true, false, false, kStripFrameDisabled},
                      StateCase{"DisabledWhileHovered", false, false, false, true, kStripFrameDisabled}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HoverButtonTest, HoverEndsOnLeaveAndReturnsOnTheNextMove)
{
    RestMouse();
    EXPECT_EQ(Shown(), Expected(kStripFrameHover));
    Leave();
    EXPECT_EQ(Shown(), Expected(kStripFrameNormal));
    RestMouse();
    EXPECT_EQ(Shown(), Expected(kStripFrameHover));
}

TEST_F(HoverButtonTest, DisablingForgetsTheHover)
{
    RestMouse();
    button->setEnabled(false);
    button->setEnabled(true);
    EXPECT_EQ(Shown(), Expected(kStripFrameNormal));
}

// The two ways a double-click reaches a widget: the second press followed by the double-click event,
// or the double-click event in place of the second press.
class HoverButtonDoubleClickTest : public HoverButtonTest,
                                   public ::testing::WithParamInterface<std::vector<QEvent::Type>> {};

TEST_P(HoverButtonDoubleClickTest, CountsTwoClicks)
{
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    for (QEvent::Type type : GetParam()) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(button, &e);
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button->isDown());
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, HoverButtonDoubleClickTest,
    ::testing::Values(std::vector<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                                QEvent::MouseButtonPress, QEvent::MouseButtonDblClick,
                                                QEvent::MouseButtonRelease},
                      std::vector<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                                QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}));

TEST_F(HoverButtonTest, PaletteChangeRemapsFaceAndShadow)
{
    const QRgb face = qRgb(10, 200, 30), shadow = qRgb(200, 20, 20);
    QPalette pal = owner.palette();
    pal.setColor(QPalette::Button, face);
    pal.setColor(QPalette::Dark, shadow);
    owner.setPalette(pal);  // reaches the button as a palette change

    EXPECT_EQ(ShownAt(0, 0), face & 0xFFFFFFu);
    EXPECT_EQ(ShownAt(8, 10), 0u);  // the Play glyph stays black
    RestMouse();
    EXPECT_EQ(ShownAt(0, 0), 0xFFFFFFu);  // raised edge: white stays
    EXPECT_EQ(ShownAt(20, 20), shadow & 0xFFFFFFu);
    button->m_bLatched = true;
    EXPECT_EQ(ShownAt(0, 0), shadow & 0xFFFFFFu);  // sunken edge
    EXPECT_EQ(ShownAt(2, 1), face & 0xFFFFFFu);    // checkerboard face square
    button->setEnabled(false);
    EXPECT_EQ(ShownAt(8, 10), shadow & 0xFFFFFFu);  // grey glyph
    EXPECT_EQ(ShownAt(3, 3), face & 0xFFFFFFu);
}

TEST_F(HoverButtonTest, TooltipFollowsTextAndActivation)
{
    button->SetTooltipText("Play", true);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Play"));
    button->SetTooltipText(nullptr, false);  // ignored
    EXPECT_EQ(button->toolTip(), QStringLiteral("Play"));
    button->SetTooltipText("Pause", false);
    EXPECT_TRUE(button->toolTip().isEmpty());
    button->SetTooltipText("Pause", true);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Pause"));
}

}  // namespace
