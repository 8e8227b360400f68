// The Options dialog: what it shows for the run's settings, what OK hands back, and what reaches the
// per-user store (a private one per test).
#include "ui/dialogs/options_apply.h"
#include "ui/dialogs/options_dlg.h"
#include "tests/ui/dialogs/recording_seams.h"
#include "ui/dialogs/dialog_units.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned kBoth = kRendererBuiltInAvailable | kRendererOverlayAvailable;

QAbstractButton* Button(const COptionsDlg& dlg, int id)
{
    return qobject_cast<QAbstractButton*>(dlg.Control(id));
}

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        m_main.show();
    }
    static QSettings Store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Zenk", "Zenk_Vuvaz"); }
    static QStringList StoredKeys() { return Store().allKeys(); }
    static int Stored(const char* key) { return Store().value(QString("Options/") + key).toInt(); }
    void Click(const COptionsDlg& dlg, int id) { QTest::mouseClick(dlg.Control(id), Qt::LeftButton); }

    QTemporaryDir m_dir;
    QWidget m_main;
    RecordingOpener m_opener;
};

struct InitCase {
    const char* name;
    PlayerSettings run;
    unsigned availability;
    bool full, half, dayFirst, monthFirst, builtIn, overlay;   // shown selected
    bool builtInEnabled, overlayEnabled;
    PlayerSettings afterOk;                                      // OK with nothing touched
};

TEST_F(OptionsDialog, ShowsTheRunSettingsAndOkHandsBackWhatIsSelected)
{
    const InitCase cases[] = {
        {"defaults", {0, 1, 2}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
        {"half, month first, overlay", {1, 2, 1}, kBoth, false, true, false, true, false, true, true, true, {1, 2, 1}},
        {"only the built-in renderer", {0, 1, 2}, kRendererBuiltInAvailable, true, false, true, false, true, false,
         true, false, {0, 1, 2}},
        {"only the overlay", {0, 1, 1}, kRendererOverlayAvailable, true, false, true, false, false, true, false, true,
         {0, 1, 1}},
        {"renderer 3", {0, 1, 3}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
        {"renderer 0", {0, 1, 0}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
        // An unavailable choice keeps its selection: OK hands it back.
        {"overlay chosen, unavailable", {0, 1, 1}, kRendererBuiltInAvailable, true, false, true, false, false, true,
         true, false, {0, 1, 1}},
        {"decoder 2 and date 0 repaired", {2, 0, 2}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
        {"negative date", {-1, -3, 2}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
        {"date above 2", {0, 5, 2}, kBoth, true, false, true, false, true, false, true, true, {0, 1, 2}},
    };
    for (const InitCase& c : cases) {
        COptionsDlg dlg(&m_main, &m_opener);
        PrepareOptionsDialog(dlg, c.run, c.availability);
        dlg.show();
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdFull)->isChecked(), c.full) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdHalf)->isChecked(), c.half) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdDayFirst)->isChecked(), c.dayFirst) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdMonthFirst)->isChecked(), c.monthFirst) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdBuiltIn)->isChecked(), c.builtIn) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdOverlay)->isChecked(), c.overlay) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdBuiltIn)->isEnabled(), c.builtInEnabled) << c.name;
        EXPECT_EQ(Button(dlg, COptionsDlg::kIdOverlay)->isEnabled(), c.overlayEnabled) << c.name;
        EXPECT_FALSE(Button(dlg, COptionsDlg::kIdSave)->isChecked()) << c.name;

        Click(dlg, COptionsDlg::kIdOk);
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.name;
        PlayerSettings run = c.run;
        ApplyOptionsResult(dlg, run);
        EXPECT_EQ(run.DvDecoderRes, c.afterOk.DvDecoderRes) << c.name;
        EXPECT_EQ(run.DateFormat, c.afterOk.DateFormat) << c.name;
        EXPECT_EQ(run.Renderer, c.afterOk.Renderer) << c.name;
    }
    EXPECT_TRUE(StoredKeys().isEmpty());
}

TEST_F(OptionsDialog, ValuesOutsideTheChoicesSelectNothingAndOkReadsTheDefaults)
{
    COptionsDlg dlg(&m_main, &m_opener);
    dlg.m_nDecoderRes = 5;
    dlg.m_nDateFormat = 7;
    dlg.show();
    for (int id : {COptionsDlg::kIdFull, COptionsDlg::kIdHalf, COptionsDlg::kIdDayFirst, COptionsDlg::kIdMonthFirst})
        EXPECT_FALSE(Button(dlg, id)->isChecked()) << id;
    dlg.OnOK();
    EXPECT_EQ(dlg.m_nDecoderRes, 0);
    EXPECT_EQ(dlg.m_nDateFormat, 1);
    EXPECT_EQ(dlg.m_nRenderer, 2);
    EXPECT_FALSE(dlg.m_bSaveAsDefault);
}

