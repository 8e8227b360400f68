#include "export/recording_stamp.h"

#include <cstdio>

namespace zv {
namespace {

// Two BCD digits, or -1 when either is no decimal digit.
int Decimal(std::uint8_t value)
{
    const int tens = value >> 4, units = value & 0x0F;
    return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

}  // namespace

int FourDigitYear(int twoDigitYear)
{
    return twoDigitYear < 70 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

std::optional<RecordingStamp> ReadRecordingStamp(const std::uint8_t* datePack, const std::uint8_t* timePack)
{
    if (datePack == nullptr || timePack == nullptr)
        return std::nullopt;
    const std::uint8_t day = datePack[2] & 0x3F, month = datePack[3] & 0x1F, year = datePack[4];
    const std::uint8_t seconds = timePack[2] & 0x7F, minutes = timePack[3] & 0x7F, hours = timePack[4] & 0x3F;
    if (day > 0x31 || month > 0x12 || seconds > 0x59 || minutes > 0x59 || hours > 0x23)
        return std::nullopt;
    RecordingStamp stamp;
    stamp.day = Decimal(day);
    stamp.month = Decimal(month);
    stamp.year = Decimal(year);
    stamp.seconds = Decimal(seconds);
    stamp.minutes = Decimal(minutes);
    stamp.hours = Decimal(hours);
    if (stamp.day < 1 || stamp.month < 1 || stamp.year < 0 || stamp.seconds < 0 || stamp.minutes < 0 || stamp.hours < 0)
        return std::nullopt;
    stamp.year = FourDigitYear(stamp.year);
    return stamp;
}

std::string StampForFileName(const std::optional<RecordingStamp>& stamp)
{
    if (!stamp)
        return "undated";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d", stamp->year, stamp->month, stamp->day,
                  stamp->hours, stamp->minutes, stamp->seconds);
    return text;
}

}  // namespace zv
