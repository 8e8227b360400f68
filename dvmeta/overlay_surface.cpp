#include "dvmeta/overlay_surface.h"

#include <algorithm>
#include <cstring>

bool COverlaySurface::Create(std::int32_t width, std::int32_t height, std::int32_t fontHeight)
{
    Free();
    if (width <= 0 || height <= 0 || width > kMaxOverlayWidth || height > kMaxOverlayHeight)
        return false;
    CGlyphAtlas& glyphs = CellsFor(fontHeight);
    if (glyphs.Empty() && !glyphs.Build(fontHeight, kOverlayInks))
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull() || image.bytesPerLine() != static_cast<qsizetype>(width) * 4)
        return false;
    m_image = std::move(image);
    m_pixels = m_image.bits();
    m_glyphs = &glyphs;
    Clear();
    return true;
}

void COverlaySurface::Free()
{
    m_pixels = nullptr;
    m_image = QImage();
    m_glyphs = nullptr;
}

CGlyphAtlas& COverlaySurface::CellsFor(std::int32_t fontHeight)
{
    const auto* known = std::find(kOverlayFontHeights.begin(), kOverlayFontHeights.end(), fontHeight);
    if (known != kOverlayFontHeights.end())
        return m_prepared[static_cast<std::size_t>(known - kOverlayFontHeights.begin())];
    if (m_otherFontHeight != fontHeight) {
        m_otherHeight.Free();
        m_otherFontHeight = fontHeight;
    }
    return m_otherHeight;
}

void COverlaySurface::PrepareGlyphs()
{
    for (std::size_t i = 0; i < kOverlayFontHeights.size(); ++i) {
        if (m_prepared[i].Empty())
            m_prepared[i].Build(kOverlayFontHeights[i], kOverlayInks);
    }
}

void COverlaySurface::Clear()
{
    if (m_pixels)
        std::memset(m_pixels, 0, static_cast<std::size_t>(m_image.sizeInBytes()));
}

void COverlaySurface::DrawText(std::int32_t x, std::int32_t y, DvInk ink, const char* text)
{
    if (m_pixels)
        m_glyphs->DrawText(reinterpret_cast<std::uint32_t*>(m_pixels), m_image.width(), m_image.height(), x, y, ink,
                          text);
}
