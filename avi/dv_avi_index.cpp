// The frame index: one absolute file position per video frame, from the OpenDML index of the first
// stream list when there is one, else from the legacy idx1 chunk at the top level of the RIFF form.

#include "avi/dv_avi_reader.h"

#include "avi/array_growth.h"
#include "avi/fourcc.h"
#include "avi/index_claims.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <string>
#include <unordered_set>
#include <utility>

struct CDvAviReader::IndexWalk {
    std::int64_t fileSize = 0;
    std::uint64_t maxFrames = 0;                 // MaxFrameListings of the file size
    std::unordered_set<std::int64_t> visited;   // positions of the OpenDML index headers already read
    CheckedIndexes checked;                      // the standard indexes the claims check has read already
};

namespace {

constexpr std::int64_t kFirstStreamListChunks = 164;   // the strf chunk header of the first stream
constexpr std::size_t kHdrlSizeOffset = 16;
constexpr std::int64_t kHdrlDataStart = 20;           // where the hdrl list's size starts counting
constexpr std::size_t kSuperEntryBytes = 16;
constexpr std::size_t kStandardEntryBytes = 8;
constexpr std::size_t kLegacyEntryBytes = 16;
constexpr std::size_t kCalibrationWords = 7;   // tolerates a base off by up to 24 bytes
constexpr std::uint8_t kSuperIndex = 0;
constexpr std::uint8_t kStandardIndex = 1;
// OpenDML itself stacks one super index over standard indexes; one more level is allowed, no deeper.
constexpr int kMaxSuperIndexLevels = 2;
constexpr std::size_t kFrameOffsetStep = 750;
// Index entries read per system call (64 KiB of super index entries at most).
constexpr std::uint64_t kEntriesPerRead = 4096;
// Frame numbers are 32-bit everywhere else (scene starts, the slider).
constexpr std::size_t kMaxFrames = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Position arithmetic on values read from the file: wraps instead of overflowing, and a result that is
// negative or past the end simply fails at the seek or read that uses it.
std::int64_t AddWrapping(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// True when count entries of entryBytes each, starting at position, lie within a file of fileSize bytes.
bool EntriesFit(std::int64_t fileSize, std::int64_t position, std::uint64_t count, std::size_t entryBytes)
{
    const std::uint64_t bytes = count * entryBytes;   // at most 2^32 x 16: no overflow in 64 bits
    return position >= 0 && position <= fileSize && bytes <= static_cast<std::uint64_t>(fileSize - position);
}

}  // namespace

bool CDvAviReader::BuildIndex()
{
    if (!m_frameOffsets.empty())
        return true;
    if (!IsOpen())
        return false;
    m_indexProblem.clear();
    errno = 0;   // so that a short read, which sets no code, is told from a failed system call
    IndexWalk walk;
    walk.fileSize = zv::FileSize(m_fd.Get());
    if (walk.fileSize < 0)
        return false;
    if (m_container == DvContainer::RawDv)
        return BuildRawDvIndex(walk.fileSize);
    if (m_container == DvContainer::QuickTime)
        return BuildQuickTimeIndex();
    walk.maxFrames = MaxFrameListings(walk.fileSize);
    try {
        const IndexClaimsVerdict claims = CheckIndexClaims(m_fd.Get(), &walk.checked);
        if (!claims.fits)
            return Refuse(DescribeIndexClaims(claims));
        // The check has bounded the frames its indexes list by the file: room for them all at once.
        const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(kMaxFrames, walk.maxFrames));
        if (walk.checked.videoEntries <= limit)
            zv::GrowInSteps(m_frameOffsets, static_cast<std::size_t>(walk.checked.videoEntries), kFrameOffsetStep);
        if (WalkFirstStreamList(walk))
            return true;
        if (m_indexProblem.empty() && errno == 0)
            Refuse("The file ends inside one of its indexes.");   // a short read sets no system code
        return false;
    } catch (const std::bad_alloc&) {
        return Refuse("There is not enough memory for the frame index.");
    }
}

bool CDvAviReader::Refuse(std::string problem)
{
    m_indexProblem = std::move(problem);
    return false;
}

