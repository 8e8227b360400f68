#include "avi/recording_marks.h"

#include "avi/recording_time.h"

#include <algorithm>

namespace zv {

std::int64_t UnrecordedSeconds()
{
    return RecordingSeconds(nullptr, nullptr);
}

std::int64_t RecordedSecondsAt(const std::vector<RecordingMark>& marks, std::int64_t frame)
{
    const auto after = std::upper_bound(marks.begin(), marks.end(), frame,
                                        [](std::int64_t value, const RecordingMark& mark) { return value < mark.frame; });
    return after == marks.begin() ? UnrecordedSeconds() : std::prev(after)->seconds;
}

std::int64_t FirstFrameRecordedAtOrAfter(const std::vector<RecordingMark>& marks, std::int64_t seconds)
{
    // Recorded time need not rise through the file (tapes are recorded over), so every mark is looked at.
    const std::int64_t unrecorded = UnrecordedSeconds();
    for (const RecordingMark& mark : marks) {
        if (mark.seconds >= seconds && mark.seconds != unrecorded)
            return mark.frame;
    }
    return -1;
}

}  // namespace zv
