// The clock-like texts: DV timecode, recording time and date, frame counter.

#include <cstdio>

#include "dvmeta/dv_text.h"
#include "dvmeta/timecode.h"

void FormatDvTimecode(DvText& text, const DvPackTable& packs, std::int32_t timecodeMode)
{
    const std::uint8_t* p = packs.Find(kPackTimecode);
    if (!p || (p[1] == 0xFF && p[2] == 0xFF)) {
        std::snprintf(text, sizeof text, "--:--:--:--");
        return;
    }
    const char* format = timecodeMode == zv::kTimecodeMode525Drop ? "%d%d:%d%d:%d%d;%d%d" : "%d%d:%d%d:%d%d:%d%d";
    std::snprintf(text, sizeof text, format, (p[4] >> 4) & 3, p[4] & 0x0F, (p[3] >> 4) & 7, p[3] & 0x0F,
                  (p[2] >> 4) & 7, p[2] & 0x0F, (p[1] >> 4) & 3, p[1] & 0x0F);
}

void FormatRecTime(DvText& text, const DvPackTable& packs)
{
    const std::uint8_t* p = packs.Find(kPackRecTime);
    if (!p || (p[4] & 0x0F) >= 10) {
        std::snprintf(text, sizeof text, "--:--:--");
        return;
    }
    std::snprintf(text, sizeof text, "%d%d:%d%d:%d%d", (p[4] >> 4) & 3, p[4] & 0x0F, (p[3] >> 4) & 7, p[3] & 0x0F,
                  (p[2] >> 4) & 7, p[2] & 0x0F);
}

void FormatRecDate(DvText& text, const DvPackTable& packs, std::int32_t dateOrder)
{
    const std::uint8_t* p = packs.Find(kPackRecDate);
    if (!p || (p[2] & 0x0F) >= 10) {
        std::snprintf(text, sizeof text, "--/--/--");
        return;
    }
    const int dayTens = (p[2] >> 4) & 3;
    const int dayUnits = p[2] & 0x0F;
    const int monthTens = (p[3] >> 4) & 1;
    const int monthUnits = p[3] & 0x0F;
    const int yearTens = p[4] >> 4;
    const int yearUnits = p[4] & 0x0F;
    if (dateOrder == kDateOrderDayMonthYear)
        std::snprintf(text, sizeof text, "%d%d/%d%d/%d%d", dayTens, dayUnits, monthTens, monthUnits, yearTens,
                      yearUnits);
    else
        std::snprintf(text, sizeof text, "%d%d/%d%d/%d%d", monthTens, monthUnits, dayTens, dayUnits, yearTens,
                      yearUnits);
}

void FormatCounter(DvText& text, std::int64_t mediaStart, std::int32_t timecodeMode)
{
    const TimecodeFields t = FramesToTimecode(static_cast<std::uint64_t>(mediaStart), timecodeMode);
    const char* format = timecodeMode == zv::kTimecodeMode525Drop ? "%02d:%02d:%02d;%02d" : "%02d:%02d:%02d:%02d";
    std::snprintf(text, sizeof text, format, t.hours, t.minutes, t.seconds, t.frames);
}
