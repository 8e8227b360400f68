#include "avi/index_claims.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr std::int64_t kHeaderList = 12;          // the LIST hdrl chunk header follows the RIFF header
constexpr std::int64_t kIndexHeaderBytes = 24;
constexpr std::uint64_t kMinEntryBytes = 8;       // a standard index entry, the smallest any index has
constexpr std::size_t kWindowBytes = 64 * 1024;   // also the most super index entries read at once

// Chunk headers of the header list, read forward through one 64 KiB window: a list made of millions of
// empty chunks costs one read per 64 KiB rather than one per chunk.
class ForwardWindow {
public:
    explicit ForwardWindow(int fd) : m_fd(fd), m_bytes(kWindowBytes) {}

    // The count bytes at position, or nullptr when the file holds fewer (count <= 12).
    const std::uint8_t* At(std::int64_t position, std::size_t count)
    {
        if (position < m_start || position + static_cast<std::int64_t>(count) > m_start + m_filled) {
            m_start = position;
            m_filled = 0;
            for (;;) {
                const ssize_t got = ::pread(m_fd, m_bytes.data(), m_bytes.size(), static_cast<off_t>(position));
                if (got < 0 && errno == EINTR)
                    continue;
                m_filled = got > 0 ? got : 0;
                break;
            }
        }
        if (position + static_cast<std::int64_t>(count) > m_start + m_filled)
            return nullptr;
        return m_bytes.data() + (position - m_start);
    }

private:
    int m_fd;
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_start = 0;
    std::int64_t m_filled = 0;
};

struct Walk {
    int fd;
    std::int64_t fileSize;
    IndexClaimsVerdict verdict;
};

std::int64_t PaddedEnd(std::int64_t position, std::uint32_t size)
{
    return position + 8 + static_cast<std::int64_t>(size) + (size & 1u);
}

// The index chunk whose 8-byte header is at chunk, given its header bytes. False when it claims more
// entries than its chunk and the file hold (the verdict then names it).
bool ClaimFits(Walk& walk, std::int64_t chunk, std::uint32_t chunkSize, const std::uint8_t* indexHeader)
{
    const std::uint64_t entryBytes = std::max<std::uint64_t>(kMinEntryBytes, zv::LoadLe16(indexHeader) * 4ull);
    const std::uint32_t entries = zv::LoadLe32(indexHeader + 4);
    const std::int64_t inFile = walk.fileSize - (chunk + 8);
    const std::int64_t bytes = std::min<std::int64_t>(chunkSize, inFile) - kIndexHeaderBytes;
    if (bytes < 0 || entries * entryBytes <= static_cast<std::uint64_t>(bytes))
        return true;   // (the splitter refuses a chunk too small for its own header, claims and all)
    walk.verdict = {false, chunk, entries, bytes};
    return false;
}

// "ix##", or "##ix" as some writers have it: the chunks the splitter reads as standard indexes.
bool IsStandardIndexId(const std::uint8_t* id)
{
    return (id[0] == 'i' && id[1] == 'x') || (id[2] == 'i' && id[3] == 'x');
}

// The index chunks a super index's entries point at: the first 8 bytes of each entry of entryBytes.
bool PointedIndexesFit(Walk& walk, std::int64_t entriesStart, std::uint32_t entries, std::uint64_t entryBytes)
{
    const std::uint64_t perRead = std::max<std::uint64_t>(1, kWindowBytes / entryBytes);
    std::vector<std::uint8_t> block;
    for (std::uint64_t done = 0; done < entries;) {
        const std::uint64_t count = std::min<std::uint64_t>(entries - done, perRead);
        block.resize(static_cast<std::size_t>(count * entryBytes));
        if (!ReadExactAt(walk.fd, block.data(), block.size(), entriesStart + static_cast<std::int64_t>(done * entryBytes)))
            return true;
        for (std::size_t offset = 0; offset < block.size(); offset += entryBytes) {
            const std::uint64_t chunk = zv::LoadLe64(block.data() + offset);
            std::uint8_t header[8 + kIndexHeaderBytes];
            if (chunk > static_cast<std::uint64_t>(walk.fileSize)
                || !ReadExactAt(walk.fd, header, sizeof header, static_cast<std::int64_t>(chunk))
                || !IsStandardIndexId(header))
                continue;   // nothing there the splitter would read as an index
            if (!ClaimFits(walk, static_cast<std::int64_t>(chunk), zv::LoadLe32(header + 4), header + 8))
                return false;
        }
        done += count;
    }
    return true;
}

// An indx chunk of a stream list, and the indexes its entries point at.
bool SuperIndexFits(Walk& walk, std::int64_t chunk, std::uint32_t chunkSize)
{
    std::uint8_t header[kIndexHeaderBytes];
    if (!ReadExactAt(walk.fd, header, sizeof header, chunk + 8))
        return true;
    if (!ClaimFits(walk, chunk, chunkSize, header))
        return false;
    const std::uint64_t entryBytes = std::max<std::uint64_t>(kMinEntryBytes, zv::LoadLe16(header) * 4ull);
    return PointedIndexesFit(walk, chunk + 8 + kIndexHeaderBytes, zv::LoadLe32(header + 4), entryBytes);
}

}  // namespace

IndexClaimsVerdict CheckIndexClaims(int fd)
{
    Walk walk{fd, zv::FileSize(fd), {}};
    if (walk.fileSize < 0)
        return walk.verdict;
    ForwardWindow window(fd);
    const std::uint8_t* list = window.At(kHeaderList, 12);
    if (list == nullptr || !zv::HasFourCC(list, "LIST") || !zv::HasFourCC(list + 8, "hdrl"))
        return walk.verdict;
    const std::int64_t listEnd = std::min(PaddedEnd(kHeaderList, zv::LoadLe32(list + 4)), walk.fileSize);

    // Stream lists sit in the header list and their indx chunks in them: one forward walk visits both.
    std::int64_t streamListEnd = -1;
    for (std::int64_t position = kHeaderList + 12; position < listEnd;) {
        if (position >= streamListEnd)
            streamListEnd = -1;
        const std::uint8_t* chunk = window.At(position, 12);
        if (chunk == nullptr)
            break;
        const std::uint32_t size = zv::LoadLe32(chunk + 4);
        if (zv::HasFourCC(chunk, "LIST") && zv::HasFourCC(chunk + 8, "strl") && streamListEnd < 0) {
            streamListEnd = PaddedEnd(position, size);
            position += 12;
            continue;
        }
        if (streamListEnd >= 0 && zv::HasFourCC(chunk, "indx") && !SuperIndexFits(walk, position, size))
            break;
        position = PaddedEnd(position, size);
    }
    return walk.verdict;
}

std::string DescribeIndexClaims(const IndexClaimsVerdict& verdict)
{
    return "The OpenDML index at byte " + std::to_string(verdict.chunk) + " claims " + std::to_string(verdict.entries)
         + " entries; its chunk holds " + std::to_string(verdict.bytes) + " bytes.";
}
