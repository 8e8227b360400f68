#pragma once
// What a person may type into Go to: a frame number ("1234"), a position ("0:00:49:09", ';' before the
// frames allowed) or a recording date and time ("2024-07-08 19:55:58"). Blanks around the text are ignored.

#include "ui/window/timecode.h"

#include <cstdint>
#include <optional>
#include <string_view>

struct GoToTarget {
    enum class Kind { Frame, RecordedAt };
    Kind kind;
    std::int64_t value;   // the frame number, or the recorded moment in scan seconds
};

std::optional<GoToTarget> ParseGoToTarget(std::string_view text, TimecodeRate rate);
