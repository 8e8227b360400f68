#pragma once
// What the chunks of a movi list may claim. Without an index the playback pipeline's splitter walks the
// list chunk by chunk to find the frames and allocates each chunk at the size its header gives, so the
// sizes face the rules the indexes face (avi/index_claims.h). And a type-1 stream is split into picture
// and sound by a DV splitter that learns the frame size from the first frame: when that frame is too
// short to be one it never does, waits for pads that never come and divides by a frame length of 0.

#include <cstdint>
#include <string>

struct MoviRules {
    bool everyChunk = false;        // no index: the sizes of all chunks (else only the first frame is looked at)
    bool interleaved = false;       // the video stream is a type-1 (iavs) stream
    std::uint64_t maxChunks = 0;    // everyChunk: the most chunks the list may hold
};

struct MoviVerdict {
    std::int64_t chunk = -1;   // file position of the chunk (or the list) at fault; -1 when the list fits
    std::string detail;        // what was wrong and where, in one sentence
};

// Walks the movi list whose LIST header is at moviList, into its "rec " lists, up to the end of the list
// or of the file (fileSize bytes). Refused, under everyChunk: more than maxChunks chunks, a frame chunk
// (stream 00) over kMaxFrameChunkBytes or another stream's chunk over kMaxOtherChunkBytes; when
// interleaved, a first frame chunk of fewer than kSmallestDvFrameBytes. A chunk that cannot be read ends
// the walk quietly: the readers meet that damage themselves. Reads one page at a time.
MoviVerdict CheckMoviList(int fd, std::int64_t fileSize, std::int64_t moviList, const MoviRules& rules);
