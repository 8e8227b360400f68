#include "avi/recording_time.h"

#include "dvmeta/dv_pack_layout.h"

namespace zv {

namespace {

// Two BCD digits as the camcorder wrote them; a units nibble over 9 simply adds its value.
int DecodeBcd(std::uint8_t value)
{
    return (value >> 4) * 10 + (value & 0x0F);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

void FindRecordingPacks(const std::uint8_t* sequence, const std::uint8_t*& datePack, const std::uint8_t*& timePack)
{
    datePack = nullptr;
    timePack = nullptr;
    for (std::size_t i = 0; i < kSubcodeVauxPackCount; ++i) {
        const std::uint8_t* pack = sequence + kPackOffsets[i];
        if (datePack == nullptr && pack[0] == kPackRecDate)
            datePack = pack;
        else if (timePack == nullptr && pack[0] == kPackRecTime)
            timePack = pack;
        if (datePack != nullptr && timePack != nullptr)
            break;
    }
}

std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    // Counts from 1 March so the leap day ends each 400-year era's year.
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t RecordingSeconds(const std::uint8_t* datePack, const std::uint8_t* timePack)
{
    int year = 0, month = 0, day = 0;
    if (datePack != nullptr) {
        const std::uint8_t d = datePack[2] & 0x3F, m = datePack[3] & 0x1F, y = datePack[4];
        if (d <= 0x31 && m <= 0x12 && y <= 0x99) {
            day = DecodeBcd(d);
            month = DecodeBcd(m);
            year = DecodeBcd(y);
        }
    }
    int hours = 0, minutes = 0, seconds = 0;
    if (timePack != nullptr) {
        const std::uint8_t s = timePack[2] & 0x7F, m = timePack[3] & 0x7F, h = timePack[4] & 0x3F;
        if (s <= 0x59 && m <= 0x59 && h <= 0x23) {
            seconds = DecodeBcd(s);
            minutes = DecodeBcd(m);
            hours = DecodeBcd(h);
        }
    }
    const std::int64_t fullYear = year < 70 ? 2000 + year : 1900 + year;

    // Month index from January; -1 is December of the year before, 12 and up run into later years.
    const std::int64_t monthIndex = month - 1;
    const std::int64_t yearCarry = FloorDiv(monthIndex, 12);
    const int monthInYear = static_cast<int>(monthIndex - yearCarry * 12) + 1;

    const std::int64_t firstOfMonth = DaysFromCivil(fullYear + yearCarry, monthInYear, 1);
    return firstOfMonth * 86400 + (static_cast<std::int64_t>(day) - 1) * 86400 + hours * 3600 + minutes * 60
         + seconds;
}

}  // namespace zv
