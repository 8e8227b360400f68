#include "avi/frame_read_ahead.h"

#include "avi/file_io.h"

#include <algorithm>

namespace {

// Frames asked for ahead of the one being read: enough for the disk to serve many at once, and 64 pages
// stay well within any page cache.
constexpr std::size_t kFramesAhead = 64;
// A read from the page cache takes about a microsecond; one that had to wait for a disk, tens at least.
constexpr auto kDiskWait = std::chrono::microseconds(40);
constexpr int kSlowReadsInARow = 4;

}  // namespace

CFrameReadAhead::CFrameReadAhead(int fd, const std::vector<std::int64_t>& offsets, std::size_t bytes)
    : m_fd(fd), m_offsets(offsets), m_bytes(bytes)
{
}

bool CFrameReadAhead::Read(std::size_t frame, std::uint8_t* buffer)
{
    if (m_hinting)
        HintUpTo(frame + 1 + kFramesAhead);
    const auto start = std::chrono::steady_clock::now();
    if (!ReadExactAt(m_fd, buffer, m_bytes, m_offsets[frame]))
        return false;
    if (m_hinting)
        return true;
    // A slow read may be the scan losing the processor on a busy machine, now and then even twice running;
    // several in a row are the disk. The rest of the file is then likely out of the cache too: keep the kernel
    // busy from here on.
    m_slowReads = std::chrono::steady_clock::now() - start > kDiskWait ? m_slowReads + 1 : 0;
    if (m_slowReads >= kSlowReadsInARow) {
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
