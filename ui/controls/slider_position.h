#pragma once
// Click-to-position arithmetic of the seek slider, free of any widget.
//
//   std::optional<int> PositionFromPoint(int point, int channelStart, int channelLength,
//                                        int minimum, int maximum);
//
// d = (point - channelStart) / channelLength; position = minimum + d * (maximum - minimum) + 0.5,
// truncated toward zero, so an exact half goes up. The result is NOT clamped to the range (a drag past
// either end gives a value beyond it; the slider clamps when it is set), only to what an int holds.
// No value (std::nullopt) when the channel has no length, as happens when the window squeezes the
// slider to nothing.

#include <optional>

std::optional<int> PositionFromPoint(int point, int channelStart, int channelLength, int minimum, int maximum);
