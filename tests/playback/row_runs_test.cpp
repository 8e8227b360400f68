// Copying a frame as runs of whole rows gives exactly the painter's own scaled drawing, and only takes
// over where the painter would do no more than pick rows.

#include "playback/row_runs.h"

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
};

const RowCase kCases[] = {
    {"pal_letterboxed_4x3", {720, 576}, {0, 18, 720, 540}, {0, 0}, {}, false, true},
    {"pal_in_a_shifted_clipped_widget", {720, 576}, {0, 18, 720, 540}, {0, 25}, {0, 100, 720, 300}, false, true},
    {"ntsc_one_to_one", {720, 480}, {0, 0, 720, 480}, {3, 7}, {}, false, true},
    {"taller_area_repeats_rows", {720, 576}, {0, 0, 720, 700}, {0, 0}, {}, false, true},
    {"wider_area_scales_columns", {720, 576}, {0, 0, 1024, 576}, {0, 0}, {}, false, false},
    {"smoothing_asked_for", {720, 576}, {0, 18, 720, 540}, {0, 0}, {}, true, false},
};

QImage Frame(QSize size)
{
    QImage frame(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(frame.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            row[x] = 0xFF000000u | static_cast<std::uint32_t>((x * 7 + y * 131) * 2654435761u >> 8 & 0xFFFFFFu);
        }
    }
    return frame;
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
    const QImage frame = Frame(c.frame);
    const QRect source(QPoint(0, 0), c.frame);
    CRowRuns runs;
    const QImage expected = Painted(c, [&](QPainter& p) { p.drawImage(c.target, frame, source); });
    const QImage drawn = Painted(c, [&](QPainter& p) { runs.Draw(p, c.target, frame, source); });
    EXPECT_TRUE(drawn == expected);
    const bool copied = !c.smooth && !runs.RunsFor(c.target, source, QImage::Format_RGB32).empty();
    EXPECT_EQ(copied, c.copiedAsRows);
}

INSTANTIATE_TEST_SUITE_P(Geometries, RowRuns, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

}  // namespace
