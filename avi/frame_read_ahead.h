#pragma once
// Reads the same small piece of every frame, front to back, and keeps the kernel fetching the pieces ahead
// once a read has had to wait for the disk. The frames lie a whole frame apart, so the kernel's own read-ahead
// never sees a sequential read: unhinted, a file not yet in the page cache costs one disk wait per frame. A
// hint costs about as much as a read from the cache, so a file that is already cached is never hinted.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

class CFrameReadAhead {
public:
    // offsets: the frames' data positions, kept by reference (they must outlive this object); bytes: the
    // piece read at each.
    CFrameReadAhead(int fd, const std::vector<std::int64_t>& offsets, std::size_t bytes);

    // ReadExactAt of the piece of frame `frame` into buffer (room for `bytes`). Frames are read in order.
    bool Read(std::size_t frame, std::uint8_t* buffer);

private:
    void HintUpTo(std::size_t frame);

    int m_fd;
    const std::vector<std::int64_t>& m_offsets;
    std::size_t m_bytes;
    bool m_hinting = false;
    std::chrono::steady_clock::time_point m_blockStart;   // when the block of reads being timed began
    int m_readsInBlock = 0;
    int m_slowBlocks = 0;          // blocks in a row that waited
    std::size_t m_hintedEnd = 0;   // frames before this one have been asked for
};
