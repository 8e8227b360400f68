// Copying a frame as runs of whole rows gives exactly the painter's own scaled drawing of the same frame
// as an image, for the strip's BGRx and the decoder's YUV alike, and only takes over where the painter
// would do no more than pick rows.

#include "playback/row_runs.h"
#include "playback/video_frame.h"

#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cstdint>

namespace {

struct RowCase {
    const char* name;
    QSize frame;
    QRect target;
    QPoint shift;          // the painter's translation, as a widget inside its window has
    QRect clip;            // empty: none
    bool smooth;
    bool copiedAsRows;     // whether the runs take over from the painter
    GstVideoFormat format = GST_VIDEO_FORMAT_BGRx;
};

const RowCase kCases[] = {
    {"pal_letterboxed_4x3", {720, 576}, {0, 18, 720, 540}, {0, 0}, {}, false, true},
    {"pal_in_a_shifted_clipped_widget", {720, 576}, {0, 18, 720, 540}, {0, 25}, {0, 100, 720, 300}, false, true},
    {"ntsc_one_to_one", {720, 480}, {0, 0, 720, 480}, {3, 7}, {}, false, true},
    {"taller_area_repeats_rows", {720, 576}, {0, 0, 720, 700}, {0, 0}, {}, false, true},
    {"wider_area_scales_columns", {720, 576}, {0, 0, 1024, 576}, {0, 0}, {}, false, false},
    {"pal_strip_narrowed_and_letterboxed", {768, 100}, {0, 3, 720, 93}, {0, 5}, {}, false, true},
    {"narrower_clipped_area_drops_columns", {720, 576}, {4, 0, 700, 576}, {2, 3}, {0, 50, 300, 200}, false, true},
    {"smoothing_asked_for", {720, 576}, {0, 18, 720, 540}, {0, 0}, {}, true, false},
    {"pal_yuv_letterboxed", {720, 576}, {0, 18, 720, 540}, {0, 25}, {}, false, true, GST_VIDEO_FORMAT_I420},
    {"ntsc_yuv_odd_shift", {720, 480}, {0, 0, 720, 480}, {3, 7}, {}, false, true, GST_VIDEO_FORMAT_Y41B},
    {"pal_yuv_scaled_by_the_painter", {720, 576}, {0, 0, 1024, 576}, {0, 0}, {}, false, false, GST_VIDEO_FORMAT_I420},
    {"ntsc_yuv_narrowed_odd_shift", {720, 480}, {0, 10, 654, 460}, {3, 7}, {}, false, true, GST_VIDEO_FORMAT_Y41B},
    {"pal_yuv_clipped_by_the_painter", {720, 576}, {0, 18, 720, 540}, {0, 25}, {0, 100, 720, 300}, false, true,
     GST_VIDEO_FORMAT_I420},
};

zv::SamplePtr Frame(QSize size, GstVideoFormat format)
{
    return pipeline_test::NoiseFrame(size, format, GST_VIDEO_INTERLACE_MODE_INTERLEAVED);
}

template <class Paint>
QImage Painted(const RowCase& c, Paint&& paint)
{
    QImage window(c.target.right() + c.shift.x() + 5, c.target.bottom() + c.shift.y() + 5, QImage::Format_RGB32);
    window.fill(Qt::white);
    QPainter painter(&window);
    painter.translate(c.shift);
    if (!c.clip.isEmpty()) {
        painter.setClipRect(c.clip);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, c.smooth);
    paint(painter);
    return window;
}

class RowRuns : public testing::TestWithParam<RowCase> {};

TEST_P(RowRuns, PaintTheSamePixelsAsThePaintersOwnScaling)
{
    const RowCase& c = GetParam();
    const zv::SamplePtr sample = Frame(c.frame, c.format);
    const CVideoFrame frame(sample.get());
    ASSERT_TRUE(frame.IsValid());
    const QImage image = frame.Copy();
    const QRect source(QPoint(0, 0), c.frame);
    CRowRuns runs;
    const QImage expected = Painted(c, [&](QPainter& p) { p.drawImage(c.target, image, source); });
    const QImage drawn = Painted(c, [&](QPainter& p) { runs.Draw(p, c.target, frame, source); });
    EXPECT_TRUE(drawn == expected);
    const bool copied = !c.smooth && !runs.RunsFor(c.target, source, QImage::Format_RGB32).empty();
    EXPECT_EQ(copied, c.copiedAsRows);
}

// Paints a frame in a widget, through the runs or through the painter.
class FrameArea : public QWidget {
public:
    FrameArea(QWidget* parent, const CVideoFrame& frame, bool runs) : QWidget(parent), m_frame(frame), m_runs(runs) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect source(QPoint(0, 0), m_frame.Size());
        const QRect target(0, 18, 720, 540);
        if (m_runs) {
            m_rows.Draw(painter, target, m_frame, source);
        } else {
            painter.drawImage(target, m_frame.Copy(), source);
        }
    }

private:
    const CVideoFrame& m_frame;
    bool m_runs;
    CRowRuns m_rows;
};

// In a widget's paint the runs write into the window's own pixels: only inside the region being repainted,
// there exactly as the painter would, and nothing outside it.
TEST(RowRunsInAWidget, WriteOnlyTheRegionBeingRepainted)
{
    const zv::SamplePtr sample = Frame({720, 576}, GST_VIDEO_FORMAT_I420);
    const CVideoFrame frame(sample.get());
    const QRegion repainted = QRegion(0, 0, 300, 200) + QRegion(400, 300, 250, 260);
    QImage shown[2];
    for (bool runs : {false, true}) {
        QWidget window;
        window.resize(760, 620);
        FrameArea area(&window, frame, runs);
        area.setGeometry(11, 13, 720, 576);
        QImage& image = shown[runs ? 1 : 0];
        image = QImage(window.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        window.render(&image, QPoint(), repainted, QWidget::DrawChildren);
    }
    EXPECT_TRUE(shown[1] == shown[0]);
    EXPECT_EQ(shown[1].pixel(350, 250), qRgb(255, 255, 255));
    EXPECT_NE(shown[1].pixel(100, 100), qRgb(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Geometries, RowRuns, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

}  // namespace
