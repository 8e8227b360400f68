#pragma once
// DV in a QuickTime or ISO file: whether the first video track holds DV25 frames, and the frame index and
// frame times read from that track's sample tables (stsz, stsc, stco or co64, stts) and its mdhd.

#include "avi/quicktime_movie.h"

#include <cstdint>
#include <string>
#include <vector>

enum class QuickTimeDvVerdict {
    NotQuickTime,   // no QuickTime structure at the start of the file
    NotDv,          // a QuickTime file whose first video track is not DV25 (or that has none)
    Dv,             // "dvc " frames of 120,000 bytes (525/60) or "dvcp" frames of 144,000 bytes (625/50)
    TooShort,       // a QuickTime file cut before its movie box ends
    ReadFailed,     // a system read failed; errno says why
};

struct QuickTimeDvSystem {
    bool is625 = true;
    std::uint32_t frameBytes = 0;
};

// Reads the movie box and the first video track's description and sample size. movie and system are
// filled for Dv (movie may be null).
QuickTimeDvVerdict CheckQuickTimeDv(int fd, std::int64_t fileSize, QuickTimeMovie* movie, QuickTimeDvSystem& system);

// A run of frames of one duration, in the track's time units.
struct QuickTimeTimeRun {
    std::int64_t firstFrame = 0;
    std::int64_t firstTime = 0;
    std::uint32_t duration = 0;
};

struct QuickTimeDvIndex {
    QuickTimeDvSystem system;
    QuickTimeSound sound;
    std::uint32_t timescale = 0;               // time units per second of the runs below
    std::vector<QuickTimeTimeRun> timeRuns;    // at least one; the last one goes on for ever
    std::uint64_t claimedFrames = 0;           // the samples the sample tables list
    std::vector<std::int64_t> frameOffsets;    // where each frame that lies whole in the file starts
};

// Builds the index of the file open on fd. Failure policy: a file that is not DV in QuickTime, a table
// missing, damaged or claiming more entries than its box holds, a chunk map that runs backwards, a sample
// that is not one DV frame, more frames kept than MaxFrameListings of the file's size, or no frame in the
// file fails with the cause in problem (empty when a system read failed: errno names that one). Samples
// that lie past the end of the file are dropped, not failed: a cut file keeps the frames it holds.
// Frame times come from mdhd and stts unless a duration or the timescale is 0; then from the DV system.
bool BuildQuickTimeDvIndex(int fd, QuickTimeDvIndex& out, std::string& problem);

// The frame rate as rate / scale frames a second, in lowest terms, from the first run of the index's times.
void QuickTimeFrameRate(const QuickTimeDvIndex& index, std::uint32_t& rate, std::uint32_t& scale);

// When frame starts, in the index's time units.
std::int64_t QuickTimeFrameTime(const QuickTimeDvIndex& index, std::int64_t frame);
// The same in whole milliseconds, truncated.
std::int64_t QuickTimeFrameMilliseconds(const QuickTimeDvIndex& index, std::int64_t frame);