TEST_F(OptionsDialog, OkWithoutTheTickChangesTheRunOnly)
{
    PlayerSettings run{0, 1, 2};
    COptionsDlg dlg(&m_main, &m_opener);
    PrepareOptionsDialog(dlg, run, kBoth);
    dlg.show();
    Click(dlg, COptionsDlg::kIdHalf);
    Click(dlg, COptionsDlg::kIdMonthFirst);
    Click(dlg, COptionsDlg::kIdOverlay);
    EXPECT_FALSE(Button(dlg, COptionsDlg::kIdFull)->isChecked());   // each pair is a group of its own
    EXPECT_TRUE(Button(dlg, COptionsDlg::kIdHalf)->isChecked());
    Click(dlg, COptionsDlg::kIdOk);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    ApplyOptionsResult(dlg, run);
    EXPECT_EQ(run.DvDecoderRes, 1);
    EXPECT_EQ(run.DateFormat, 2);
    EXPECT_EQ(run.Renderer, 1);
    EXPECT_TRUE(StoredKeys().isEmpty());
    // After a restart the stored values (here the defaults) return.
    const PlayerSettings restarted = LoadSettings(kBoth);
    EXPECT_EQ(restarted.DvDecoderRes, 0);
    EXPECT_EQ(restarted.DateFormat, 1);
    EXPECT_EQ(restarted.Renderer, 2);
}

TEST_F(OptionsDialog, OkWithTheTickWritesAllThreeEvenUnchanged)
{
    PlayerSettings run{0, 2, 2};
    COptionsDlg dlg(&m_main, &m_opener);
    PrepareOptionsDialog(dlg, run, kBoth);
    dlg.show();
    Click(dlg, COptionsDlg::kIdSave);
    QTest::keyClick(&dlg, Qt::Key_Return);   // Enter presses the default OK
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(dlg.m_bSaveAsDefault);
    ApplyOptionsResult(dlg, run);
    EXPECT_EQ(StoredKeys().size(), 3);
    EXPECT_EQ(Stored("DvDecoderRes"), 0);
    EXPECT_EQ(Stored("DateFormat"), 2);
    EXPECT_EQ(Stored("Renderer"), 2);
}

TEST_F(OptionsDialog, CancelOrEscapeWithTheTickWritesNothing)
{
    for (bool escape : {false, true}) {
        PlayerSettings run{1, 2, 1};
        const bool accepted = [&] {
            COptionsDlg dlg(&m_main, &m_opener);
            PrepareOptionsDialog(dlg, run, kBoth);
            dlg.show();
            Click(dlg, COptionsDlg::kIdFull);
            Click(dlg, COptionsDlg::kIdSave);
            if (escape)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else
                Click(dlg, COptionsDlg::kIdCancel);
            EXPECT_FALSE(dlg.isVisible());
            return dlg.result() == QDialog::Accepted;
        }();
        EXPECT_FALSE(accepted);
        EXPECT_EQ(run.DvDecoderRes, 1);
        EXPECT_TRUE(StoredKeys().isEmpty()) << escape;
    }
}

TEST_F(OptionsDialog, RunningTheCommandEndToEnd)
{
    PlayerSettings run{-4, 9, 3};
    // The modal loop is running when the timer fires: tick the box and confirm.
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        QTest::mouseClick(dlg->Control(COptionsDlg::kIdSave), Qt::LeftButton);
        QTest::mouseClick(dlg->Control(COptionsDlg::kIdOk), Qt::LeftButton);
    });
    EXPECT_TRUE(RunOptionsDialog(&m_main, run, kBoth, &m_opener));
    EXPECT_EQ(run.DvDecoderRes, 0);
    EXPECT_EQ(run.DateFormat, 1);
    EXPECT_EQ(run.Renderer, 2);
    EXPECT_EQ(Stored("DateFormat"), 1);
    EXPECT_EQ(Stored("Renderer"), 2);
}

