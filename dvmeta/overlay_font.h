#pragma once
// The strip's font: bold monospaced "Courier New" (fontconfig maps it to Liberation Mono Bold, which has
// the same metrics), greyscale antialiased. Needs a QGuiApplication.

#include <cstdint>

#include <QFont>

// Largest font height the strip accepts either way; a strip is at most a few hundred pixels high.
inline constexpr std::int32_t kMaxOverlayFontHeight = 512;

// The font at a pixel (em) size.
QFont MakeOverlayFont(int pixelSize);

// The pixel size for a font height: a negative height is minus the pixel size; a positive one is the
// character cell height (ascent + descent) to come closest to, the smaller size winning a tie so the
// glyphs stay inside the cell. 0 when the height is 0 or beyond kMaxOverlayFontHeight.
int OverlayPixelSize(std::int32_t fontHeight);

// Makes now, on the calling thread, the glyph cells of every font size the strip takes (kOverlayFontHeights,
// shared by every strip: SharedOverlayGlyphs): reading the font database, trying each size and rendering
// the glyphs is most of what a strip's start costs. Lets a caller do it while it would otherwise wait (for
// a plugin to load).
void WarmOverlayFonts();
