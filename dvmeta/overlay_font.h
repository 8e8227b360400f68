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

// Tries now every font size the strip takes (kOverlayFontHeights), so that Qt's font cache holds them when
// a strip's glyphs are made: reading the font database and trying each size is most of what that costs.
// Lets a caller do it while it would otherwise wait (for a plugin to load).
void WarmOverlayFonts();
