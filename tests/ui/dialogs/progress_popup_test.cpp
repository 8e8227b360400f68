// The progress popup on its own: caption percentages, the owner chain it disables, its layout, and the
// ways a pumping operation gets cancelled.
#include "ui/dialogs/progress_popup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kProcessing = QStringLiteral("Processing");

struct CaptionCase {
    int lower, upper;
    std::vector<int> positions;
    const char* caption;   // the caption after the last position
    int rewrites;          // how often the caption was set
};

TEST(ProgressPopupCaption, PercentRoundsHalvesUpAndIsRewrittenOnlyWhenItChanges)
{
    const CaptionCase cases[] = {
        {0, 200, {1}, "Processing [1%]", 1},                 // 0.5 goes up
        {0, 300, {1}, "Processing", 0},                      // 0.33 stays 0: a first 0 leaves the caption
        {0, 8, {1}, "Processing [13%]", 1},                  // 12.5 goes up
        {5, 5, {7}, "Processing", 0},                        // empty range: 0 %, no division
        {10, 0, {5}, "Processing", 0},                       // upper below lower: 0 %
        {0, 1000, {1, 5, 6, 14, 15}, "Processing [2%]", 2},  // 0, 1, 1, 1, 2
        {0, 3, {1, 2, 3}, "Processing [100%]", 3},
        {0, 100, {50, 0}, "Processing [0%]", 2},             // falling back to 0 is a change
        {-100, 100, {0}, "Processing [50%]", 1},
        {INT_MIN, INT_MAX, {0}, "Processing [50%]", 1},      // the widest range does not overflow
        {INT_MIN, INT_MAX, {INT_MAX}, "Processing [100%]", 1},
    };
    for (const CaptionCase& c : cases) {
        QWidget owner;
        CProgressPopup popup(&owner, kProcessing, false);
        int rewrites = 0;
        QObject::connect(&popup, &QWidget::windowTitleChanged, [&rewrites] { ++rewrites; });
        popup.SetRange(c.lower, c.upper, 1);
        for (int position : c.positions)
            popup.SetPosition(position);
        const std::string where = std::to_string(c.lower) + ".." + std::to_string(c.upper);
        EXPECT_EQ(popup.windowTitle().toStdString(), c.caption) << where;
        EXPECT_EQ(rewrites, c.rewrites) << where;
        EXPECT_EQ(popup.Position(), c.positions.back()) << where;
    }
}

TEST(ProgressPopupBar, StepsFromTheLastPositionAndKeepsTheBarInsideItsRange)
{
    QWidget owner;
    CProgressPopup popup(&owner, kProcessing, false);
    popup.SetRange(0, 10, 3);
    popup.SetPosition(2);
    popup.StepPosition();
    popup.StepPosition();
    EXPECT_EQ(popup.Position(), 8);
    EXPECT_EQ(popup.Bar()->value(), 8);
    popup.StepPosition();   // 11: beyond the range, the bar stops at its end
    EXPECT_EQ(popup.Bar()->value(), 10);
    EXPECT_EQ(popup.windowTitle(), QStringLiteral("Processing [110%]"));
    popup.SetRange(0, 5, 1);   // a narrower range pulls the bar in instead of emptying it
    EXPECT_EQ(popup.BarPosition(), 5);
}

TEST(ProgressPopupBar, WithoutAWindowTheSettersDoNothingUntilBeginModalCreatesItAgain)
{
    QWidget owner;
    owner.show();
    CProgressPopup popup(&owner, kProcessing, true);
    popup.SetMessageText("first");
    popup.DestroyWindow();
    EXPECT_FALSE(popup.WindowExists());
    popup.SetRange(0, 10, 1);
    popup.SetPosition(5);
    popup.SetMessageText("second");
    EXPECT_EQ(popup.Upper(), 100);
    EXPECT_EQ(popup.windowTitle(), kProcessing);
    EXPECT_EQ(popup.MessageText(), QStringLiteral("first"));
    EXPECT_FALSE(popup.isVisible());

    ASSERT_TRUE(popup.BeginModal());
    EXPECT_TRUE(popup.WindowExists());
    EXPECT_FALSE(owner.isEnabled());
}

TEST(ProgressPopupText, MessageIsFormattedAndCutAt511Characters)
{
    QWidget owner;
    CProgressPopup popup(&owner, kProcessing, false);
    popup.SetMessageText("Scanning %s: %d of %d", "clip", 3, 7);
    EXPECT_EQ(popup.MessageText(), QStringLiteral("Scanning clip: 3 of 7"));
    const std::string longText(700, 'x');
    popup.SetMessageText("%s", longText.c_str());
    EXPECT_EQ(popup.MessageText().size(), 511);
}

