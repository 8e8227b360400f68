#include "ui/controls/slider_position.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

std::optional<int> PositionFromPoint(int point, int channelStart, int channelLength, int minimum, int maximum)
{
    if (channelLength <= 0)
        return std::nullopt;
    // d x (maximum - minimum) as one division of an exact product (exact below 2^53, far beyond any screen
    // coordinate times any range), so a result that is an exact half stays exact and rounds up as intended.
    const std::int64_t offset = static_cast<std::int64_t>(point) - channelStart;
    const std::int64_t span = static_cast<std::int64_t>(maximum) - minimum;
    const double scaled =
        static_cast<double>(offset) * static_cast<double>(span) / static_cast<double>(channelLength);
    const double position = static_cast<double>(minimum) + scaled + 0.5;
    // Far outside the channel the value may not fit an int; converting it unclamped would be undefined.
    const double bounded = std::clamp(std::trunc(position), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX));
    return static_cast<int>(bounded);
}
