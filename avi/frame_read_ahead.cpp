#include "avi/frame_read_ahead.h"

#include "avi/file_io.h"

#include <algorithm>

namespace {

// Frames asked for ahead of the one being read: enough for the disk to serve many at once, and 64 pages
// stay well within any page cache.
constexpr std::size_t kFramesAhead = 64;
// A read from the page cache takes about a microsecond; one that had to wait for a disk, tens at least.
constexpr auto kDiskWait = std::chrono::microseconds(40);
// Reads are timed in blocks: reading the clock costs a few percent of a read from the cache, so timing
// every read alone would make a cached scan measurably slower than one that never looks.
constexpr int kReadsTimed = 4;
// A slow block may be the scan losing the processor on a busy machine, now and then; two in a row are the disk.
constexpr int kSlowBlocksInARow = 2;

}  // namespace

CFrameReadAhead::CFrameReadAhead(int fd, const std::vector<std::int64_t>& offsets, std::size_t bytes)
    : m_fd(fd), m_offsets(offsets), m_bytes(bytes), m_blockStart(std::chrono::steady_clock::now())
{
}

bool CFrameReadAhead::Read(std::size_t frame, std::uint8_t* buffer)
{
    if (m_hinting)
        HintUpTo(frame + 1 + kFramesAhead);
    if (!ReadExactAt(m_fd, buffer, m_bytes, m_offsets[frame]))
        return false;
    if (m_hinting || ++m_readsInBlock < kReadsTimed)
        return true;
    // Blocks of reads that wait are the disk: the rest of the file is then likely out of the cache too, so the
    // kernel is kept busy from here on.
    const auto now = std::chrono::steady_clock::now();
    m_slowBlocks = now - m_blockStart > kReadsTimed * kDiskWait ? m_slowBlocks + 1 : 0;
    m_blockStart = now;
    m_readsInBlock = 0;
    if (m_slowBlocks >= kSlowBlocksInARow) {
        m_hinting = true;
        m_hintedEnd = frame + 1;
        HintUpTo(frame + 1 + kFramesAhead);
    }
    return true;
}

void CFrameReadAhead::HintUpTo(std::size_t frame)
{
    const std::size_t end = std::min(frame, m_offsets.size());
    for (; m_hintedEnd < end; ++m_hintedEnd)
        zv::WillNeed(m_fd, m_offsets[m_hintedEnd], static_cast<std::int64_t>(m_bytes));
}
