#pragma once
// What a file's indexes may claim before anything sizes memory or reads chunks from them. The
// demultiplexer of the playback pipeline reserves its tables from the counts the indexes claim and
// allocates each chunk at the size its index entry gives; the frame index of our own reader reserves one
// position per listed frame. A count of a few hundred million in a chunk of 40 bytes, a 4 GiB "frame" over
// a hole of a sparse file, or one chunk listed a million times would cost gigabytes, or end the process
// when the reservation cannot be made. Both the playback graph and the frame index apply this one rule
// first, so the player and the report commands refuse the same files, with the same message.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The smallest DV frame (525 lines).
inline constexpr std::uint32_t kSmallestDvFrameBytes = 120000u;

// The header of an OpenDML index chunk's data, before its first entry.
inline constexpr std::int64_t kIndexHeaderBytes = 24;

// Whatever a DV frame chunk may hold: a frame is 120,000 (525 lines) or 144,000 (625 lines) bytes, and
// 4 KiB more are allowed for writers that pad a chunk to a sector.
inline constexpr std::uint32_t kMaxFrameChunkBytes = 144000u + 4096u;
// A chunk of another stream (audio of a two-stream file): a second of 48 kHz, four channels of 16 bits is
// 384,000 bytes; 1 MiB leaves room for writers that interleave coarsely.
inline constexpr std::uint32_t kMaxOtherChunkBytes = 1024u * 1024u;
// Writers list a frame again to fill a dropout; one picture repeated for a minute (1,500 listings at
// 25 frames/s) is the most an index may list the same chunk in a row.
inline constexpr std::uint32_t kMaxRepeatedListings = 1500u;

// The most video frames an index of a file of fileSize bytes may list: a DV frame takes at least 120,000
// bytes, each may be listed up to four times in all (repeats fill dropouts), and 65,536 listings (512 KiB
// of frame index) are allowed whatever the size, for short files and indexes of empty or short chunks.
std::uint64_t MaxFrameListings(std::int64_t fileSize);

struct IndexClaimsVerdict {
    bool fits = true;             // false: some index claims what the file cannot back
    std::int64_t chunk = -1;      // file position of the index chunk's header (or of the idx1 entry) at fault
    std::uint32_t entries = 0;    // an OpenDML index claiming more entries than it holds: the entries it claims
    std::int64_t bytes = 0;       // ... and the bytes it holds after its 24-byte header (within the file)
    std::string detail;           // what was wrong and where, in one sentence
};

// The entries of the video stream's standard indexes (OpenDML, 8 bytes each) as the check read them, by the
// file position of their first entry, so that the frame index built next does not read them again. What is
// kept is what the listing limit allows the frame index itself.
struct CheckedIndexes {
    std::unordered_map<std::int64_t, std::vector<std::uint8_t>> entries;
    std::uint64_t videoEntries = 0;   // entries of every standard index of the video stream checked
};

// Walks the header list's stream lists and the top level of the file. Refused: an indx chunk of a stream
// list that is a standard index rather than an index of indexes; any indx or ix## chunk claiming more
// entries (of its entry size, at least 8 bytes) than its chunk size and the file hold; standard indexes
// (OpenDML) or an idx1 chunk listing more video frames than MaxFrameListings (an idx1 of more than 16
// entries for each of those, of any stream, is refused unread), an entry whose chunk is
// larger than kMaxFrameChunkBytes (video) or kMaxOtherChunkBytes (other streams), an idx1 offset that wraps
// past 4 GiB, or the same chunk listed more than kMaxRepeatedListings times in a row. Refused too: a
// stream list of the video stream that does not begin with its stream header and format (the splitter
// would leave the stream out and still feed it), a type-2 format giving a picture width below 0 or over
// 65536 (the pipeline stops at the first frame), and what MoviListFits refuses in the first movi list
// (avi/movi_claims.h): every chunk of a file without an index, and the first frame of a type-1 stream.
// A chunk that cannot
// be read, or that lies past the end of the file, claims nothing here: the damage is left to the readers
// that meet it. Holds at most 64 KiB of entries at a time, unless `kept` asks for the video stream's entries
// (each standard index then read in one go; std::bad_alloc may escape).
IndexClaimsVerdict CheckIndexClaims(int fd, CheckedIndexes* kept = nullptr);

// The verdict's detail, e.g. "The OpenDML index at byte 1234 claims 268435456 entries; its chunk holds 40
// bytes."
std::string DescribeIndexClaims(const IndexClaimsVerdict& verdict);
