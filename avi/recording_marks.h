#pragma once
// Where the recorded time moves on within the file: one mark at frame 0 and at every frame whose recorded
// second differs from the frame before, made by the scene scan. Between two marks every frame carries the
// earlier mark's second, so the marks answer "when was frame n recorded" and "which is the first frame
// recorded at or after t" exactly, at about one mark per second of tape.

#include <cstdint>
#include <vector>

struct RecordingMark {
    std::int32_t frame;     // the first frame of a run with the same recorded second
    std::int64_t seconds;   // zv::RecordingSeconds of that run
};

namespace zv {

// The value RecordingSeconds gives a frame without a usable date and time.
std::int64_t UnrecordedSeconds();

// The recorded second of frame (marks ascending by frame, the first at frame 0); UnrecordedSeconds()
// when marks is empty or frame lies before the first mark.
std::int64_t RecordedSecondsAt(const std::vector<RecordingMark>& marks, std::int64_t frame);

// The first frame, in file order, recorded at seconds or later; frames without a usable date and time
// never match. -1 when there is none.
std::int64_t FirstFrameRecordedAtOrAfter(const std::vector<RecordingMark>& marks, std::int64_t seconds);

}  // namespace zv
