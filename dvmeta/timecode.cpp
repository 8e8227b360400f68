#include "dvmeta/timecode.h"

#include "dvmeta/dv_packs.h"

namespace {

constexpr std::uint64_t kDropFramesPer10Minutes = 17982;   // 10 x 1800 - 9 x 2 dropped numbers
constexpr std::uint64_t kDropFramesPerMinute = 1798;       // a minute that drops two numbers

TimecodeFields Split(std::uint64_t f, std::uint64_t rate)
{
    const std::uint64_t perMinute = rate * 60;
    const std::uint64_t perHour = perMinute * 60;
    return TimecodeFields{static_cast<int>((f / perHour) % 24), static_cast<int>((f / perMinute) % 60),
                          static_cast<int>((f / rate) % 60), static_cast<int>(f % rate)};
}

}  // namespace

TimecodeFields FramesToTimecode(std::uint64_t frameCount, std::int32_t mode)
{
    if (mode == zv::kTimecodeMode625)
        return Split(frameCount, 25);
    if (mode != zv::kTimecodeMode525Drop)
        return Split(frameCount, 30);

    // Turn the real frame count into the label count by adding back the dropped numbers: 18 per full
    // ten minutes, and 2 per minute begun after the first minute of the current ten.
    const std::uint64_t tens = frameCount / kDropFramesPer10Minutes;
    const std::int64_t rest = static_cast<std::int64_t>(frameCount % kDropFramesPer10Minutes);
    const std::int64_t minutesIn = (rest - 2) / static_cast<std::int64_t>(kDropFramesPerMinute);   // 0 for rest 0, 1
    const std::uint64_t labels = frameCount + 18 * tens + 2 * static_cast<std::uint64_t>(minutesIn);
    return Split(labels, 30);
}
