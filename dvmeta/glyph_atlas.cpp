#include "dvmeta/glyph_atlas.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <QColor>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "dvmeta/overlay_font.h"

namespace {

constexpr int kMaxCellSide = 1024;
constexpr std::size_t kMaxInks = 8;
constexpr std::uint32_t kColourBits = 0x00FFFFFF;   // the fourth byte of a strip pixel stays 0

std::uint32_t MaxChannels(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::max((a >> shift) & 0xFFu, (b >> shift) & 0xFFu) << shift;
    return out;
}

}  // namespace

bool CGlyphAtlas::Build(std::int32_t fontHeight, std::span<const DvRgb> inks)
{
    Free();
    // Fonts live in the GUI application's font database; without one there is nothing to draw with.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    if (inks.empty() || inks.size() > kMaxInks)
        return false;
    const int pixelSize = OverlayPixelSize(fontHeight);
    if (pixelSize <= 0)
        return false;

    const QFont font = MakeOverlayFont(pixelSize);
    const QFontMetrics metrics(font);
    const int cellWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    const int cellHeight = metrics.height();
    if (cellWidth <= 0 || cellHeight <= 0 || cellWidth > kMaxCellSide || cellHeight > kMaxCellSide)
        return false;
    const int slotWidth = cellWidth + 2 * kMargin;
    const std::size_t rowPixels = static_cast<std::size_t>(kGlyphCount) * static_cast<std::size_t>(slotWidth);
    const std::size_t inkPixels = rowPixels * static_cast<std::size_t>(cellHeight);

    std::unique_ptr<std::uint32_t[]> pixels(new (std::nothrow) std::uint32_t[inkPixels * inks.size()]);
    QImage sheet(static_cast<int>(rowPixels), cellHeight, QImage::Format_RGB32);
    if (!pixels || sheet.isNull())
        return false;

    std::array<bool, kGlyphCount> spills{};
    for (std::size_t ink = 0; ink < inks.size(); ++ink) {
        sheet.fill(Qt::black);
        QPainter painter(&sheet);
        if (!painter.isActive())
            return false;
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(font);
        painter.setPen(QColor(inks[ink].r, inks[ink].g, inks[ink].b));
        for (int glyph = 0; glyph < kGlyphCount; ++glyph) {
            const int left = glyph * slotWidth;
            painter.setClipRect(left, 0, slotWidth, cellHeight);
            painter.drawText(QPoint(left + kMargin, metrics.ascent()), QString(QChar(kFirstGlyph + glyph)));
        }
        painter.end();

        for (int row = 0; row < cellHeight; ++row) {
            const auto* src = reinterpret_cast<const std::uint32_t*>(sheet.constScanLine(row));
            std::uint32_t* dst = pixels.get() + ink * inkPixels + static_cast<std::size_t>(row) * rowPixels;
            for (std::size_t i = 0; i < rowPixels; ++i) {
                dst[i] = src[i] & kColourBits;
                const int column = static_cast<int>(i % static_cast<std::size_t>(slotWidth));
                if (dst[i] != 0 && (column < kMargin || column >= kMargin + cellWidth))
                    spills[i / static_cast<std::size_t>(slotWidth)] = true;
            }
        }
    }

    m_pixels = std::move(pixels);
    m_inkCount = static_cast<int>(inks.size());
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    m_slotWidth = slotWidth;
    m_spills = spills;
    return true;
}

void CGlyphAtlas::Free()
{
    m_pixels.reset();
    m_inkCount = 0;
    m_cellWidth = 0;
    m_cellHeight = 0;
    m_slotWidth = 0;
    m_spills = {};
}

int CGlyphAtlas::GlyphIndex(char c) const
{
    const int code = static_cast<unsigned char>(c);
    return code >= kFirstGlyph && code < kFirstGlyph + kGlyphCount ? code - kFirstGlyph : 0;
}

const std::uint32_t* CGlyphAtlas::SlotRow(int ink, int glyph, int row) const
{
    const std::size_t rowIndex = static_cast<std::size_t>(ink) * static_cast<std::size_t>(m_cellHeight) +
                                 static_cast<std::size_t>(row);
    return m_pixels.get() + (rowIndex * kGlyphCount + static_cast<std::size_t>(glyph)) *
                                static_cast<std::size_t>(m_slotWidth);
}

void CGlyphAtlas::DrawText(std::uint32_t* image, std::int32_t width, std::int32_t height, std::int32_t x,
                           std::int32_t y, int ink, const char* text) const
{
    if (!m_pixels || !image || !text || ink < 0 || ink >= m_inkCount || width <= 0 || height <= 0)
        return;
    // Cell rows that land inside the image.
    const std::int32_t top = static_cast<std::int32_t>(std::max<std::int64_t>(0, -static_cast<std::int64_t>(y)));
    const std::int32_t bottom = static_cast<std::int32_t>(
        std::min<std::int64_t>(m_cellHeight, static_cast<std::int64_t>(height) - y));
    if (top >= bottom)
        return;
    const std::size_t length = strnlen(text, kMaxTextLength);

    // Every cell opaque first: the background of the whole text covers what was there.
    for (std::size_t i = 0; i < length; ++i) {
        const int glyph = GlyphIndex(text[i]);
        const std::int64_t cellLeft = static_cast<std::int64_t>(x) + static_cast<std::int64_t>(i) * m_cellWidth;
        const std::int64_t from = std::max<std::int64_t>(cellLeft, 0);
        const std::int64_t to = std::min<std::int64_t>(cellLeft + m_cellWidth, width);
        if (from >= to)
            continue;
        const std::size_t bytes = static_cast<std::size_t>(to - from) * sizeof(std::uint32_t);
        for (std::int32_t row = top; row < bottom; ++row) {
            std::uint32_t* dst = image + (static_cast<std::size_t>(y + row) * static_cast<std::size_t>(width) +
                                          static_cast<std::size_t>(from));
            std::memcpy(dst, SlotRow(ink, glyph, row) + kMargin + (from - cellLeft), bytes);
        }
    }
    // Then the ink that glyphs spill past their cells, over their neighbours.
    for (std::size_t i = 0; i < length; ++i) {
        const int glyph = GlyphIndex(text[i]);
        if (!m_spills[static_cast<std::size_t>(glyph)])
            continue;
        const std::int64_t slotLeft =
            static_cast<std::int64_t>(x) + static_cast<std::int64_t>(i) * m_cellWidth - kMargin;
        MergeSpill(image, width, top, bottom, slotLeft, ink, glyph, y);
    }
}

void CGlyphAtlas::MergeSpill(std::uint32_t* image, std::int32_t width, std::int32_t top, std::int32_t bottom,
                             std::int64_t slotLeft, int ink, int glyph, std::int32_t y) const
{
    for (int column = 0; column < m_slotWidth; ++column) {
        if (column == kMargin)
            column += m_cellWidth;   // the cell itself is already drawn
        const std::int64_t imageColumn = slotLeft + column;
        if (imageColumn < 0 || imageColumn >= width)
            continue;
        for (std::int32_t row = top; row < bottom; ++row) {
            std::uint32_t& dst = image[static_cast<std::size_t>(y + row) * static_cast<std::size_t>(width) +
                                       static_cast<std::size_t>(imageColumn)];
            dst = MaxChannels(dst, SlotRow(ink, glyph, row)[column]);
        }
    }
}
