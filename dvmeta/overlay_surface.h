#pragma once
// The strip's drawing resources: the 32-bit image (B, G, R, X bytes, top row first, rows of exactly
// width x 4 bytes) and the glyph cells of its font.

#include <cstdint>

#include <QImage>

#include "dvmeta/glyph_atlas.h"

// Bounds on a strip image, far above any real strip; sizes come from the media pipeline's negotiation.
inline constexpr std::int32_t kMaxOverlayWidth = 8192;
inline constexpr std::int32_t kMaxOverlayHeight = 2048;

class COverlaySurface {
public:
    // Creates the image and the glyph cells for every ink of the strip. On failure (size out of range,
    // no QGuiApplication, no memory) returns false and holds nothing.
    bool Create(std::int32_t width, std::int32_t height, std::int32_t fontHeight);
    void Free();
    bool Exists() const { return !m_image.isNull(); }

    std::uint8_t* Pixels() { return m_pixels; }
    const QImage* Image() const { return Exists() ? &m_image : nullptr; }
    std::int32_t Width() const { return m_image.width(); }
    std::int32_t Height() const { return m_image.height(); }
    const CGlyphAtlas& Glyphs() const { return m_glyphs; }

    // All bytes 0.
    void Clear();
    // Opaque text with the top-left corner of its first cell at (x, y), cut off at the image's edges.
    void DrawText(std::int32_t x, std::int32_t y, DvInk ink, const char* text);

private:
    QImage m_image;
    std::uint8_t* m_pixels = nullptr;   // m_image's memory, taken once so no frame detaches or allocates
    CGlyphAtlas m_glyphs;
};
