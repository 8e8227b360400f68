#pragma once
// A recorded moment as a person types and reads it, "2024-07-08 19:55:58", in the seconds the scene scan
// counts (zv::RecordingSeconds: from 1970-01-01 00:00:00, no time zone).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// "YYYY-MM-DD HH:MM:SS"; empty for the value of a frame without a usable date and time.
std::string FormatRecordedAt(std::int64_t seconds);

// The seconds of "YYYY-MM-DD HH:MM:SS" (one or more spaces between date and time), nothing when text is
// not a real date and time of that form.
std::optional<std::int64_t> ParseRecordedAt(std::string_view text);
