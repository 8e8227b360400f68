#pragma once
// Frame number -> hours:minutes:seconds:frames for the strip's frame counter.

#include <cstdint>

struct TimecodeFields {
    int hours;
    int minutes;
    int seconds;
    int frames;
};

// Mode 0 counts 25 frames/s, mode 2 30 frames/s with drop-frame numbering (frame numbers 00 and 01 are
// skipped at the start of every minute except each tenth), any other mode 30 frames/s non-drop.
// Hours wrap at 24. All divisions are unsigned, so every input gives fields in range.
TimecodeFields FramesToTimecode(std::uint64_t frameCount, std::int32_t mode);