// Phase 1: the chunks after the first stream header, up to the next LIST. An indx chunk here decides:
// the OpenDML index is used and idx1 is never read. Failure policy: any failed read, seek or skip ends the
// build; an index without entries or whose first frame cannot be located fails it.
bool CDvAviReader::WalkFirstStreamList(IndexWalk& walk)
{
    const int fd = m_fd.Get();
    if (SeekTo(fd, kFirstStreamListChunks, SEEK_SET) == zv::kSeekFailed)
        return false;
    for (;;) {
        if (!ReadExact(fd, m_chunkHeader.data(), m_chunkHeader.size()))
            return Refuse("The file ends inside its first stream list.");
        const std::uint32_t id = zv::LoadLe32(m_chunkHeader.data());
        const std::uint32_t size = zv::LoadLe32(m_chunkHeader.data() + 4);
        if (id == zv::FourCC("LIST"))
            return WalkTopLevel(walk);
        if (id == zv::FourCC("indx")) {
            const std::int64_t position = SeekTo(fd, 0, SEEK_CUR);
            if (position == zv::kSeekFailed || !ReadOpenDmlIndex(walk, position, 0))
                return false;
            const std::string index = "The OpenDML index at byte " + std::to_string(position - 8);
            if (m_frameOffsets.empty())
                return Refuse(index + " lists no frame.");
            if (!CalibrateOffsets(0))
                return Refuse(index + " places its first frame at byte " + std::to_string(m_frameOffsets.front())
                              + ", where no chunk of its stream starts.");
            // The first frame's chunk header must be readable where the index says.
            if (SeekTo(fd, AddWrapping(m_frameOffsets.front(), -8), SEEK_SET) == zv::kSeekFailed
                || !ReadExact(fd, m_chunkHeader.data(), m_chunkHeader.size()))
                return Refuse(index + " places its first frame past the end of the file.");
            return true;
        }
        if (!SkipChunk(walk, size))
            return false;
    }
}

// Phase 2: the top level of the RIFF form, from the first byte after the hdrl list to idx1. Failure
// policy: reaching the end of the file, a failed read or skip, or an idx1 that cannot be calibrated fails.
bool CDvAviReader::WalkTopLevel(IndexWalk& walk)
{
    const int fd = m_fd.Get();
    const std::int64_t afterHdrl = kHdrlDataStart + zv::LoadLe32(m_header.data() + kHdrlSizeOffset);
    if (SeekTo(fd, afterHdrl, SEEK_SET) == zv::kSeekFailed)
        return false;
    for (;;) {
        if (!ReadExact(fd, m_chunkHeader.data(), m_chunkHeader.size()))
            return Refuse("The file has neither an OpenDML index nor an idx1 chunk.");   // or a read failed
        const std::uint32_t id = zv::LoadLe32(m_chunkHeader.data());
        const std::uint32_t size = zv::LoadLe32(m_chunkHeader.data() + 4);
        if (id == zv::FourCC("idx1")) {
            const std::int64_t chunk = SeekTo(fd, 0, SEEK_CUR) - 8;
            const std::string index = "The idx1 chunk at byte " + std::to_string(chunk);
            if (!ReadLegacyIndex(walk))
                return m_indexProblem.empty() ? Refuse(index + " claims " + std::to_string(size)
                                                       + " bytes; the file ends at byte "
                                                       + std::to_string(walk.fileSize) + ".")
                                              : false;
            if (m_frameOffsets.empty())
                return Refuse(index + " lists no frame of the video stream.");
            if (CalibrateOffsets(0) || CalibrateOffsets(m_nMoviListPosition))
                return true;
            return Refuse(index + " places its first frame at offset " + std::to_string(m_frameOffsets.front() - 8)
                          + ", where no chunk of its stream starts, from the file's start or the movi list's.");
        }
        std::int64_t distance = size;
        if (id == zv::FourCC("LIST")) {
            std::uint8_t listType[4];
            if (!ReadExact(fd, listType, sizeof listType))
                return false;
            if (zv::HasFourCC(listType, "movi")) {
                const std::int64_t position = SeekTo(fd, 0, SEEK_CUR);
                if (position == zv::kSeekFailed)
                    return false;
                m_nMoviListPosition = position - 12;
            }
            distance -= 4;   // the list type was counted by the size; below 4 this steps back, never loops
        }
        if (!SkipChunk(walk, distance))
            return false;
    }
}