TEST(ProgressPopupLayout, MessageOverBarAndCancelCentredOnTheOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    CProgressPopup popup(&owner, kProcessing, false);
    const QRect message = popup.MessageLabel()->geometry();
    const QRect button = popup.CancelButton()->geometry();
    const QRect bar = popup.Bar()->geometry();
    const QFontMetrics metrics(popup.MessageLabel()->font());

    EXPECT_EQ(message, QRect(10, 10, 390, metrics.size(0, QStringLiteral("M\nM")).height()));
    EXPECT_GT(message.height(), metrics.height());   // room for two lines
    EXPECT_EQ(button.right(), message.right());
    EXPECT_EQ(button.top(), message.bottom() + 1 + 10);
    EXPECT_GT(button.width(), metrics.horizontalAdvance(QStringLiteral(" Cancel  ")));
    EXPECT_GT(button.height(), metrics.height());
    EXPECT_EQ(bar.left(), 10);
    EXPECT_EQ(bar.right() + 1 + 10, button.left());
    EXPECT_GT(bar.top(), button.top());
    EXPECT_LT(bar.bottom(), button.bottom());
    EXPECT_EQ(bar.top() - button.top(), button.bottom() - bar.bottom());
    EXPECT_EQ(popup.size(), QSize(410, message.height() + button.height() + 30));

    const QPoint offset = popup.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(popup.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(popup.windowFlags() & Qt::WindowCloseButtonHint);
}

// Which window BeginModal disables, and that destruction gives it back its input whatever happened.
struct OwnerCase {
    const char* name;
    bool ownerIsChild;       // the popup's owner is a control inside the main window
    bool ownerDisabled;      // the owner was disabled before (someone else's modal state)
    bool cancel;
};

TEST(ProgressPopupModal, DisablesTheOwnerChainAndDestructionEnablesItAgain)
{
    const OwnerCase cases[] = {
        {"plain", false, false, false},
        {"cancelled", false, false, true},
        {"cancelled, close handled", false, false, true},
        {"owned by a child control", true, false, false},
        {"owner already disabled", false, true, false},
    };
    for (const OwnerCase& c : cases) {
        QWidget main;
        auto* child = new QWidget(&main);
        main.show();
        QWidget* owner = c.ownerIsChild ? child : &main;
        if (c.ownerDisabled)
            main.setEnabled(false);
        auto popup = std::make_unique<CProgressPopup>(owner, kProcessing, false);
        EXPECT_FALSE(popup->isVisible()) << c.name;
        ASSERT_TRUE(popup->BeginModal()) << c.name;
        EXPECT_TRUE(popup->isVisible()) << c.name;
        EXPECT_TRUE(popup->isEnabled()) << c.name;
        EXPECT_FALSE(main.isEnabled()) << c.name;
        EXPECT_EQ(popup->DisabledWindow(), c.ownerDisabled ? static_cast<QWidget*>(popup.get()) : &main) << c.name;
        if (c.cancel)
            popup->OnCancelClicked();
        if (std::string(c.name) == "cancelled, close handled") {
            QCoreApplication::processEvents();   // the posted close ends the modal state at once
            EXPECT_TRUE(main.isEnabled()) << c.name;
            EXPECT_FALSE(popup->WindowExists()) << c.name;
        }
        popup.reset();
        EXPECT_EQ(main.isEnabled(), !c.ownerDisabled) << c.name;
    }
}

void PostEscape(QObject* target)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

void PostRelease(QWidget* target, QPoint global)
{
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(target->mapFromGlobal(global)),
                                                        QPointF(global), Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

class PumpingPopup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_main.resize(640, 480);
        m_main.show();
        m_popup = std::make_unique<CProgressPopup>(&m_main, kProcessing, false);
        ASSERT_TRUE(m_popup->BeginModal());
        QCoreApplication::processEvents();
    }
    QPoint CancelCentre() const
    {
        QPushButton* cancel = m_popup->CancelButton();
        return cancel->mapToGlobal(cancel->rect().center());
    }
    QWidget m_main;
    std::unique_ptr<CProgressPopup> m_popup;
};

TEST_F(PumpingPopup, EscapeCancelsOnlyWhenTheOperationAllowsIt)
{
    for (QObject* target : {static_cast<QObject*>(m_popup.get()), static_cast<QObject*>(&m_main)}) {
        PostEscape(target);
        m_popup->PumpMessages(false);
        EXPECT_FALSE(m_popup->IsCancelled());
        EXPECT_TRUE(m_popup->isVisible());
    }
    // Outside a pump nobody watches for Esc.
    PostEscape(m_popup.get());
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_popup->IsCancelled());

    PostEscape(&m_main);   // queued for the disabled main window: still the user's Esc
    m_popup->PumpMessages(true);
    EXPECT_TRUE(m_popup->IsCancelled());
    EXPECT_FALSE(m_popup->isVisible());
    EXPECT_FALSE(m_popup->IsPumping());
}

TEST_F(PumpingPopup, ButtonReleaseOverCancelCancelsAndElsewhereDoesNot)
{
    PostRelease(&m_main, m_popup->CancelButton()->mapToGlobal(QPoint(-5, -5)));
    m_popup->PumpMessages(false);
    EXPECT_FALSE(m_popup->IsCancelled());

    PostRelease(m_popup.get(), CancelCentre());
    m_popup->PumpMessages(false);
    EXPECT_TRUE(m_popup->IsCancelled());
    EXPECT_FALSE(m_popup->isVisible());
}

TEST_F(PumpingPopup, CancelClickHidesSetsCancelledAndEndsTheModalState)
{
    QTest::mouseClick(m_popup->CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(m_popup->IsCancelled());
    EXPECT_FALSE(m_popup->isVisible());
    EXPECT_TRUE(m_popup->IsModal());   // until the posted close arrives
    m_popup->PumpMessages(true);       // a cancelled popup pumps nothing more
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_popup->IsModal());
    EXPECT_FALSE(m_popup->WindowExists());
    EXPECT_TRUE(m_main.isEnabled());
    m_popup.reset();
    EXPECT_TRUE(m_main.isEnabled());
}

TEST_F(PumpingPopup, ClosedFromOutsideCountsAsCancel)
{
    m_popup->close();
    EXPECT_TRUE(m_popup->IsCancelled());
    EXPECT_FALSE(m_popup->IsModal());
    EXPECT_TRUE(m_main.isEnabled());
}

}  // namespace
