#pragma once
// Opening a file for the report the way the player does: the DV AVI check first, then the reader and its
// frame index. Every refusal is written to stderr in the player's own words.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "avi/dv_avi_reader.h"
#include "avi/stream_info.h"

class ReportFile {
public:
    // False after writing the reason to `err`: a refused file, or "Unable to index the AVI file".
    bool Open(const char* path, std::FILE* err);

    CDvAviReader& Reader() { return m_reader; }
    std::int64_t FrameCount() const { return static_cast<std::int64_t>(m_reader.FrameOffsets().size()); }
    bool Is625() const { return m_stream.is625; }
    const FirstStreamInfo& Stream() const { return m_stream; }

    // Reads frame `frame`'s whole chunk, its length from the chunk header in front of the data, into a buffer
    // reused from frame to frame. False after writing the reason to `err`.
    bool ReadFrame(std::int64_t frame, std::FILE* err);
    const std::uint8_t* FrameData() const { return m_frame.data(); }
    std::size_t FrameLength() const { return m_frameLength; }

private:
    CDvAviReader m_reader;
    FirstStreamInfo m_stream{};
    std::vector<std::uint8_t> m_frame;
    std::size_t m_frameLength = 0;
};

// Writes the refusal of a frame number outside 0 .. frameCount - 1. Shared by the commands that take --frame.
void WriteFrameOutsideFile(std::int64_t frame, std::int64_t frameCount, std::FILE* err);

// Writes the check's message for a refused file (path filled in; the system text after an empty line where the
// player shows one). Shared by --check and every command that opens a file.
void WriteRefusal(int checkResult, const char* path, std::FILE* err);
