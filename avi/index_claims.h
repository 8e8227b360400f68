#pragma once
// Whether the OpenDML index chunks of a file claim no more entries than they can hold. The demultiplexer
// of the playback pipeline sizes its index tables from these counts before it reads a single entry, so a
// count of a few hundred million in a chunk of 40 bytes would make it reserve gigabytes, or end the
// process when the reservation cannot be made. Checked here first, the file is refused with a message.

#include <cstdint>
#include <string>

struct IndexClaimsVerdict {
    bool fits = true;             // false: some index claims more entries than its chunk holds
    std::int64_t chunk = -1;      // file position of that index chunk's header
    std::uint32_t entries = 0;    // the entries it claims
    std::int64_t bytes = 0;       // the bytes it holds after its 24-byte header (within the file)
};

// Walks the header list's stream lists; every indx chunk there, and every ix## chunk an indx entry
// points at, must fit `entries` entries of its entry size (at least 8 bytes) into its own chunk size and
// into the file. A chunk that cannot be read, or that lies past the end of the file, claims nothing here:
// the damage is left to the readers that meet it. Reads the header list's chunk headers and 32 bytes per
// index chunk pointed at; holds at most 64 KiB of entries (one entry, when entries are larger) at a time.
IndexClaimsVerdict CheckIndexClaims(int fd);

// "The OpenDML index at byte 1234 claims 268435456 entries; its chunk holds 40 bytes."
std::string DescribeIndexClaims(const IndexClaimsVerdict& verdict);
