// What the two areas show: the decoded picture of the frame the graph is on, letter-boxed, and the
// metadata strip's red text; black without a file.
#include "tests/ui/window/window_test_support.h"

#include "tests/fixtures/frame_identity.h"
#include "ui/window/command_ids.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace {

int FrameShown(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    return fixture::DecodedFrameIdentity(rgb.constBits(), rgb.width(), rgb.height(),
                                         static_cast<std::size_t>(rgb.bytesPerLine()), fixture::PixelLayout::Rgbx32);
}

int RedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += qRed(pixel) > 160 && qGreen(pixel) < 100 && qBlue(pixel) < 100 ? 1 : 0;
        }
    }
    return count;
}

TEST(VideoArea, ShowsTheFrameTheGraphIsOnAndTheStripBelowIt)
{
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("picture.avi", 30));
    ASSERT_NE(dialog.Playback(), nullptr);
    dialog.OnCommand(IDC_PAUSE);
    dialog.OnCommand(IDC_STOP);
    for (int i = 0; i < 7; ++i) {
        dialog.OnCommand(IDC_FRAME_FORWARD);
    }
    ASSERT_EQ(wintest::CurrentFrame(dialog), 7);
    ASSERT_TRUE(wintest::WaitFor([&] { return FrameShown(dialog.VideoArea()->grab().toImage()) == 7; }));
    EXPECT_GT(RedPixels(dialog.MetaArea()->grab().toImage()), 200);

    // A wider area letter-boxes the picture: black bars left and right, the code still readable.
    dialog.resize(dialog.width() + 200, dialog.height());
    const QImage wide = dialog.VideoArea()->grab().toImage();
    ASSERT_EQ(wide.width(), 920);
    EXPECT_EQ(wide.pixel(20, wide.height() / 2), qRgb(0, 0, 0));
    EXPECT_EQ(FrameShown(wide.copy(100, 0, 720, 576)), 7);

    dialog.OnCommand(ID_FILE_CLOSE);
    for (CVRWindow* area : {dialog.VideoArea(), dialog.MetaArea()}) {
        const QImage black = area->grab().toImage();
        EXPECT_EQ(black.pixel(black.width() / 2, black.height() / 2), qRgb(0, 0, 0));
        EXPECT_EQ(RedPixels(black), 0);
    }
    dialog.OnCommand(ID_APP_EXIT);
}

}  // namespace
