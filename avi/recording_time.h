#pragma once
// The recorded moment of a DV frame in whole seconds, from its recording date (0x62) and time (0x63)
// packs. Only differences between frames matter, so no time zone or daylight saving takes part.

#include <cstdint>

namespace zv {

// Days from 1970-01-01 to year-month-day on the proleptic Gregorian calendar (month 1..12, day 1..31).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day);

// Seconds from 1970-01-01 00:00:00 of the packs' date and time. Each pack is its 5 bytes (PC0..PC4) or
// nullptr when the frame has none. A missing pack, or one whose masked day/month/year (seconds/minutes/
// hours) byte is over its limit, counts as all zeros; digits themselves are not checked. Years below 70
// are 20xx, others 19xx. An out-of-range month carries into the year, and day 0 or an over-long day,
// hour or minute carries into the neighbouring unit, so every input gives a value.
// The first recording date (0x62) and time (0x63) packs among the subcode and VAUX packs of a DIF sequence
// (at least its first 480 bytes), subcode before VAUX; nullptr for a pack that is absent.
void FindRecordingPacks(const std::uint8_t* sequence, const std::uint8_t*& datePack, const std::uint8_t*& timePack);

std::int64_t RecordingSeconds(const std::uint8_t* datePack, const std::uint8_t* timePack);

}  // namespace zv
