#pragma once
// Pre-rendered character cells of the strip's monospaced font, one set per ink, so a frame's twelve
// texts are drawn by copying pixel rows instead of laying out and rasterising text (which allocates).
//
// Each printable ASCII character (0x20-0x7E) is rendered once per ink, antialiased on opaque black, into
// a cell of the font's advance width and ascent + descent height. A cell is stored with a margin on both
// sides that keeps the ink a glyph spills past its advance (antialiased edges of A, V, W, _ ...); that
// ink is merged onto whatever lies there, as it would be when the text is drawn glyph by glyph.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "dvmeta/overlay_layout.h"

class CGlyphAtlas {
public:
    // Renders the cells for a font height (see OverlayPixelSize) and the given inks. On failure (no
    // QGuiApplication, unusable font height, no memory) returns false and holds nothing.
    bool Build(std::int32_t fontHeight, std::span<const DvRgb> inks);
    void Free();
    bool Empty() const { return !m_pixels; }

    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }

    // Draws text (at most kMaxTextLength characters are read) with the top-left corner of its first cell
    // at (x, y) into a width x height image of 32-bit pixels, rows of exactly width pixels: cells opaque,
    // then the spilled ink merged; everything outside the image is cut off. Characters outside 0x20-0x7E
    // draw as blanks. Allocates nothing.
    void DrawText(std::uint32_t* image, std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y,
                  int ink, const char* text) const;

    static constexpr int kMaxTextLength = 127;
    static constexpr int kMargin = 2;   // spill columns kept on each side of a cell

private:
    static constexpr int kFirstGlyph = 0x20;
    static constexpr int kGlyphCount = 0x7F - kFirstGlyph;

    int GlyphIndex(char c) const;
    // Row `row` of a glyph's slot (kMargin + cell width + kMargin pixels).
    const std::uint32_t* SlotRow(int ink, int glyph, int row) const;
    void MergeSpill(std::uint32_t* image, std::int32_t width, std::int32_t top, std::int32_t bottom,
                    std::int64_t slotLeft, int ink, int glyph, std::int32_t y) const;

    std::unique_ptr<std::uint32_t[]> m_pixels;   // [ink][row][glyph][slot column]
    int m_inkCount = 0;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_slotWidth = 0;
    std::array<bool, kGlyphCount> m_spills{};   // glyph has ink in its margins
};
