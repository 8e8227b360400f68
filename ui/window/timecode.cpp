#include "ui/window/timecode.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace {

constexpr std::int64_t kDroppedPerMinute = 2;
constexpr std::int64_t kDropFramesPerMinute = 30 * 60 - kDroppedPerMinute;         // 1798
constexpr std::int64_t kDropFramesPerTenMinutes = 10 * kDropFramesPerMinute + 2;    // 17982

// The count every label would have if none were skipped.
std::int64_t LabelNumber(std::int64_t frames, const TimecodeRate& rate)
{
    if (!rate.dropFrame) {
        return frames;
    }
    const std::int64_t tens = frames / kDropFramesPerTenMinutes;
    const std::int64_t rest = frames % kDropFramesPerTenMinutes;
    const std::int64_t minutesDropped = rest > kDroppedPerMinute ? (rest - kDroppedPerMinute) / kDropFramesPerMinute : 0;
    return frames + 9 * kDroppedPerMinute * tens + kDroppedPerMinute * minutesDropped;
}

// Unsigned decimal digits only, at most 9 of them.
std::optional<std::int64_t> Number(std::string_view text)
{
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    return value;
}

}  // namespace

TimecodeRate RateForFrameDuration(std::int64_t frameDuration)
{
    constexpr std::int64_t kSecond = 10'000'000;
    if (frameDuration <= 0) {
        return {};
    }
    const auto nominal = static_cast<int>((kSecond + frameDuration / 2) / frameDuration);
    // 30000/1001 frames last 333667 (rounded): longer than an exact thirtieth of a second.
    return {nominal, nominal == 30 && frameDuration * 30 > kSecond};
}

std::string FormatTimecode(std::int64_t frames, TimecodeRate rate)
{
    const std::int64_t fps = rate.framesPerSecond > 0 ? rate.framesPerSecond : 25;
    const std::int64_t label = LabelNumber(frames < 0 ? 0 : frames, rate);
    const std::int64_t seconds = label / fps;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld%c%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60),
                  rate.dropFrame ? ';' : ':', static_cast<long long>(label % fps));
    return text;
}

std::optional<std::int64_t> ParseTimecode(std::string_view text, TimecodeRate rate)
{
    std::array<std::int64_t, 4> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t end = i + 1 < parts.size() ? text.find_first_of(i == 2 ? ":;" : ":") : text.size();
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<std::int64_t> part = Number(text.substr(0, end));
        if (!part) {
            return std::nullopt;
        }
        parts[i] = *part;
        text.remove_prefix(end == text.size() ? end : end + 1);
    }
    const auto [hours, minutes, seconds, frames] = parts;
    if (minutes > 59 || seconds > 59 || frames >= rate.framesPerSecond) {
        return std::nullopt;
    }
    const std::int64_t totalMinutes = hours * 60 + minutes;
    const std::int64_t label = (totalMinutes * 60 + seconds) * rate.framesPerSecond + frames;
    if (!rate.dropFrame) {
        return label;
    }
    if (seconds == 0 && frames < kDroppedPerMinute && minutes % 10 != 0) {
        return std::nullopt;   // skipped by drop-frame counting
    }
    return label - kDroppedPerMinute * (totalMinutes - totalMinutes / 10);
}
