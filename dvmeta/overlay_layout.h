#pragma once
// Where the twelve texts of the strip go, in which colour, and how big the font is.

#include <array>
#include <cstdint>

#include "dvmeta/dv_field.h"

struct DvOverlayLayout {
    // > 0: height of the character cell in pixels; < 0: minus the em height in pixels.
    std::int32_t fontHeight;
    std::array<std::int32_t, 5> x;   // columns x0..x4
    std::array<std::int32_t, 3> y;   // rows y0..y2
};

// Five columns at fixed fractions of the nominal width, three rows at thirds of the height. A full-size
// strip (height 100) gets a cell height of 32 for 625-line input and 28 for 525-line input; any other
// height an em height of 14.
DvOverlayLayout ComputeOverlayLayout(std::int32_t nominalWidth, std::int32_t height, bool is625);

// Every font height ComputeOverlayLayout gives: 625 lines full size, 525 lines full size, any other height.
// The height of the full-size strip; anything lower is the small one.
inline constexpr std::int32_t kFullStripHeight = 100;
inline constexpr std::array<std::int32_t, 3> kOverlayFontHeights = {32, 28, -14};

struct DvRgb {
    std::uint8_t r, g, b;
};

// Ink numbers index kOverlayInks.
enum DvInk : int { kInkText = 0, kInkAudio = 1, kInkCounter = 2 };
inline constexpr std::array<DvRgb, 3> kOverlayInks = {{{255, 32, 32}, {64, 64, 255}, {128, 128, 128}}};

struct DvOverlayStep {
    DvField field;
    DvInk ink;
    int column;   // index into DvOverlayLayout::x
    int row;      // index into DvOverlayLayout::y
};

// Painting order; later texts overdraw earlier ones where they meet.
inline constexpr std::array<DvOverlayStep, 12> kOverlaySteps = {{
    {DvField::Timecode, kInkText, 0, 0},
    {DvField::RecTime, kInkText, 1, 0},
    {DvField::RecDate, kInkText, 1, 1},
    {DvField::Shutter, kInkText, 2, 0},
    {DvField::Iris, kInkText, 2, 1},
    {DvField::Stabiliser, kInkText, 2, 2},
    {DvField::Gain, kInkText, 3, 0},
    {DvField::ExposureMode, kInkText, 3, 1},
    {DvField::WhiteBalanceMode, kInkText, 4, 0},
    {DvField::WhiteBalance, kInkText, 4, 1},
    {DvField::Audio, kInkAudio, 4, 2},
    {DvField::Counter, kInkCounter, 0, 2},
}};
