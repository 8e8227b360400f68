#pragma once
// The movie of an ISO / QuickTime file: which tracks it has and how their samples are described. Only the
// first video track and the first sound track are looked at; their sample tables are read by
// quicktime_index.h.

#include "avi/quicktime_boxes.h"

#include <cstdint>

// The first sample description of a track and where the track's sample tables are.
struct QuickTimeTrack {
    bool seen = false;             // the movie has such a track
    bool found = false;            // ... and its description and sample tables are where they belong
    std::uint32_t timescale = 0;   // time units per second of the track's media (mdhd)
    std::uint32_t format = 0;      // the sample description's type, as zv::FourCC spells it
    zv::QtBox description;         // that description's box
    zv::QtBox sampleTable;         // stbl
};

struct QuickTimeSound {
    bool found = false;
    std::uint32_t format = 0;      // e.g. "twos", "sowt", "lpcm"
    std::uint32_t sampleRate = 0;  // samples per second, whole part
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 0;
};

struct QuickTimeMovie {
    QuickTimeTrack video;   // the first track whose handler is "vide"
    QuickTimeSound sound;   // the first track whose handler is "soun"
};

enum class QuickTimeLook {
    NotQuickTime,   // the first box is none of ftyp, moov, mdat, wide, free
    Movie,          // a movie box was read; out says which tracks it has
    TooShort,       // a QuickTime file cut before its movie box could be read whole
    Damaged,        // a QuickTime file whose boxes do not nest, or without a movie box
    ReadFailed,     // a system read failed; errno says why
};

// Walks the top level for the movie box and reads its tracks' handlers and first sample descriptions.
// Failure policy: a track whose boxes are missing or damaged is passed over as if it were not there;
// only the file-level structure decides the result.
QuickTimeLook LookAtQuickTime(int fd, std::int64_t fileSize, QuickTimeMovie& out);
