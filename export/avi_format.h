#pragma once
// What an exported AVI file takes over from its input: the main header, the video stream's header and
// format (BITMAPINFOHEADER or DVINFO) and, when there is one, the audio stream's (WAVEFORMATEX), byte for
// byte, plus where each of the input's audio chunks lies.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv {

// A chunk's bytes in the file: its data and the pad byte that keeps the next chunk on an even offset.
inline constexpr std::uint64_t Padded(std::uint64_t size) { return size + (size & 1u); }

inline constexpr std::size_t kAviHeaderBytes = 56;   // avih and strh data

struct AviStreamFormat {
    std::array<std::uint8_t, kAviHeaderBytes> header{};   // strh data
    std::vector<std::uint8_t> format;                      // strf data
    std::uint32_t chunkId = 0;                             // "00dc", "01wb", ...
};

struct AviFormat {
    std::array<std::uint8_t, kAviHeaderBytes> mainHeader{};
    AviStreamFormat video;      // the first stream ('vids' or 'iavs')
    bool hasAudio = false;      // an 'auds' stream follows
    AviStreamFormat audio;
};

// strh fields the export sets (offsets in its data).
inline constexpr std::size_t kStrhType = 0, kStrhInitialFrames = 16, kStrhScale = 20, kStrhRate = 24,
                             kStrhStart = 28, kStrhLength = 32, kStrhSuggestedBuffer = 36, kStrhSampleSize = 44;

// Reads the header list of the open file. videoChunkId is the frame index's chunk id. Failure policy: a header
// list, main header or first stream list that is missing or runs past the file, or a format over 64 KiB,
// fails with `problem` set (one sentence); stream lists after the first that are not audio are left out.
bool ReadAviFormat(int fd, std::uint32_t videoChunkId, AviFormat& format, std::string& problem);

struct AudioChunk {
    std::int64_t data = 0;      // file position of the chunk's data
    std::uint32_t size = 0;
    std::int32_t afterFrame = -1;   // the frame of the nearest video chunk before it, -1 when none
};

// Every chunk of the audio stream in the movi lists of all RIFF forms, in file order, each tied to the
// frame whose chunk (by frameOffsets, the frame index) is the nearest before it. Failure policy: a chunk
// larger than any audio chunk may be, more chunks than maxChunks, or a failed read fails with `problem` set;
// a movi list cut short by the file's end ends the walk there.
bool FindAudioChunks(int fd, std::uint32_t audioChunkId, const std::vector<std::int64_t>& frameOffsets,
                     std::size_t maxChunks, std::vector<AudioChunk>& chunks, std::string& problem);

}  // namespace zv
