#pragma once
// Facts of a DV AVI file's first stream header, read at the fixed offsets the file check assumes
// (no RIFF walk): the stream's type, handler, frame rate and length, and whether it is 625-line video.

#include <cstdint>

struct FirstStreamInfo {
    std::uint32_t fccType = 0;      // strh fccType, file offset 108
    std::uint32_t fccHandler = 0;   // strh fccHandler, 112
    std::uint32_t scale = 0;        // strh dwScale, 128
    std::uint32_t rate = 0;         // strh dwRate, 132
    std::uint32_t length = 0;       // strh dwLength, 140
    bool hasBitmapHeight = false;   // 'vids' and the BITMAPINFOHEADER's biHeight (180) is in the file
    std::int32_t biHeight = 0;
    bool hasDvInfo = false;         // 'iavs' and DVINFO's dwDVVAuxSrc (188) is in the file
    std::uint32_t dvVAuxSrc = 0;
    bool is625 = true;              // 'vids': |biHeight| == 576; 'iavs': bit 21 of dwDVVAuxSrc; else true
};

// Reads at most the first 212 bytes of path. Failure policy: false with errno set when the file cannot
// be opened or read, or holds fewer than the 164 bytes of the stream header (errno ENODATA); a format
// block cut short only leaves its has-flag false.
bool ReadFirstStreamInfo(const char* path, FirstStreamInfo& out);
// The same from a file already open, read from its start (the file position moves).
bool ReadFirstStreamInfo(int fd, FirstStreamInfo& out);
