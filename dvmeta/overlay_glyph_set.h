#pragma once
// The glyph cells of every font height the strip's layouts give, made once for the process and shared
// read-only by every strip (a player's filter, its snapshot's, an export's): each set of cells costs a few
// milliseconds of text rendering, and the window's start makes them while it waits for a plugin to load
// rather than when the graph starts its filter.

#include <array>

#include "dvmeta/glyph_atlas.h"
#include "dvmeta/overlay_layout.h"

using OverlayGlyphSet = std::array<CGlyphAtlas, kOverlayFontHeights.size()>;   // by index into kOverlayFontHeights

// Renders the cells on the calling thread the first time it is asked (the toolkit's font cache for that
// thread lives as long as the thread: not for a pooled streaming thread) and returns them; nullptr while
// they cannot be made (no QGuiApplication, no memory), when a later call tries again.
const OverlayGlyphSet* SharedOverlayGlyphs();

// The cells when SharedOverlayGlyphs has made them, else nullptr; renders nothing.
const OverlayGlyphSet* MadeOverlayGlyphs();
