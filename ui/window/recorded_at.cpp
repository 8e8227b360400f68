#include "ui/window/recorded_at.h"

#include "avi/recording_marks.h"
#include "avi/recording_time.h"

#include <array>
#include <cstdio>

namespace {

struct CivilDate {
    std::int64_t year;
    int month;
    int day;
};

// The inverse of zv::DaysFromCivil, counting from 1 March as it does.
CivilDate CivilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int DaysInMonth(std::int64_t year, int month)
{
    return static_cast<int>(zv::DaysFromCivil(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1)
                            - zv::DaysFromCivil(year, month, 1));
}

// Three numbers joined by separator, the first of firstDigits digits and the others of two: "2024-07-08".
std::optional<std::array<int, 3>> Fields(std::string_view text, char separator, std::size_t firstDigits)
{
    if (text.size() != firstDigits + 6 || text[firstDigits] != separator || text[firstDigits + 3] != separator) {
        return std::nullopt;
    }
    std::array<int, 3> fields{};
    std::size_t field = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == firstDigits || i == firstDigits + 3) {
            ++field;
        } else if (text[i] >= '0' && text[i] <= '9') {
            fields[field] = fields[field] * 10 + (text[i] - '0');
        } else {
            return std::nullopt;
        }
    }
    return fields;
}

}  // namespace

std::string FormatRecordedAt(std::int64_t seconds)
{
    if (seconds == zv::UnrecordedSeconds()) {
        return {};
    }
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t inDay = seconds - days * 86400;
    const CivilDate date = CivilFromDays(days);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02lld:%02lld:%02lld", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<long long>(inDay / 3600), static_cast<long long>(inDay / 60 % 60),
                  static_cast<long long>(inDay % 60));
    return text;
}

std::optional<std::int64_t> ParseRecordedAt(std::string_view text)
{
    const std::size_t gap = text.find(' ');
    const std::size_t timeAt = text.find_first_not_of(' ', gap);
    if (gap == std::string_view::npos || timeAt == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<std::array<int, 3>> date = Fields(text.substr(0, gap), '-', 4);
    const std::optional<std::array<int, 3>> time = Fields(text.substr(timeAt), ':', 2);
    if (!date || !time) {
        return std::nullopt;
    }
    const auto [year, month, day] = *date;
    const auto [hours, minutes, seconds] = *time;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hours > 23 || minutes > 59
        || seconds > 59) {
        return std::nullopt;
    }
    return zv::DaysFromCivil(year, month, day) * 86400 + hours * 3600 + minutes * 60 + seconds;
}
