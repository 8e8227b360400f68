#pragma once
// The strip's recording date and time of one frame as a subtitle text, read as cheaply as it can be: when
// the first DIF sequence's subcode or VAUX holds both packs, those are the ones the strip shows; only a
// frame without them is read whole, as the strip reads it.

#include <cstdint>
#include <string>
#include <vector>

#include "avi/dv_avi_reader.h"
#include "dvmeta/dv_packs.h"
#include "dvmeta/dv_text.h"

namespace zv {

class CFrameClock {
public:
    // reader: open and indexed, read through for as long as this clock is used. dateOrder: 1 day first,
    // anything else month first (the DateFormat setting).
    CFrameClock(const CDvAviReader& reader, std::int32_t dateOrder);

    // Frame `frame`'s cue text ("08/07/2024 19:55:58": a four-digit year, then the time) into `text`,
    // empty when its date or time is the placeholder. False with `error` set when the frame cannot be read.
    bool Read(std::int64_t frame, std::string& text, std::string& error);

private:
    bool ReadWholeFrame(std::int64_t frame, std::int64_t data, std::string& error);
    void Format(std::string& text);

    const CDvAviReader& m_reader;
    std::int64_t m_fileSize;
    std::int32_t m_dateOrder;
    std::int32_t m_timecodeMode = kTimecodeMode625;
    DvPackTable m_packs;
    std::vector<std::uint8_t> m_frame;
    DvText m_date{};
    DvText m_time{};
};

}  // namespace zv
