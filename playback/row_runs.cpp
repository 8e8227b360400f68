#include "playback/row_runs.h"

#include "playback/video_frame.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <cmath>
#include <cstdint>

namespace {

// A probe pixel names its column in the low 12 bits and its row in the next 12.
constexpr int kProbeLimit = 1 << 12;
constexpr std::uint32_t kColumnMask = kProbeLimit - 1;

bool Is32BitFormat(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

// The format of the image the painter draws into, or Format_Invalid when it is no image (a printer, a
// GL surface) or the painter would blend or smooth rather than copy.
QImage::Format CopyingFormat(QPainter& painter)
{
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster || engine->paintDevice() == nullptr
        || engine->paintDevice()->devType() != QInternal::Image) {
        return QImage::Format_Invalid;
    }
    const QTransform transform = painter.deviceTransform();
    const bool wholePixelShift = transform.type() <= QTransform::TxTranslate
                              && transform.dx() == std::floor(transform.dx()) && transform.dy() == std::floor(transform.dy());
    if (!wholePixelShift || painter.testRenderHint(QPainter::SmoothPixmapTransform) || painter.opacity() != 1.0
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return QImage::Format_Invalid;
    }
    const QImage::Format format = static_cast<const QImage*>(engine->paintDevice())->format();
    return Is32BitFormat(format) ? format : QImage::Format_Invalid;
}

QImage PositionProbe(const QRect& source)
{
    QImage probe(source.right() + 1, source.bottom() + 1, QImage::Format_RGB32);
    for (int y = 0; y < probe.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(probe.scanLine(y));
        for (int x = 0; x < probe.width(); ++x) {
            row[x] = 0xFF000000u | static_cast<std::uint32_t>(y) << 12 | static_cast<std::uint32_t>(x);
        }
    }
    return probe;
}

// Copying runs shorter than this on average costs more per pixel than the painter's own scaling.
constexpr int kShortestAverageColumnRun = 8;

// Where the painter puts the source's pixels in target: the source row each target row shows and the
// source column each target column shows, the same in every row; both empty when some row mixes source
// rows or differs from the others' columns (the painter blends, or does more than pick).
struct Picked {
    std::vector<int> rows;
    std::vector<int> columns;
};

Picked PositionsPicked(const QRect& target, const QRect& source, QImage::Format format)
{
    QImage painted(target.right() + 1, target.bottom() + 1, format);
    painted.fill(0);
    {
        QPainter painter(&painted);
        painter.drawImage(target, PositionProbe(source), source);
    }
    Picked picked;
    for (int y = 0; y < target.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(painted.constScanLine(target.y() + y)) + target.x();
        const std::uint32_t sourceRow = (row[0] & 0xFFFFFFu) >> 12;
        for (int x = 0; x < target.width(); ++x) {
            const std::uint32_t position = row[x] & 0xFFFFFFu;
            const int column = static_cast<int>(position & kColumnMask);
            if (position >> 12 != sourceRow || (y == 0 ? column < source.x() || column > source.right()
                                                       : column != picked.columns[static_cast<std::size_t>(x)])) {
                return {};
            }
            if (y == 0) {
                picked.columns.push_back(column);
            }
        }
        picked.rows.push_back(static_cast<int>(sourceRow));
    }
    return picked;
}

}  // namespace

const std::vector<CRowRuns::Run>& CRowRuns::RunsFor(const QRect& target, const QRect& source, QImage::Format format)
{
    if (m_learnt && target == m_target && source == m_source && format == m_format) {
        return m_runs;
    }
    m_learnt = true;
    m_target = target;
    m_source = source;
    m_format = format;
    if (!LearnRuns(target, source, format)) {
        m_runs.clear();   // the painter does more than pick rows and columns here: leave it all to the painter
        m_columns.clear();
    }
    return m_runs;
}

