#pragma once
// The strip's drawing resources: the 32-bit image (B, G, R, X bytes, top row first, rows of exactly
// width x 4 bytes) and the glyph cells of its font.

#include <array>
#include <cstdint>

#include <QImage>

#include "dvmeta/glyph_atlas.h"
#include "dvmeta/overlay_glyph_set.h"

// Bounds on a strip image, far above any real strip; sizes come from the media pipeline's negotiation.
inline constexpr std::int32_t kMaxOverlayWidth = 8192;
inline constexpr std::int32_t kMaxOverlayHeight = 2048;

class COverlaySurface {
public:
    // Creates the image and, unless PrepareGlyphs or another strip made them (SharedOverlayGlyphs), the glyph
    // cells for every ink of the strip. On failure (size out of range, no QGuiApplication, no memory)
    // returns false and holds no image.
    bool Create(std::int32_t width, std::int32_t height, std::int32_t fontHeight);
    // Frees the image; glyph cells stay until the surface goes, so a new size costs no text rendering.
    void Free();
    // Takes the shared glyph cells of every height in kOverlayFontHeights, rendering them on the calling
    // thread when no one has yet. The toolkit keeps a font cache for each thread that lays out text and
    // frees it only when the thread ends: made on the media framework's pooled streaming thread it would
    // stay for the life of the process, so the element prepares its cells where it is started and the
    // streaming thread only copies them.
    void PrepareGlyphs();
    bool Exists() const { return !m_image.isNull(); }

    std::uint8_t* Pixels() { return m_pixels; }
    const QImage* Image() const { return Exists() ? &m_image : nullptr; }
    std::int32_t Width() const { return m_image.width(); }
    std::int32_t Height() const { return m_image.height(); }
    const CGlyphAtlas& Glyphs() const { return m_glyphs != nullptr ? *m_glyphs : m_otherHeight; }

    // All bytes 0.
    void Clear();
    // The bytes of the pixels in [left, right) x [top, bottom) 0, cut off at the image's edges.
    void ClearBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // Opaque text with the top-left corner of its first cell at (x, y), cut off at the image's edges.
    void DrawText(std::int32_t x, std::int32_t y, DvInk ink, const char* text);

private:
    // The cells for a font height, rendered now when neither the shared set nor this surface has them;
    // nullptr when they cannot be.
    const CGlyphAtlas* CellsFor(std::int32_t fontHeight);

    QImage m_image;
    std::uint8_t* m_pixels = nullptr;   // m_image's memory, taken once so no frame detaches or allocates
    // The cells for the image's font height (nullptr without an image): one of those below.
    const CGlyphAtlas* m_glyphs = nullptr;
    const OverlayGlyphSet* m_shared = nullptr;
    OverlayGlyphSet m_own;   // rendered by this surface only while the shared set cannot be made
    CGlyphAtlas m_otherHeight;   // a font height the layout never gives (tests ask for them)
    std::int32_t m_otherFontHeight = 0;
};