TEST_F(OptionsDialog, ReopeningStartsFromTheTemplateAgain)
{
    COptionsDlg dlg(&m_main, &m_opener);
    dlg.m_nRenderer = 1;
    dlg.m_bVmr7Available = true;
    dlg.show();
    Click(dlg, COptionsDlg::kIdSave);
    Click(dlg, COptionsDlg::kIdCancel);
    dlg.m_nRenderer = 2;
    dlg.m_bVmr7Available = false;
    dlg.show();
    EXPECT_FALSE(Button(dlg, COptionsDlg::kIdSave)->isChecked());
    EXPECT_TRUE(Button(dlg, COptionsDlg::kIdBuiltIn)->isChecked());
    EXPECT_FALSE(Button(dlg, COptionsDlg::kIdOverlay)->isChecked());
    EXPECT_FALSE(Button(dlg, COptionsDlg::kIdOverlay)->isEnabled());
}

TEST_F(OptionsDialog, LinkOpensTheProductPageAndTheDialogStays)
{
    COptionsDlg dlg(&m_main, &m_opener);
    dlg.show();
    Click(dlg, COptionsDlg::kIdLink);
    ASSERT_EQ(m_opener.urls.size(), 1u);
    EXPECT_EQ(m_opener.urls[0], QUrl(QStringLiteral("https://zenk-vuvaz.example/")));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(OptionsDialog, TextsAndPlacesFollowTheTable)
{
    COptionsDlg dlg(&m_main, &m_opener);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Options"));
    struct Text { int id; const char* text; };
    const Text texts[] = {
        {COptionsDlg::kIdFull, "Full (720x480 NTSC, 720x576 PAL)"},
        {COptionsDlg::kIdHalf, "Half (360x240 NTSC, 360x288 PAL)"},
        {COptionsDlg::kIdDayFirst, "dd/mm/yy"}, {COptionsDlg::kIdMonthFirst, "mm/dd/yy"},
        {COptionsDlg::kIdBuiltIn, "Built-in renderer (recommended)"}, {COptionsDlg::kIdOverlay, "Video overlay (X11)"},
        {COptionsDlg::kIdSave, "Save Settings as Default"}, {COptionsDlg::kIdOk, "OK"}, {COptionsDlg::kIdCancel, "Cancel"},
    };
    for (const Text& t : texts) {
        auto* button = Button(dlg, t.id);
        ASSERT_NE(button, nullptr) << t.id;
        EXPECT_EQ(button->text().toStdString(), t.text);
        // No text is cut off (push buttons only need room for the text, not the style's preferred width), and
        // no control leaves the dialog.
        const int needed = qobject_cast<QPushButton*>(button) != nullptr
                               ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                               : button->sizeHint().width();
        EXPECT_GE(button->width(), needed) << t.text;
        EXPECT_TRUE(dlg.rect().contains(button->geometry())) << t.text;
    }
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg.Control(COptionsDlg::kIdDecoderGroup))->title(),
              QStringLiteral("DV Decoder Settings"));
    for (int id : {1006, 1030, 1032}) {
        auto* label = qobject_cast<QLabel*>(dlg.Control(id));
        ASSERT_NE(label, nullptr) << id;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << id;
    }

    const zv::DialogUnitScale scale = zv::DialogBaseUnits(dlg.font());
    EXPECT_EQ(dlg.size(), zv::DialogSizeToPixels(scale, 231, 276));
    EXPECT_EQ(dlg.Control(COptionsDlg::kIdOk)->geometry(), zv::DialogRectToPixels(scale, 174, 236, 50, 14));
    EXPECT_EQ(dlg.Control(COptionsDlg::kIdCancel)->geometry(), zv::DialogRectToPixels(scale, 174, 254, 50, 14));
    EXPECT_EQ(dlg.Control(COptionsDlg::kIdLink)->geometry(), zv::DialogRectToPixels(scale, 16, 254, 130, 8));
}

TEST(DialogUnits, EdgesConvertSeparatelyWithRounding)
{
    const zv::DialogUnitScale scale{6, 13};
    struct Case { int x, y, w, h; QRect pixels; };
    const Case cases[] = {
        {174, 236, 50, 14, QRect(261, 384, 75, 22)},   // 383.5 rounds up, 406.25 down
        {7, 7, 217, 57, QRect(11, 11, 325, 93)},      // 10.5 -> 11, 336 - 11; 11.375 -> 11, 104 - 11
        {0, 0, 1, 1, QRect(0, 0, 2, 2)},              // 1.5 -> 2, 1.625 -> 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(zv::DialogRectToPixels(scale, c.x, c.y, c.w, c.h), c.pixels) << c.x << "," << c.y;
}

}  // namespace
