#pragma once
// Facts of a DV AVI file's first stream header, read at the fixed offsets the file check assumes
// (no RIFF walk): the stream's type, handler, frame rate and length, and whether it is 625-line video.
// A raw DV stream has no stream header: the same facts come from its first frame's DSF bit and its size,
// so every reader of this record (reports, subtitles, the playback graph) needs no branch of its own.

#include "avi/dv_container.h"

#include <cstdint>

struct FirstStreamInfo {
    DvContainer container = DvContainer::Avi;
    std::uint32_t frameBytes = 0;   // raw DV: the size of every frame; AVI: 0, each chunk gives its own
    std::uint32_t fccType = 0;      // strh fccType, file offset 108
    std::uint32_t fccHandler = 0;   // strh fccHandler, 112
    std::uint32_t scale = 0;        // strh dwScale, 128
    std::uint32_t rate = 0;         // strh dwRate, 132
    std::uint32_t length = 0;       // strh dwLength, 140; raw DV: the whole frames the file holds
    bool hasBitmapHeight = false;   // 'vids' and the BITMAPINFOHEADER's biHeight (180) is in the file
    std::int32_t biHeight = 0;
    bool hasDvInfo = false;         // 'iavs' and DVINFO's dwDVVAuxSrc (188) is in the file
    std::uint32_t dvVAuxSrc = 0;
    bool is625 = true;              // 'vids': |biHeight| == 576; 'iavs': bit 21 of dwDVVAuxSrc; else true
    bool hasSound = false;          // QuickTime: the movie has a sound track
};

// Raw DV: fccHandler 'dvsd', scale and rate 1 / 25 or 1001 / 30000, is625 from the DSF bit. QuickTime:
// fccHandler 'dvsd', scale and rate from the video track's mdhd and first stts run, length the frames the
// file holds, is625 from the sample description ('dvcp').
// Reads at most the first 212 bytes of path. Failure policy: false with errno set when the file cannot
// be opened or read, or holds fewer than the 164 bytes of the stream header (errno ENODATA); a format
// block cut short only leaves its has-flag false.
bool ReadFirstStreamInfo(const char* path, FirstStreamInfo& out);
// The same from a file already open, read from its start (the file position moves).
bool ReadFirstStreamInfo(int fd, FirstStreamInfo& out);
