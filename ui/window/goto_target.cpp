#include "ui/window/goto_target.h"

#include "ui/window/recorded_at.h"

std::optional<GoToTarget> ParseGoToTarget(std::string_view text, TimecodeRate rate)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.find('-') != std::string_view::npos) {
        const std::optional<std::int64_t> seconds = ParseRecordedAt(text);
        return seconds ? std::optional<GoToTarget>({GoToTarget::Kind::RecordedAt, *seconds}) : std::nullopt;
    }
    if (text.find_first_of(":;") != std::string_view::npos) {
        const std::optional<std::int64_t> frame = ParseTimecode(text, rate);
        return frame ? std::optional<GoToTarget>({GoToTarget::Kind::Frame, *frame}) : std::nullopt;
    }
    // A frame number: digits only, few enough to fit any file's frame count.
    if (text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t frame = 0;
    for (const char digit : text) {
        frame = frame * 10 + (digit - '0');
    }
    return GoToTarget{GoToTarget::Kind::Frame, frame};
}
