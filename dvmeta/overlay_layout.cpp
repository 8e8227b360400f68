#include "dvmeta/overlay_layout.h"

namespace {

constexpr std::int32_t kCellHeight625 = kOverlayFontHeights[0];
constexpr std::int32_t kCellHeight525 = kOverlayFontHeights[1];
constexpr std::int32_t kSmallEmHeight = kOverlayFontHeights[2];

// Column at numerator/41 of the width plus a 2-pixel margin; 64-bit so any width multiplies safely.
std::int32_t Column(std::int32_t width, std::int64_t numerator)
{
    return static_cast<std::int32_t>(numerator * width / 41 + 2);
}

}  // namespace

DvOverlayLayout ComputeOverlayLayout(std::int32_t nominalWidth, std::int32_t height, bool is625)
{
    DvOverlayLayout layout{};
    if (height == kFullStripHeight)
        layout.fontHeight = is625 ? kCellHeight625 : kCellHeight525;
    else
        layout.fontHeight = kSmallEmHeight;
    layout.x = {2, Column(nominalWidth, 13), Column(nominalWidth, 23), Column(nominalWidth, 29),
                Column(nominalWidth, 35)};
    const std::int32_t third = height / 3;
    layout.y = {0, third, 2 * third};
    return layout;
}
