// What the two areas show: the decoded picture of the frame the graph is on, letter-boxed, and the
// metadata strip's red text; black without a file.
#include "tests/ui/window/window_test_support.h"

#include "playback/appsink_renderer.h"
#include "tests/fixtures/frame_identity.h"
#include "tests/playback/clip_files.h"
#include "ui/window/command_ids.h"
#include "ui/window/frame_pacer.h"
#include "ui/window/player_dlg.h"
#include "ui/window/vr_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QImage>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <utility>

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
    ASSERT_TRUE(wintest::WaitFor([&] { return FrameShown(wintest::VideoArea(dialog)->grab().toImage()) == 7; }));
    EXPECT_GT(RedPixels(wintest::MetaArea(dialog)->grab().toImage()), 200);


    dialog.OnCommand(ID_FILE_CLOSE);
    for (CVRWindow* area : {wintest::VideoArea(dialog), wintest::MetaArea(dialog)}) {
        const QImage black = area->grab().toImage();
        EXPECT_EQ(black.pixel(black.width() / 2, black.height() / 2), qRgb(0, 0, 0));
        EXPECT_EQ(RedPixels(black), 0);
    }
    dialog.OnCommand(ID_APP_EXIT);
}

// What the screen shows of a child of the main window: the window's pixels as last flushed, not a fresh
// render of the widget, so a paint that never happened shows as the old picture.
QImage OnScreen(CPlayerDlg& dialog, const QWidget* area)
{
    const QPoint at = area->mapTo(&dialog, QPoint(0, 0));
    return dialog.screen()->grabWindow(dialog.winId(), at.x(), at.y(), area->width(), area->height()).toImage();
}

// Left and right edge of the strip's red text.
std::pair<int, int> RedColumns(const QImage& image)
{
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) > 160 && qGreen(pixel) < 100 && qBlue(pixel) < 100) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

// Resizing or maximising while paused brings no new frame: the areas paint the frame they have again, in
// their new rectangles, at once. The 4:3 PAL picture is 768 x 576 on screen, centred in the video area.
TEST(VideoArea, AResizeWhilePausedShowsThePausedFrameInTheNewRectangleAtOnce)
{
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    wintest::OpenFromCommandLine(dialog, wintest::WriteClip("resized.avi", 30));
    ASSERT_NE(dialog.Playback(), nullptr);
    dialog.OnCommand(IDC_PAUSE);
    dialog.OnCommand(IDC_STOP);
    for (int i = 0; i < 4; ++i) {
        dialog.OnCommand(IDC_FRAME_FORWARD);
    }
    ASSERT_TRUE(wintest::WaitFor([&] { return FrameShown(OnScreen(dialog, wintest::VideoArea(dialog))) == 4; }));

    struct Step {
        const char* name;
        QSize growth;
    };
    for (const Step step : {Step{"wider", {300, 0}}, Step{"taller", {0, 200}}, Step{"back", {-300, -200}}}) {
        SCOPED_TRACE(step.name);
        dialog.resize(dialog.size() + step.growth);
        wintest::Spin(std::chrono::milliseconds(300));
        const QSize area = wintest::VideoArea(dialog)->size();
        const QRect expected = LetterBox(QRect(0, 0, 768, 576), QRect(QPoint(0, 0), area));
        const QImage shown = OnScreen(dialog, wintest::VideoArea(dialog));
        const QRect picture = pipeline_test::NonBlackArea(shown);
        EXPECT_LE(std::abs(picture.left() - expected.left()), 1) << picture.left() << " in " << area.width();
        EXPECT_LE(std::abs(picture.top() - expected.top()), 1) << picture.top() << " in " << area.height();
        EXPECT_LE(std::abs(picture.width() - expected.width()), 2) << picture.width();
        EXPECT_LE(std::abs(picture.height() - expected.height()), 2) << picture.height();
        EXPECT_EQ(FrameShown(shown.copy(picture)), 4);
        // The strip on screen is where a paint of its area now puts it.
        EXPECT_EQ(RedColumns(OnScreen(dialog, wintest::MetaArea(dialog))), RedColumns(wintest::MetaArea(dialog)->grab().toImage()));
    }
    EXPECT_EQ(wintest::CurrentFrame(dialog), 4);
    dialog.OnCommand(ID_APP_EXIT);
}

// Counts its paints and the area each one covered.
class PaintCounter : public QWidget {
public:
    int paints = 0;
    QRect painted;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        painted = event->rect();
    }
};

// The picture's and the strip's frames go out in one paint when both have come, and a lone one after the
// pacer's wait at most; only the areas the renderers named are repainted.
TEST(FramePacer, PaintsTheTwoAreasTogetherOrTheLoneOneAfterTheWait)
{
    struct Case {
        const char* name;
        bool stripArrives;
    };
    for (const Case c : {Case{"both", true}, Case{"picture alone", false}}) {
        SCOPED_TRACE(c.name);
        QWidget window;
        window.resize(400, 300);
        auto* picture = new PaintCounter;   // owned by window
        auto* strip = new PaintCounter;
        picture->setParent(&window);
        strip->setParent(&window);
        picture->setGeometry(0, 0, 400, 200);
        strip->setGeometry(0, 200, 400, 100);
        window.show();
        QCoreApplication::processEvents();
        const zv::GstPtr<GstElement> sinks[] = {zv::AdoptObject(gst_element_factory_make("appsink", nullptr)),
                                                zv::AdoptObject(gst_element_factory_make("appsink", nullptr))};
        ASSERT_TRUE(sinks[0] && sinks[1]);
        CAppSinkRenderer video(sinks[0].get());
        CAppSinkRenderer meta(sinks[1].get());
        CFramePacer pacer;
        pacer.Pace({&video, &meta, nullptr});
        const int before[] = {picture->paints, strip->paints};

        pacer.Arrived(picture, QRect(0, 18, 400, 164));
        QCoreApplication::processEvents();
        EXPECT_EQ(picture->paints, before[0]) << "held for the strip's frame";
        QElapsedTimer waited;
        waited.start();
        if (c.stripArrives) {
            pacer.Arrived(strip, QRect(0, 3, 400, 93));
        }
        while (picture->paints == before[0] && waited.elapsed() < 1000) {
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(picture->paints, before[0] + 1);
        EXPECT_EQ(picture->painted, QRect(0, 18, 400, 164));
        EXPECT_EQ(strip->paints, before[1] + (c.stripArrives ? 1 : 0));
        if (!c.stripArrives) {
            EXPECT_GE(waited.elapsed(), CFramePacer::kWaitMs - 1);
        }
    }
}

}  // namespace
