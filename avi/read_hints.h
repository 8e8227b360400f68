#pragma once
// Pieces of a file asked for together (WillNeed), so that the disk fetches them in one trip. The pieces are
// gathered first and asked for in file order, neighbours joined into one request: the indexes of a large
// file lie in pairs (pictures, then sound) at the end of each RIFF form, and every request costs the kernel
// a submission of its own, which for pieces of a few pages is most of what a hint costs.

#include <cstddef>
#include <cstdint>
#include <vector>

// A piece of the file, [start, end).
struct FilePiece {
    std::int64_t start;
    std::int64_t end;
};

// The pieces in file order, those that overlap, touch or lie at most gap bytes apart joined into one.
std::vector<FilePiece> JoinNeighbours(std::vector<FilePiece> pieces, std::int64_t gap);

class CReadHints {
public:
    explicit CReadHints(int fd) : m_fd(fd) {}
    CReadHints(const CReadHints&) = delete;
    CReadHints& operator=(const CReadHints&) = delete;
    ~CReadHints() { Issue(); }

    // count bytes at position (both at least 0). Past kMaxPending pieces, those gathered are asked for at
    // once, so a damaged index listing millions of pieces costs bounded memory.
    void Add(std::int64_t position, std::int64_t count);

    // Asks for every piece gathered so far, in file order, pieces less than kJoinGap apart as one.
    void Issue();

    static constexpr std::size_t kMaxPending = 4096;
    static constexpr std::int64_t kJoinGap = 32 * 1024;

private:
    int m_fd;
    std::vector<FilePiece> m_pending;
};
