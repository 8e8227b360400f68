#pragma once
// Drawing a frame the letter-box shrinks (a 720 x 576 PAL frame shown 720 x 540 at 4:3, the 768 pixel wide
// strip shown 720 x 93) costs the painter a per-pixel nearest-neighbour scale on every frame. The rows and
// columns it picks for a given geometry are fixed, so they are learnt from the painter once, by scaling an
// image whose pixels name their own position; each frame then goes out as a few runs of whole rows, each
// row as a few runs of adjacent columns copied unscaled. Same pixels as the painter's own scaling, a
// fraction of its cost. Any geometry where the painter would do more than pick rows and columns
// (smoothing, a rotated or fractional transform), or picks columns in runs too short to gain by (an
// enlarged picture repeats them), is left to it.
// The rows are written straight into the image the painter draws into (the window's backing store), each
// converted from the decoder's YUV in the same pass, inside the region the paint may touch: no frame-sized
// intermediate image and no second copy.

#include <QImage>
#include <QRect>

#include <vector>

class CVideoFrame;
class QPainter;

class CRowRuns {
public:
    // Paints source of frame into target as painter->drawImage(target, image, source) would with the frame
    // as an image.
    void Draw(QPainter& painter, const QRect& target, const CVideoFrame& frame, const QRect& source);

    struct Run {
        int targetY;
        int sourceY;
        int rows;
    };
    struct ColumnRun {
        int targetX;   // from target's left edge
        int sourceX;   // in the frame
        int count;
    };
    // The runs of rows for the geometry, or none when the painter does more than pick rows and columns;
    // learnt once per geometry and kept, with the column runs every row is copied in.
    const std::vector<Run>& RunsFor(const QRect& target, const QRect& source, QImage::Format format);
    const std::vector<ColumnRun>& Columns() const { return m_columns; }

private:
    bool LearnRuns(const QRect& target, const QRect& source, QImage::Format format);
    void WriteRuns(QPainter& painter, const QRect& target, const CVideoFrame& frame) const;

    bool m_learnt = false;
    QRect m_target;
    QRect m_source;
    QImage::Format m_format = QImage::Format_Invalid;
    std::vector<Run> m_runs;
    std::vector<ColumnRun> m_columns;
    const std::vector<Run> m_none;
    QImage m_scratch;   // a YUV frame converted whole, for the geometries left to the painter
};
