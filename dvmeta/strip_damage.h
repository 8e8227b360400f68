#pragma once
// Which of the strip's texts a frame paints again, and what it clears first. From one frame to the next
// most texts stay as they were (the date, the camera settings; only the timecode and the counter move),
// so a frame repaints the texts that changed and every text whose pixels meet theirs (where texts meet,
// painting order decides the pixels, so those are painted again, in order, too); everything else keeps
// the pixels the last frame left, which are the pixels a whole new paint would give.

#include <array>
#include <cstdint>

#include "dvmeta/overlay_layout.h"

inline constexpr std::size_t kStripTexts = kOverlaySteps.size();

// The pixels a text can touch, [left, right) x [top, bottom); empty when left >= right.
struct DvTextBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A text of `length` characters drawn with its first cell's top-left corner at (x, y): its cells and the
// columns either side that the glyphs' ink may spill into.
DvTextBox TextBox(std::int32_t x, std::int32_t y, std::int32_t length, std::int32_t cellWidth, std::int32_t cellHeight,
                  std::int32_t spill);

struct DvStripDamage {
    std::array<bool, kStripTexts> repaint{};   // in painting order
    std::array<DvTextBox, kStripTexts> clear{};   // for each repainted text, what to clear before any painting
};

// before: where each text stood in the last frame; after: where it stands now; changed: whose text differs.
DvStripDamage FindStripDamage(const std::array<DvTextBox, kStripTexts>& before,
                              const std::array<DvTextBox, kStripTexts>& after,
                              const std::array<bool, kStripTexts>& changed);
