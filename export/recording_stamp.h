#pragma once
// A frame's recording date and time as a calendar moment, for names of exported files and subtitle texts.

#include <cstdint>
#include <optional>
#include <string>

namespace zv {

struct RecordingStamp {
    int year = 0;   // four digits
    int month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
};

// The two-digit year the camcorder stores, in the scene scan's window: 00-69 are 2000-2069, 70-99 1970-1999.
int FourDigitYear(int twoDigitYear);

// The date (0x62) and time (0x63) packs, 5 bytes each or nullptr, as a stamp. Empty unless both packs are
// there, their masked bytes are within the scene scan's limits, every digit is decimal, and the day and
// month are not zero.
std::optional<RecordingStamp> ReadRecordingStamp(const std::uint8_t* datePack, const std::uint8_t* timePack);

// "YYYY-MM-DD_HH-MM-SS", or "undated" without a stamp: safe in a file name on every file system.
std::string StampForFileName(const std::optional<RecordingStamp>& stamp);

}  // namespace zv