// Moves past a chunk's data. Failure policy: a chunk that claims more than the rest of the file cannot
// lead anywhere useful and fails at once rather than seeking into nothing.
bool CDvAviReader::SkipChunk(const IndexWalk& walk, std::int64_t distance)
{
    const int fd = m_fd.Get();
    const std::int64_t position = SeekTo(fd, 0, SEEK_CUR);
    if (position == zv::kSeekFailed)
        return false;
    if (distance > walk.fileSize - position) {
        // The chunk header is still in the scratch; a list's type follows it.
        const bool list = zv::LoadLe32(m_chunkHeader.data()) == zv::FourCC("LIST");
        const std::string id(reinterpret_cast<const char*>(m_chunkHeader.data()), 4);
        return Refuse("The " + id + " chunk at byte " + std::to_string(position - (list ? 12 : 8)) + " claims "
                      + std::to_string(zv::LoadLe32(m_chunkHeader.data() + 4)) + " bytes; the file ends at byte "
                      + std::to_string(walk.fileSize) + ".");
    }
    return SeekTo(fd, distance, SEEK_CUR) != zv::kSeekFailed;
}

// One OpenDML index at position (just after its chunk header). Failure policy: a read or seek failure,
// a count larger than the rest of the file, a chunk already read, or a super index nested deeper than
// kMaxSuperIndexLevels fails the whole; an unknown index type adds nothing and succeeds.
bool CDvAviReader::ReadOpenDmlIndex(IndexWalk& walk, std::int64_t position, int enclosingSuperIndexes)
{
    if (!walk.visited.insert(position).second)
        return Refuse("The OpenDML index at byte " + std::to_string(position - 8) + " is reached a second time.");
    const int fd = m_fd.Get();
    if (!ReadExact(fd, m_indexHeader.data(), m_indexHeader.size()))
        return false;
    const std::uint8_t type = m_indexHeader[3];
    const std::uint32_t count = zv::LoadLe32(m_indexHeader.data() + 4);
    if (m_nStreamChunkId == 0)
        m_nStreamChunkId = zv::LoadLe32(m_indexHeader.data() + 8);
    const std::int64_t entriesStart = position + kIndexHeaderBytes;

    if (type == kSuperIndex) {
        if (enclosingSuperIndexes >= kMaxSuperIndexLevels)
            return Refuse("The OpenDML index at byte " + std::to_string(position - 8) + " lies "
                          + std::to_string(enclosingSuperIndexes + 1) + " indexes of indexes deep; two at most are read.");
        return ReadIndexEntries(walk, entriesStart, count, kSuperEntryBytes, [&](const std::uint8_t* entry) {
            const auto chunk = static_cast<std::int64_t>(zv::LoadLe64(entry));
            if (chunk < 0 || chunk > walk.fileSize - (8 + kIndexHeaderBytes))
                return Refuse("The OpenDML index at byte " + std::to_string(position - 8) + " points at byte "
                              + std::to_string(chunk) + ", where no index fits in the file.");
            const std::int64_t nested = chunk + 8;   // skip the ix## chunk header
            return SeekTo(fd, nested, SEEK_SET) != zv::kSeekFailed
                && ReadOpenDmlIndex(walk, nested, enclosingSuperIndexes + 1);
        });
    }
    if (type == kStandardIndex) {
        const auto base = static_cast<std::int64_t>(zv::LoadLe64(m_indexHeader.data() + 12));
        // Room for the frames only once the file is known to hold all their entries.
        if (!EntriesFit(walk.fileSize, entriesStart, count, kStandardEntryBytes))
            return Refuse("The OpenDML index at byte " + std::to_string(position - 8) + " claims "
                          + std::to_string(count) + " entries; the file ends at byte " + std::to_string(walk.fileSize)
                          + ".");
        return ReserveFrameOffsets(walk, count) && ReadStandardEntries(walk, entriesStart, count, base);
    }
    return true;
}

// The count entries of a standard index from position, whose room is reserved: the claims check's copy of
// them when it kept one, else one read of them all.
bool CDvAviReader::ReadStandardEntries(IndexWalk& walk, std::int64_t position, std::uint32_t count, std::int64_t base)
{
    std::vector<std::uint8_t> entries;
    const auto kept = walk.checked.entries.find(position);
    if (kept != walk.checked.entries.end() && kept->second.size() == std::size_t{count} * kStandardEntryBytes) {
        entries = std::move(kept->second);
        walk.checked.entries.erase(kept);
    } else {
        entries.resize(std::size_t{count} * kStandardEntryBytes);
        if (!ReadExactAt(m_fd.Get(), entries.data(), entries.size(), position))
            return false;
    }
    for (std::size_t at = 0; at < entries.size(); at += kStandardEntryBytes)
        m_frameOffsets.push_back(AddWrapping(base, zv::LoadLe32(entries.data() + at)));
    return true;
}