bool CRowRuns::LearnRuns(const QRect& target, const QRect& source, QImage::Format format)
{
    m_runs.clear();
    m_columns.clear();
    const bool copyable = Is32BitFormat(format) && !target.isEmpty() && !source.isEmpty() && source.x() >= 0
                       && source.y() >= 0 && target.x() >= 0 && target.y() >= 0 && source.right() < kProbeLimit
                       && source.bottom() < kProbeLimit;
    const Picked picked = copyable ? PositionsPicked(target, source, format) : Picked{};
    if (picked.rows.empty()) {
        return false;
    }
    for (int x = 0; x < target.width(); ++x) {
        const int from = picked.columns[static_cast<std::size_t>(x)];
        if (!m_columns.empty() && m_columns.back().targetX + m_columns.back().count == x
            && m_columns.back().sourceX + m_columns.back().count == from) {
            ++m_columns.back().count;
        } else {
            m_columns.push_back(ColumnRun{x, from, 1});
        }
    }
    if (static_cast<int>(m_columns.size()) * kShortestAverageColumnRun > target.width() && m_columns.size() > 1) {
        return false;
    }
    for (int y = 0; y < target.height(); ++y) {
        const int from = picked.rows[static_cast<std::size_t>(y)];
        if (!m_runs.empty() && m_runs.back().targetY + m_runs.back().rows == target.y() + y
            && m_runs.back().sourceY + m_runs.back().rows == from) {
            ++m_runs.back().rows;
        } else {
            m_runs.push_back(Run{target.y() + y, from, 1});
        }
    }
    return true;
}

void CRowRuns::Draw(QPainter& painter, const QRect& target, const CVideoFrame& frame, const QRect& source)
{
    // A clip set on the painter itself is left to the painter; the paint's own region is honoured below.
    const QImage::Format format = painter.hasClipping() ? QImage::Format_Invalid : CopyingFormat(painter);
    const bool inside = QRect(QPoint(0, 0), frame.Size()).contains(source);
    const std::vector<Run>& runs = format != QImage::Format_Invalid && inside ? RunsFor(target, source, format) : m_none;
    if (runs.empty()) {
        painter.drawImage(target, frame.Image(m_scratch), source);
        return;
    }
    WriteRuns(painter, target, frame);
}

void CRowRuns::WriteRuns(QPainter& painter, const QRect& target, const CVideoFrame& frame) const
{
    QPaintEngine* engine = painter.paintEngine();
    auto* device = static_cast<QImage*>(engine->paintDevice());
    const QPoint shift(static_cast<int>(painter.deviceTransform().dx()), static_cast<int>(painter.deviceTransform().dy()));
    // The painter already draws into these very pixels: reading the address without detaching keeps both
    // on the same buffer.
    uchar* bits = const_cast<uchar*>(device->constBits());
    const qsizetype stride = device->bytesPerLine();
    const auto writeInside = [&](const QRect& area) {
        for (const Run& run : m_runs) {
            const QRect rows = QRect(target.x(), run.targetY, target.width(), run.rows).translated(shift) & area;
            for (const ColumnRun& columns : m_columns) {
                const int left = target.x() + shift.x() + columns.targetX;
                const QRect part = rows & QRect(left, rows.top(), columns.count, rows.height());
                const int sourceX = columns.sourceX + part.left() - left;
                for (int y = part.top(); y <= part.bottom(); ++y) {
                    auto* row = reinterpret_cast<std::uint32_t*>(bits + y * stride) + part.left();
                    frame.Row(run.sourceY + y - shift.y() - run.targetY, sourceX, part.width(), row);
                }
            }
        }
    };
    // Only the region this paint may change, in the device's pixels: other widgets' pixels lie outside it.
    // (Its rectangles are walked as they are: no region arithmetic, which would allocate on every frame.)
    const QRegion allowed = engine->systemClip();
    if (allowed.isEmpty()) {
        writeInside(device->rect());
        return;
    }
    for (const QRect& area : allowed) {
        writeInside(area & device->rect());
    }
}
