#pragma once
// Positions as h:mm:ss:ff. 25 frames/s counts every frame; 30000/1001 files count in drop-frame time
// (frame labels 0 and 1 skipped at every minute but each tenth), written with ';' before the frames, so
// the label keeps pace with the clock; an exact 30 frames/s counts every frame.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TimecodeRate {
    int framesPerSecond = 25;   // the nominal count: 25 or 30
    bool dropFrame = false;
};

// The rate of a file whose frames last frameDuration (100 ns units): 400000 is 25/s, 333667 30000/1001.
TimecodeRate RateForFrameDuration(std::int64_t frameDuration);

// The label of the position frames frames from the start (negative counts as 0).
std::string FormatTimecode(std::int64_t frames, TimecodeRate rate);

// The frame labelled by text ("h:mm:ss:ff", ';' allowed before ff), or nothing when text is no such label:
// minutes or seconds over 59, frames over the rate, or a label drop-frame time skips.
std::optional<std::int64_t> ParseTimecode(std::string_view text, TimecodeRate rate);
