#include "dvmeta/overlay_surface.h"

#include <algorithm>
#include <cstring>

bool COverlaySurface::Create(std::int32_t width, std::int32_t height, std::int32_t fontHeight)
{
    Free();
    if (width <= 0 || height <= 0 || width > kMaxOverlayWidth || height > kMaxOverlayHeight)
        return false;
    const CGlyphAtlas* glyphs = CellsFor(fontHeight);
    if (glyphs == nullptr)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull() || image.bytesPerLine() != static_cast<qsizetype>(width) * 4)
        return false;
    m_image = std::move(image);
    m_pixels = m_image.bits();
    m_glyphs = glyphs;
    Clear();
    return true;
}

void COverlaySurface::Free()
{
    m_pixels = nullptr;
    m_image = QImage();
    m_glyphs = nullptr;
}

namespace {

const CGlyphAtlas* Made(CGlyphAtlas& cells, std::int32_t fontHeight)
{
    return !cells.Empty() || cells.Build(fontHeight, kOverlayInks) ? &cells : nullptr;
}

}  // namespace

const CGlyphAtlas* COverlaySurface::CellsFor(std::int32_t fontHeight)
{
    const auto* known = std::find(kOverlayFontHeights.begin(), kOverlayFontHeights.end(), fontHeight);
    if (known != kOverlayFontHeights.end()) {
        const auto index = static_cast<std::size_t>(known - kOverlayFontHeights.begin());
        if (m_shared == nullptr)
            m_shared = MadeOverlayGlyphs();
        return m_shared != nullptr ? &(*m_shared)[index] : Made(m_own[index], fontHeight);
    }
    if (m_otherFontHeight != fontHeight) {
        m_otherHeight.Free();
        m_otherFontHeight = fontHeight;
    }
    return Made(m_otherHeight, fontHeight);
}

void COverlaySurface::PrepareGlyphs()
{
    // When they cannot be made here, Create tries again for its own height.
    if (m_shared == nullptr)
        m_shared = SharedOverlayGlyphs();
}

void COverlaySurface::Clear()
{
    if (m_pixels)
        std::memset(m_pixels, 0, static_cast<std::size_t>(m_image.sizeInBytes()));
}

void COverlaySurface::ClearBox(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_image.width());
    bottom = std::min(bottom, m_image.height());
    if (!m_pixels || left >= right || top >= bottom)
        return;
    const auto width = static_cast<std::size_t>(m_image.width());
    for (std::int32_t row = top; row < bottom; ++row)
        std::memset(m_pixels + (static_cast<std::size_t>(row) * width + static_cast<std::size_t>(left)) * 4, 0,
                    static_cast<std::size_t>(right - left) * 4);
}

void COverlaySurface::DrawText(std::int32_t x, std::int32_t y, DvInk ink, const char* text)
{
    if (m_pixels)
        m_glyphs->DrawText(reinterpret_cast<std::uint32_t*>(m_pixels), m_image.width(), m_image.height(), x, y, ink,
                          text);
}