// Hands count entries of entryBytes each to visit, in order, after checking they all fit in the rest of the
// file. They are read a block at a time at their own positions (visit may move the file position), so the
// memory an index costs follows the entries kept, never the count or size a file claims. False as soon as a
// read fails or visit returns false.
bool CDvAviReader::ReadIndexEntries(const IndexWalk& walk, std::int64_t position, std::uint64_t count,
                                    std::size_t entryBytes, const std::function<bool(const std::uint8_t*)>& visit)
{
    if (!EntriesFit(walk.fileSize, position, count, entryBytes))
        return false;
    std::vector<std::uint8_t> block;
    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t entries = std::min<std::uint64_t>(count - done, kEntriesPerRead);
        block.resize(static_cast<std::size_t>(entries * entryBytes));
        const auto at = static_cast<std::int64_t>(static_cast<std::uint64_t>(position) + done * entryBytes);
        if (!ReadExactAt(m_fd.Get(), block.data(), block.size(), at))
            return false;
        for (std::size_t offset = 0; offset < block.size(); offset += entryBytes) {
            if (!visit(block.data() + offset))
                return false;
        }
        done += entries;
    }
    return true;
}

// The idx1 chunk whose header is in the chunk header scratch. Failure policy: a read failure or a size
// larger than the rest of the file fails; entries of other streams and trailing bytes are skipped.
bool CDvAviReader::ReadLegacyIndex(const IndexWalk& walk)
{
    const std::uint32_t size = zv::LoadLe32(m_chunkHeader.data() + 4);
    const std::int64_t position = SeekTo(m_fd.Get(), 0, SEEK_CUR);
    // The whole chunk, trailing bytes included, must be in the file.
    if (position == zv::kSeekFailed || position > walk.fileSize || size > walk.fileSize - position)
        return false;
    return ReadIndexEntries(walk, position, size / kLegacyEntryBytes, kLegacyEntryBytes, [&](const std::uint8_t* entry) {
        // Stream 0 is the video stream; its id ("00dc", "00db", ...) is learned from its first entry.
        if (m_nStreamChunkId == 0 && entry[0] == '0' && entry[1] == '0')
            m_nStreamChunkId = zv::LoadLe32(entry);
        if (m_nStreamChunkId == 0 || zv::LoadLe32(entry) != m_nStreamChunkId)
            return true;
        if (!ReserveFrameOffsets(walk, 1))
            return false;
        const std::uint32_t offset = zv::LoadLe32(entry + 8);
        if (offset > 0xFFFFFFFFu - 8u)   // the data would start past 4 GiB, where no 32-bit offset reaches
            return Refuse("An idx1 entry places its chunk at offset " + std::to_string(offset) + ".");
        m_frameOffsets.push_back(static_cast<std::int64_t>(offset) + 8);
        return true;
    });
}

// Writers count index offsets from different bases. Looks for the stream's chunk id in the seven words
// around where the first entry's chunk header should be, and shifts every entry by what that reveals.
// Failure policy: an unreadable probe or no match leaves the entries unchanged and returns false.
bool CDvAviReader::CalibrateOffsets(std::int64_t base)
{
    const int fd = m_fd.Get();
    const std::int64_t probe = AddWrapping(AddWrapping(m_frameOffsets.front(), base), -8);
    std::uint8_t words[kCalibrationWords * 4];
    if (SeekTo(fd, probe, SEEK_SET) == zv::kSeekFailed || !ReadExact(fd, words, sizeof words))
        return false;
    for (std::size_t k = 0; k < kCalibrationWords; ++k) {
        if (zv::LoadLe32(words + 4 * k) != m_nStreamChunkId)
            continue;
        const std::int64_t shift = AddWrapping(base, static_cast<std::int64_t>(4 * k));
        if (shift == 0)
            return true;   // (the usual case: nothing to move through a long index)
        for (std::int64_t& offset : m_frameOffsets)
            offset = AddWrapping(offset, shift);
        return true;
    }
    return false;
}

// Room is made by the frames the file can hold, never by the count an index claims.
bool CDvAviReader::ReserveFrameOffsets(const IndexWalk& walk, std::size_t extra)
{
    const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(kMaxFrames, walk.maxFrames));
    if (extra > limit - std::min(limit, m_frameOffsets.size()))
        return Refuse("The index lists more than " + std::to_string(limit) + " frames; a file of "
                      + std::to_string(walk.fileSize) + " bytes holds no more.");
    zv::GrowInSteps(m_frameOffsets, extra, kFrameOffsetStep);
    return true;
}
