#pragma once
// The twelve fields of the metadata strip, in the order the strip paints them.

enum class DvField {
    Timecode,
    RecTime,
    RecDate,
    Shutter,
    Iris,
    Stabiliser,
    Gain,
    ExposureMode,
    WhiteBalanceMode,
    WhiteBalance,
    Audio,
    Counter,
};

inline constexpr int kDvFieldCount = 12;
