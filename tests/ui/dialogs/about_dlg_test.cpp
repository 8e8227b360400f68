// The About box: its texts, the keys that close it, and the two links that open pages and leave it open.
#include "ui/dialogs/about_dlg.h"
#include "tests/ui/dialogs/recording_seams.h"
#include "ui/dialogs/link_label.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList LabelTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(AboutDialog, ShowsNameAndVersion)
{
    RecordingOpener opener;
    CAboutDlg dlg(nullptr, &opener);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("About Zenk Vuvaz"));
    const QStringList texts = LabelTexts(dlg);
    EXPECT_TRUE(texts.contains(QStringLiteral("Zenk Vuvaz")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version 1.4.0")));
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());   // a fixed frame
}

TEST(AboutDialog, EnterEscapeAndTheCloseBoxCloseIt)
{
    struct Case { const char* name; std::function<void(CAboutDlg&)> close; };
    const Case cases[] = {
        {"Enter", [](CAboutDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"keypad Enter", [](CAboutDlg& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); }},
        {"Escape", [](CAboutDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](CAboutDlg& d) { d.close(); }},
        {"OK", [](CAboutDlg& d) { QTest::mouseClick(d.Control(CAboutDlg::kIdOk), Qt::LeftButton); }},
    };
    for (const Case& c : cases) {
        RecordingOpener opener;
        CAboutDlg dlg(nullptr, &opener);
        dlg.show();
        ASSERT_TRUE(dlg.isVisible()) << c.name;
        c.close(dlg);
        EXPECT_FALSE(dlg.isVisible()) << c.name;
    }
}

TEST(AboutDialog, LinksOpenTheirPagesAndKeepTheDialogOpen)
{
    RecordingOpener opener;
    CAboutDlg dlg(nullptr, &opener);
    dlg.show();
    QTest::mouseClick(dlg.Control(CAboutDlg::kIdProductLink), Qt::LeftButton);
    QTest::mouseClick(dlg.Control(CAboutDlg::kIdMakerLink), Qt::LeftButton);
    ASSERT_EQ(opener.urls.size(), 2u);
    EXPECT_EQ(opener.urls[0], QUrl(QStringLiteral("https://zenk-vuvaz.example/")));
    EXPECT_EQ(opener.urls[1], QUrl(QStringLiteral("https://zenk.example/")));
    EXPECT_TRUE(dlg.isVisible());
    // A press that leaves the link before the release is no click.
    QWidget* link = dlg.Control(CAboutDlg::kIdMakerLink);
    QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(link->width() + 5, 2));
    EXPECT_EQ(opener.urls.size(), 2u);
}

TEST(AboutDialog, LinksArePureBlueAndUnderlined)
{
    RecordingOpener opener;
    CAboutDlg dlg(nullptr, &opener);
    dlg.show();
    for (int id : {CAboutDlg::kIdProductLink, CAboutDlg::kIdMakerLink}) {
        auto* link = qobject_cast<CLinkLabel*>(dlg.Control(id));
        ASSERT_NE(link, nullptr);
        const QImage image = link->grab().toImage();
        const int textWidth = link->fontMetrics().horizontalAdvance(link->Text());
        // The underline: one row blue along most of the text's width.
        int longestRun = 0;
        for (int y = 0; y < image.height(); ++y) {
            int run = 0;
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                run = (pixel.blue() > 200 && pixel.red() < 80 && pixel.green() < 80) ? run + 1 : 0;
                longestRun = std::max(longestRun, run);
            }
        }
        EXPECT_GT(longestRun, textWidth * 3 / 4) << id;
        EXPECT_LE(textWidth, link->width()) << id;
        EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    }
}

}  // namespace
