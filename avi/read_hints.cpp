#include "avi/read_hints.h"

#include "avi/file_io.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

void CReadHints::Add(std::int64_t position, std::int64_t count)
{
    if (position < 0 || count <= 0 || position > INT64_MAX - count)
        return;
    if (m_pending.size() >= kMaxPending)
        Issue();
    try {
        m_pending.push_back({position, position + count});
    } catch (const std::bad_alloc&) {
        zv::WillNeed(m_fd, position, count);   // no room to gather it: asked for alone
    }
}

std::vector<FilePiece> JoinNeighbours(std::vector<FilePiece> pieces, std::int64_t gap)
{
    std::sort(pieces.begin(), pieces.end(), [](const FilePiece& a, const FilePiece& b) { return a.start < b.start; });
    std::size_t kept = 0;
    for (const FilePiece& piece : pieces) {
        if (kept > 0 && piece.start - pieces[kept - 1].end <= gap)
            pieces[kept - 1].end = std::max(pieces[kept - 1].end, piece.end);
        else
            pieces[kept++] = piece;
    }
    pieces.resize(kept);
    return pieces;
}

void CReadHints::Issue()
{
    for (const FilePiece& run : JoinNeighbours(std::move(m_pending), kJoinGap))
        zv::WillNeed(m_fd, run.start, run.end - run.start);
    m_pending.clear();
}
