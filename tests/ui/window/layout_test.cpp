// Where the main window puts its children: the initial window, other client sizes, a window sized to a
// video, the screen clamp, and centring a window on the screen.
#include "tests/ui/window/window_test_support.h"

#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/dialog_client.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"
#include "ui/window/window_placement.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

// The button row's left edges with 21-pixel buttons, and where the separators fall.
constexpr struct {
    int id;
    int left;
} kButtonEdges[] = {
    {IDC_PLAY, 10},           {IDC_PAUSE, 31},         {IDC_STOP, 52},        {IDC_FRAME_BACKWARD, 79},
    {IDC_FRAME_FORWARD, 100}, {IDC_PREVIOUS_SCENE, 127}, {IDC_NEXT_SCENE, 148},
};

// Checks every child against the layout rule for the client area's current size.
void ExpectLayout(CPlayerDlg& dialog, int videoWidth, int videoHeight)
{
    const int W = wintest::Client(dialog)->width();
    const int H = wintest::Client(dialog)->height();
    const int sh = wintest::Slider(dialog)->height();
    const int mh = 100;   // the full strip's height: no open file has asked for the small one
    EXPECT_EQ(W, videoWidth);
    EXPECT_EQ(wintest::VideoArea(dialog)->geometry(), QRect(0, 0, videoWidth, videoHeight));
    EXPECT_EQ(wintest::MetaArea(dialog)->geometry(), QRect(0, videoHeight, W, mh));
    EXPECT_EQ(wintest::Slider(dialog)->geometry(), QRect(10, videoHeight + mh + 10, W - 20, sh));
    const int yb = H - 21 - 10;
    EXPECT_EQ(yb, videoHeight + mh + 10 + sh + 10);
    for (const auto& edge : kButtonEdges) {
        EXPECT_EQ(wintest::Button(dialog, edge.id)->geometry(), QRect(edge.left, yb, 21, 21)) << edge.id;
    }
    const ControlStrip& strip = wintest::Client(dialog)->Strip();
    EXPECT_EQ(strip.rect, QRect(0, videoHeight + mh, W, H - (videoHeight + mh) + 1));
    EXPECT_EQ(strip.separators[0].x, 75);
    EXPECT_EQ(strip.separators[1].x, 123);
    for (const SeparatorLine& line : strip.separators) {
        EXPECT_EQ(line.top, yb);
        EXPECT_EQ(line.length, 21);
    }
}

TEST(MainWindowLayout, InitialWindowHasRoomForA360x240Picture)
{
    CPlayerDlg dialog;
    ExpectLayout(dialog, 360, 240);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Zenk Vuvaz"));
    // The template's 20 dialog units of slider height survive, whatever the font.
    EXPECT_GT(wintest::Slider(dialog)->height(), 20);
}

TEST(MainWindowLayout, ShownWindowKeepsTheLayoutAndPaintsTheStrip)
{
    CPlayerDlg dialog;
    dialog.show();
    ASSERT_TRUE(wintest::WaitFor([&] { return dialog.isVisible(); }));
    ExpectLayout(dialog, 360, 240);

    const QImage image = wintest::Client(dialog)->grab().toImage();
    const ControlStrip& strip = wintest::Client(dialog)->Strip();
    const QPalette palette = wintest::Client(dialog)->palette();
    const int y = strip.separators[0].top + 5;
    EXPECT_EQ(image.pixel(strip.separators[0].x, y), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(strip.separators[0].x + 1, y), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(strip.separators[1].x, y), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(strip.separators[1].x + 1, y), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(5, wintest::Client(dialog)->height() - 3), palette.color(QPalette::Button).rgb());
    // No file: both areas are black.
    EXPECT_EQ(image.pixel(180, 120), QColor(Qt::black).rgb());
    EXPECT_EQ(image.pixel(180, 290), QColor(Qt::black).rgb());
    dialog.OnCommand(ID_APP_EXIT);
}

TEST(MainWindowLayout, ResizingLaysEverythingOutAgain)
{
    CPlayerDlg dialog;
    dialog.show();
    const int extraWidth = dialog.width() - wintest::Client(dialog)->width();
    const int extraHeight = dialog.height() - wintest::Client(dialog)->height();
    const int fixedHeight = 100 + wintest::Slider(dialog)->height() + 21 + 30;
    struct {
        int width, height;
    } const sizes[] = {{500, 400}, {800, 700}, {120, 300}};
    for (const auto& size : sizes) {
        dialog.resize(size.width + extraWidth, size.height + fixedHeight + extraHeight);
        ExpectLayout(dialog, size.width, size.height);
    }
    // Narrower than the button row: the buttons stay where they are, the slider collapses.
    dialog.resize(100 + extraWidth, 300 + fixedHeight + extraHeight);
    EXPECT_EQ(wintest::Button(dialog, IDC_NEXT_SCENE)->x(), 148);
    EXPECT_LE(wintest::Slider(dialog)->width(), 80);
    dialog.OnCommand(ID_APP_EXIT);
}

TEST(MainWindowLayout, SizingToAPalVideoGivesTheAreaItsNativeSize)
{
    CPlayerDlg dialog;
    dialog.SizeWindowToVideo(720, 576);
    ExpectLayout(dialog, 720, 576);
    dialog.SizeWindowToVideo(360, 288);
    ExpectLayout(dialog, 360, 288);
}

TEST(MainWindowLayout, AVideoLargerThanTheScreenIsClampedToIt)
{
    CPlayerDlg dialog;
    dialog.move(200, 100);
    dialog.SizeWindowToVideo(2000, 1500);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dialog.frameGeometry(), QRect(0, 0, screen.width(), screen.height()));
    EXPECT_EQ(wintest::VideoArea(dialog)->width(), wintest::Client(dialog)->width());
    EXPECT_LT(wintest::VideoArea(dialog)->height(), 1500);
}

TEST(MainWindowLayout, AWindowNearTheRightEdgeMovesLeftToFit)
{
    CPlayerDlg dialog;
    dialog.move(1000, 50);
    dialog.SizeWindowToVideo(720, 576);
    EXPECT_EQ(dialog.frameGeometry().right() + 1, 1280);
    EXPECT_EQ(dialog.frameGeometry().top(), 50);
    ExpectLayout(dialog, 720, 576);
}

TEST(MainWindowLayout, CentringUsesTheScreenAndStartsAtZeroWhenTooWide)
{
    QWidget small;
    small.resize(400, 300);
    CenterWindowOnScreen(&small);
    EXPECT_EQ(small.frameGeometry().topLeft(), QPoint((1280 - small.frameGeometry().width()) / 2,
                                                      (1024 - small.frameGeometry().height()) / 2));
    QWidget wide;
    wide.resize(1500, 1200);
    CenterWindowOnScreen(&wide);
    EXPECT_EQ(wide.frameGeometry().topLeft(), QPoint(0, 0));
}

}  // namespace
