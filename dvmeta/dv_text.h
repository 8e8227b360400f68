#pragma once
// The twelve texts of the metadata strip. Each formatter overwrites `text` with a zero-terminated string
// of at most 19 characters, or its field's placeholder when the pack is absent or holds the "no value"
// code. Digits are printed straight from the masked BCD nibbles: only the nibbles named below are checked.

#include <cstddef>
#include <cstdint>

#include "dvmeta/dv_packs.h"

inline constexpr std::size_t kDvTextSize = 128;
using DvText = char[kDvTextSize];

// Date order value that selects day/month/year; any other value gives month/day/year.
inline constexpr std::int32_t kDateOrderDayMonthYear = 1;

// Line periods in seconds, the unit of the slow-shutter value.
inline constexpr double kLinePeriod625 = 6.4e-05;
inline constexpr double kLinePeriod525 = 6.35555e-05;

// Pack 0x13: "hh:mm:ss:ff", or "hh:mm:ss;ff" in drop-frame mode; "--:--:--:--" when PC1 and PC2 are
// both 0xFF.
void FormatDvTimecode(DvText& text, const DvPackTable& packs, std::int32_t timecodeMode);
// Pack 0x63: "hh:mm:ss"; "--:--:--" when the hours units nibble is 10 or more.
void FormatRecTime(DvText& text, const DvPackTable& packs);
// Pack 0x62: "dd/mm/yy" or "mm/dd/yy"; "--/--/--" when the day units nibble is 10 or more.
void FormatRecDate(DvText& text, const DvPackTable& packs, std::int32_t dateOrder);
// Pack 0x7F: the shutter speed denominator. The last value converted and its result are cached in
// shutterKey/shutterSpeed (initially 0x7FFF and -1).
void FormatShutter(DvText& text, const DvPackTable& packs, double linePeriod, std::int32_t& shutterKey,
                   std::int32_t& shutterSpeed);
void FormatIris(DvText& text, const DvPackTable& packs);               // pack 0x70 PC1
void FormatStabiliser(DvText& text, const DvPackTable& packs);         // pack 0x71 PC2
void FormatGain(DvText& text, const DvPackTable& packs);               // pack 0x70 PC2 low nibble
void FormatExposureMode(DvText& text, const DvPackTable& packs);       // pack 0x70 PC2 high nibble
void FormatWhiteBalanceMode(DvText& text, const DvPackTable& packs);   // pack 0x70 PC3 bits 5-7
void FormatWhiteBalance(DvText& text, const DvPackTable& packs);       // pack 0x70 PC3 bits 0-4
void FormatAudio(DvText& text, const DvPackTable& packs);              // pack 0x50
// The frame counter from the sample's frame number; never a placeholder.
void FormatCounter(DvText& text, std::int64_t mediaStart, std::int32_t timecodeMode);
