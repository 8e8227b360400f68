#include "avi/index_claims.h"

#include "avi/file_io.h"
#include "avi/forward_window.h"
#include "avi/fourcc.h"
#include "avi/movi_claims.h"
#include "avi/read_hints.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

constexpr std::int64_t kHeaderList = 12;          // the LIST hdrl chunk header follows the RIFF header
constexpr std::uint64_t kMinEntryBytes = 8;       // a standard index entry, the smallest any index has
constexpr std::size_t kWindowBytes = 64 * 1024;   // also the most index entries read at once
constexpr std::uint8_t kStandardIndexType = 1;    // bIndexType of an index of chunks
constexpr std::uint64_t kMaxEntriesPerFrame = 16;   // idx1 entries of all streams, per frame listing
constexpr std::uint64_t kListingsWhateverTheSize = 65536;   // 512 KiB of frame index at most
// Far beyond a DV picture's 720, as far as files with a careless width still play.
constexpr std::int32_t kMaxPictureWidth = 65536;
// A standard index of a 2 GiB form of the smallest DV frames: 17,900 entries of 8 bytes. A larger size in a
// super index entry is damage, and fetching more than this ahead would only fill the cache.
constexpr std::int64_t kLargestHintedIndex = 256 * 1024;

// How often in a row the same chunk has been listed.
struct RepeatRun {
    std::uint64_t chunk = ~0ull;
    std::uint32_t length = 0;
};

struct Walk {
    int fd;
    CheckedIndexes* kept;
    std::int64_t fileSize;
    IndexClaimsVerdict verdict;
    std::uint64_t listingLimit = 0;
    std::uint64_t videoListings = 0;   // video entries of the standard indexes read so far
    int streamList = -1;               // which stream list of the header list is being walked
    RepeatRun run;
    bool superIndex = false;           // the splitter has an OpenDML index to go by
    bool legacyEntries = false;        // ... or an idx1 with entries
    bool interleaved = false;          // the video stream is a type-1 stream
    bool bitmapFormat = false;         // ... or a type-2 one, whose format is a bitmap header
};

std::int64_t PaddedEnd(std::int64_t position, std::uint32_t size)
{
    return position + 8 + static_cast<std::int64_t>(size) + (size & 1u);
}

bool Refuse(Walk& walk, std::int64_t chunk, std::string detail)
{
    walk.verdict.fits = false;
    walk.verdict.chunk = chunk;
    walk.verdict.detail = std::move(detail);
    return false;
}

std::string At(const char* index, std::int64_t chunk)
{
    return std::string("The ") + index + " at byte " + std::to_string(chunk);
}

// The refusals are kept out of line: the checks run once per index entry, the messages at most once.
[[gnu::noinline]] bool RefuseRepeats(Walk& walk, const char* what, std::int64_t entry, std::uint64_t chunk)
{
    return Refuse(walk, entry, At(what, entry) + " lists the chunk at offset " + std::to_string(chunk) + " more than "
                                   + std::to_string(kMaxRepeatedListings) + " times in a row.");
}

[[gnu::noinline]] bool RefuseChunkSize(Walk& walk, const char* what, std::int64_t entry, std::uint32_t size, bool video)
{
    const std::uint32_t limit = video ? kMaxFrameChunkBytes : kMaxOtherChunkBytes;
    return Refuse(walk, entry, At(what, entry) + " lists a " + (video ? "frame" : "stream") + " chunk of "
                                   + std::to_string(size) + " bytes; no DV file has one over " + std::to_string(limit)
                                   + ".");
}

// One more listing of a video chunk, at the entry of index (named by what) at entry.
bool ListingFits(Walk& walk, const char* what, std::int64_t entry, std::uint64_t chunk)
{
    walk.run.length = walk.run.chunk == chunk ? walk.run.length + 1 : 1;
    walk.run.chunk = chunk;
    return walk.run.length <= kMaxRepeatedListings || RefuseRepeats(walk, what, entry, chunk);
}

bool ChunkSizeFits(Walk& walk, const char* what, std::int64_t entry, std::uint32_t size, bool video)
{
    return size <= (video ? kMaxFrameChunkBytes : kMaxOtherChunkBytes) || RefuseChunkSize(walk, what, entry, size, video);
}

bool ListingCountFits(Walk& walk, const char* what, std::int64_t chunk, std::uint64_t listings)
{
    if (listings <= walk.listingLimit)
        return true;
    return Refuse(walk, chunk, At(what, chunk) + " brings the frames listed to " + std::to_string(listings)
                                   + "; a file of " + std::to_string(walk.fileSize) + " bytes holds at most "
                                   + std::to_string(walk.listingLimit) + ".");
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
    walk.verdict.entries = entries;
    walk.verdict.bytes = bytes;
    return Refuse(walk, chunk, At("OpenDML index", chunk) + " claims " + std::to_string(entries)
                                   + " entries; its chunk holds " + std::to_string(bytes) + " bytes.");
}

// Calls visit(entry, position) for count entries of entryBytes from start, 64 KiB at a time. True when
// every visit did (an unreadable block ends the walk quietly: the readers meet that damage themselves).
template <class Visit>
bool EachEntry(const Walk& walk, std::int64_t start, std::uint64_t count, std::uint64_t entryBytes, Visit visit)
{
    const std::uint64_t perRead = std::max<std::uint64_t>(1, kWindowBytes / entryBytes);
    std::vector<std::uint8_t> block;
    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t n = std::min<std::uint64_t>(count - done, perRead);
        block.resize(static_cast<std::size_t>(n * entryBytes));
        const std::int64_t at = start + static_cast<std::int64_t>(done * entryBytes);
        if (!ReadExactAt(walk.fd, block.data(), block.size(), at))
            return true;
        for (std::size_t offset = 0; offset < block.size(); offset += entryBytes) {
            if (!visit(block.data() + offset, at + static_cast<std::int64_t>(offset)))
                return false;
        }
        done += n;
    }
    return true;
}

// The video stream's entries of a standard index whose chunk header is at chunk, read in one go (the listing
// limit bounds their count already), checked in a tight loop and kept for the frame index.
bool KeptVideoEntriesFit(Walk& walk, std::int64_t chunk, std::uint32_t entries, std::uint64_t base)
{
    const std::int64_t start = chunk + 8 + kIndexHeaderBytes;
    std::vector<std::uint8_t> bytes(std::size_t{entries} * kMinEntryBytes);
    if (!ReadExactAt(walk.fd, bytes.data(), bytes.size(), start))
        return true;   // (as EachEntry: the readers meet the damage themselves)
    for (std::size_t at = 0; at < bytes.size(); at += kMinEntryBytes) {
        const std::uint8_t* entry = bytes.data() + at;
        const std::uint32_t size = zv::LoadLe32(entry + 4) & 0x7FFFFFFFu;
        if (!ChunkSizeFits(walk, "OpenDML index", chunk, size, true)
            || !ListingFits(walk, "OpenDML index", chunk, base + zv::LoadLe32(entry)))
            return false;
    }
    walk.kept->entries[start] = std::move(bytes);
    return true;
}

// The entries of a standard index (OpenDML) whose chunk header is at chunk: offsets from its base and
// sizes whose top bit marks frames that are not key frames.
bool StandardEntriesFit(Walk& walk, std::int64_t chunk, const std::uint8_t* indexHeader)
{
    const std::uint64_t entryBytes = std::max<std::uint64_t>(kMinEntryBytes, zv::LoadLe16(indexHeader) * 4ull);
    const std::uint32_t entries = zv::LoadLe32(indexHeader + 4);
    const std::uint64_t base = zv::LoadLe64(indexHeader + 12);
    const bool video = walk.streamList == 0;
    if (video && !ListingCountFits(walk, "OpenDML index", chunk, walk.videoListings + entries))
        return false;
    if (video)
        walk.videoListings += entries;
    if (video && walk.kept != nullptr)
        walk.kept->videoEntries = walk.videoListings;
    if (video && walk.kept != nullptr && entryBytes == kMinEntryBytes)
        return KeptVideoEntriesFit(walk, chunk, entries, base);
    return EachEntry(walk, chunk + 8 + kIndexHeaderBytes, entries, entryBytes, [&](const std::uint8_t* entry, std::int64_t) {
        const std::uint32_t size = zv::LoadLe32(entry + 4) & 0x7FFFFFFFu;
        return ChunkSizeFits(walk, "OpenDML index", chunk, size, video)
            && (!video || ListingFits(walk, "OpenDML index", chunk, base + zv::LoadLe32(entry)));
    });
}

// "ix##", or "##ix" as some writers have it: the chunks the splitter reads as standard indexes.
bool IsStandardIndexId(const std::uint8_t* id)
{
    return (id[0] == 'i' && id[1] == 'x') || (id[2] == 'i' && id[3] == 'x');
}

// The standard indexes of a large file lie one per RIFF form, a gigabyte apart: read one after another, each
// waits for its own seek. Asking for all of them first (each entry's position and chunk size, bounded by the
// file and by what a standard index of a full form can hold) lets the disk fetch them together; the walk
// that follows, and the frame index after it, then read them from the cache.
void HintPointedIndexes(const Walk& walk, CReadHints& hints, std::int64_t entriesStart, std::uint32_t entries,
                        std::uint64_t entryBytes)
{
    EachEntry(walk, entriesStart, entries, entryBytes, [&](const std::uint8_t* entry, std::int64_t) {
        const std::uint64_t chunk = zv::LoadLe64(entry);
        if (chunk < static_cast<std::uint64_t>(walk.fileSize)) {
            const std::int64_t rest = walk.fileSize - static_cast<std::int64_t>(chunk);
            // An entry cut to 8 bytes (wLongsPerEntry of 2) has no size: the chunk's header is all we know.
            const std::int64_t claimed = entryBytes >= 12 ? zv::LoadLe32(entry + 8) : 0;
            const std::int64_t size = std::min<std::int64_t>(claimed, kLargestHintedIndex);
            hints.Add(static_cast<std::int64_t>(chunk), std::min(rest, std::max<std::int64_t>(size, 8 + kIndexHeaderBytes)));
        }
        return true;
    });
}

// The index chunks a super index's entries point at: the first 8 bytes of each entry of entryBytes.
bool PointedIndexesFit(Walk& walk, std::int64_t entriesStart, std::uint32_t entries, std::uint64_t entryBytes)
{
    return EachEntry(walk, entriesStart, entries, entryBytes, [&](const std::uint8_t* entry, std::int64_t) {
        const std::uint64_t chunk = zv::LoadLe64(entry);
        std::uint8_t header[8 + kIndexHeaderBytes];
        if (chunk > static_cast<std::uint64_t>(walk.fileSize)
            || !ReadExactAt(walk.fd, header, sizeof header, static_cast<std::int64_t>(chunk))
            || !IsStandardIndexId(header))
            return true;   // nothing there the splitter would read as an index
        const auto at = static_cast<std::int64_t>(chunk);
        if (!ClaimFits(walk, at, zv::LoadLe32(header + 4), header + 8))
            return false;
        // A super index one level down is the frame index's business (it reads two levels, no more).
        return header[8 + 3] != kStandardIndexType || StandardEntriesFit(walk, at, header + 8);
    });
}

// Every stream's super index asks for the indexes it points at before any is read, so that the disk fetches
// the sound's with the pictures' rather than after them. The header list is in the window already.
void HintEveryPointedIndex(const Walk& walk, CReadHints& hints, CForwardWindow& window, std::int64_t listEnd)
{
    for (std::int64_t position = kHeaderList + 12; position < listEnd;) {
        const std::uint8_t* chunk = window.At(position, 12);
        if (chunk == nullptr)
            return;
        if (zv::HasFourCC(chunk, "LIST") && zv::HasFourCC(chunk + 8, "strl")) {
            position += 12;   // into the stream list
            continue;
        }
        const std::uint32_t size = zv::LoadLe32(chunk + 4);
        std::uint8_t header[kIndexHeaderBytes];
        // Only a super index whose entries fit its chunk and the file (ClaimFits, below, refuses the others).
        if (zv::HasFourCC(chunk, "indx") && ReadExactAt(walk.fd, header, sizeof header, position + 8)) {
            const std::uint64_t entryBytes = std::max<std::uint64_t>(kMinEntryBytes, zv::LoadLe16(header) * 4ull);
            const std::int64_t bytes = std::min<std::int64_t>(size, walk.fileSize - (position + 8)) - kIndexHeaderBytes;
            if (bytes >= 0 && zv::LoadLe32(header + 4) * entryBytes <= static_cast<std::uint64_t>(bytes))
                HintPointedIndexes(walk, hints, position + 8 + kIndexHeaderBytes, zv::LoadLe32(header + 4), entryBytes);
        }
        position = PaddedEnd(position, size);
    }
}

// The idx1 chunk follows the first movi list, a form's length into the file: asked for with the indexes (the
// chunks before it lie in the first window), it comes in the same trip of the disk. Its size is read only
// there; kLargestHintedIndex covers the idx1 of a full 1 GiB form of pictures and sound.
void HintLegacyIndex(const Walk& walk, CReadHints& hints, CForwardWindow& window, std::int64_t position)
{
    while (position + 12 <= static_cast<std::int64_t>(kWindowBytes)) {
        const std::uint8_t* chunk = window.At(position, 12);
        if (chunk == nullptr || !zv::IsChunkId(chunk))
            return;
        const std::int64_t next = PaddedEnd(position, zv::LoadLe32(chunk + 4));
        if (zv::HasFourCC(chunk, "LIST") && zv::HasFourCC(chunk + 8, "movi")) {
            if (next < walk.fileSize)
                hints.Add(next, std::min(kLargestHintedIndex, walk.fileSize - next));
            return;
        }
        position = next;
    }
}

// An indx chunk of a stream list, and the indexes its entries point at. A standard index in its place
// would be read with its entries taken for frames: the offset correction then finds the stream's id
// inside an ix## header and shows a blank frame for the whole file.
bool SuperIndexFits(Walk& walk, std::int64_t chunk, std::uint32_t chunkSize)
{
    std::uint8_t header[kIndexHeaderBytes];
    if (!ReadExactAt(walk.fd, header, sizeof header, chunk + 8))
        return true;
    if (!ClaimFits(walk, chunk, chunkSize, header))
        return false;
    if (header[3] == kStandardIndexType)
        return Refuse(walk, chunk, At("OpenDML index", chunk) + " of a stream list is a standard index, not an "
                                                                 "index of indexes.");
    const std::uint64_t entryBytes = std::max<std::uint64_t>(kMinEntryBytes, zv::LoadLe16(header) * 4ull);
    return PointedIndexesFit(walk, chunk + 8 + kIndexHeaderBytes, zv::LoadLe32(header + 4), entryBytes);
}

// The idx1 chunk whose header is at chunk: 16-byte entries of chunk id, flags, 32-bit offset and size.
bool LegacyIndexFits(Walk& walk, std::int64_t chunk, std::uint32_t size)
{
    const std::int64_t start = chunk + 8;
    const std::uint64_t entries = static_cast<std::uint64_t>(std::min<std::int64_t>(size, walk.fileSize - start)) / 16;
    // An idx1 lists each frame's chunks (its picture, its sound in a stream or two, a "rec " list): a few
    // entries a frame. Sixteen for every frame the file may list is more than any writer needs; an index
    // beyond that (gigabytes of zeros over a hole) would only cost the time of reading it.
    const std::uint64_t entryLimit = kMaxEntriesPerFrame * walk.listingLimit;
    if (entries > entryLimit)
        return Refuse(walk, chunk, At("idx1 chunk", chunk) + " holds " + std::to_string(entries) + " entries; a file of "
                                       + std::to_string(walk.fileSize) + " bytes needs at most "
                                       + std::to_string(entryLimit) + ".");
    std::uint64_t videoListings = 0;
    walk.legacyEntries = entries > 0;
    return EachEntry(walk, start, entries, 16, [&](const std::uint8_t* entry, std::int64_t at) {
        if (!std::isdigit(entry[0]) || !std::isdigit(entry[1]))
            return true;   // not a stream's chunk ("rec " lists and the like)
        const bool video = entry[0] == '0' && entry[1] == '0';
        const std::uint32_t offset = zv::LoadLe32(entry + 8);
        if (offset > 0xFFFFFFFFu - 8u)
            return Refuse(walk, at, At("idx1 entry", at) + " places its chunk at offset " + std::to_string(offset)
                                        + ", whose data would start past 4 GiB.");
        if (!ChunkSizeFits(walk, "idx1 entry", at, zv::LoadLe32(entry + 12), video))
            return false;
        if (!video)
            return true;
        return ListingCountFits(walk, "idx1 entry", at, ++videoListings) && ListingFits(walk, "idx1 entry", at, offset);
    });
}

// The top level of the RIFF form: the idx1 chunk, when there is one, then the first movi list (all of it
// when the splitter has no index to go by). The walk ends at the end of the file, not at the form's own
// size, which writers that stopped short leave at 0.
bool TopLevelFits(Walk& walk, CForwardWindow& window)
{
    std::int64_t movi = -1;
    for (std::int64_t position = kHeaderList; position < walk.fileSize;) {
        const std::uint8_t* chunk = window.At(position, 8);
        if (chunk == nullptr || !zv::IsChunkId(chunk))
            break;   // (nothing the splitter takes for an index lies past a hole or garbage)
        const std::uint32_t size = zv::LoadLe32(chunk + 4);
        if (zv::HasFourCC(chunk, "idx1")) {
            if (!LegacyIndexFits(walk, position, size))
                return false;
            break;
        }
        const std::uint8_t* list = zv::HasFourCC(chunk, "LIST") ? window.At(position, 12) : nullptr;
        if (movi < 0 && list != nullptr && zv::HasFourCC(list + 8, "movi"))
            movi = position;
        position = PaddedEnd(position, size);
    }
    const MoviRules rules{!walk.superIndex && !walk.legacyEntries, walk.interleaved,
                          kMaxEntriesPerFrame * walk.listingLimit};
    const MoviVerdict movieVerdict = movi < 0 ? MoviVerdict{} : CheckMoviList(walk.fd, walk.fileSize, movi, rules);
    return movieVerdict.chunk < 0 || Refuse(walk, movieVerdict.chunk, movieVerdict.detail);
}

// The picture width of the video format whose chunk header is at position (a bitmap header: its size,
// then the width). The decoder's output is sized by it: a negative width, or one past kMaxPictureWidth,
// stops the pipeline at its first frame.
bool PictureWidthFits(Walk& walk, std::int64_t position)
{
    std::uint8_t bytes[4];
    if (!ReadExactAt(walk.fd, bytes, sizeof bytes, position + 12))
        return true;
    const auto width = static_cast<std::int32_t>(zv::LoadLe32(bytes));
    if (width >= 0 && width <= kMaxPictureWidth)
        return true;
    return Refuse(walk, position, At("video stream format (strf)", position) + " gives a picture width of "
                                      + std::to_string(width) + "; a DV picture is 720 pixels wide.");
}

// The first two chunks of the video stream's list, which begins at list (chunk at position is the one at
// index `place`, from 0): without its
// stream header and format where they belong, the splitter leaves the stream out and still feeds its
// frames to an output it does not have. (Another stream left out costs only that stream: those files play.)
bool StreamListOrderFits(Walk& walk, std::int64_t list, std::int64_t position, const std::uint8_t* chunk, int place)
{
    if (walk.streamList != 0 || place > 1)
        return true;
    if (place == 0 && zv::HasFourCC(chunk, "strh"))
        walk.interleaved = zv::HasFourCC(chunk + 8, "iavs");
    if (place == 0 && zv::HasFourCC(chunk, "strh"))
        walk.bitmapFormat = zv::HasFourCC(chunk + 8, "vids");
    const char* expected = place == 0 ? "strh" : "strf";
    if (std::equal(expected, expected + 4, chunk))
        return place == 0 || !walk.bitmapFormat || PictureWidthFits(walk, position);
    return Refuse(walk, position, At("video stream list", list) + " has no "
                                      + (place == 0 ? "stream header (strh)" : "stream format (strf)")
                                      + " at byte " + std::to_string(position) + ", where the splitter reads it.");
}

// The header list's stream lists, and the indx chunks in them: one forward walk visits both.
bool HeaderListFits(Walk& walk, CForwardWindow& window, std::int64_t listEnd)
{
    std::int64_t streamListEnd = -1;
    std::int64_t streamList = -1;
    int place = 0;   // of the chunk in its stream list
    for (std::int64_t position = kHeaderList + 12; position < listEnd;) {
        if (position >= streamListEnd)
            streamListEnd = -1;
        const std::uint8_t* chunk = window.At(position, 12);
        if (chunk == nullptr)
            return true;
        const std::uint32_t size = zv::LoadLe32(chunk + 4);
        if (zv::HasFourCC(chunk, "LIST") && zv::HasFourCC(chunk + 8, "strl") && streamListEnd < 0) {
            streamListEnd = PaddedEnd(position, size);
            ++walk.streamList;
            streamList = position;
            place = 0;
            position += 12;
            continue;
        }
        if (streamListEnd >= 0 && !StreamListOrderFits(walk, streamList, position, chunk, place++))
            return false;
        // A stream header or format that runs out of its stream list leaves the splitter a stream without
        // an output that it still feeds (GStreamer then complains on the terminal). (An indx chunk's size
        // is bounded by the file instead, below.)
        const bool streamHeader = zv::HasFourCC(chunk, "strh") || zv::HasFourCC(chunk, "strf");
        if (streamListEnd >= 0 && streamHeader && position + 8 + static_cast<std::int64_t>(size) > streamListEnd)
            return Refuse(walk, position, At((std::string(reinterpret_cast<const char*>(chunk), 4) + " chunk").c_str(), position)
                                              + " claims " + std::to_string(size) + " bytes, past the end of its stream "
                                              + "list at byte " + std::to_string(streamListEnd) + ".");
        if (streamListEnd >= 0 && zv::HasFourCC(chunk, "indx")) {
            walk.superIndex = true;
            if (!SuperIndexFits(walk, position, size))
                return false;
        }
        position = PaddedEnd(position, size);
    }
    return true;
}

}  // namespace

std::uint64_t MaxFrameListings(std::int64_t fileSize)
{
    const std::uint64_t frames = fileSize > 0 ? static_cast<std::uint64_t>(fileSize) / kSmallestDvFrameBytes : 0;
    return 4 * frames + kListingsWhateverTheSize;
}

IndexClaimsVerdict CheckIndexClaims(int fd, CheckedIndexes* kept)
{
    Walk walk{fd, kept, zv::FileSize(fd), {}, 0, 0, -1, {}, false, false, false, false};
    if (walk.fileSize < 0)
        return walk.verdict;
    walk.listingLimit = MaxFrameListings(walk.fileSize);
    CForwardWindow window(fd, kWindowBytes);
    const std::uint8_t* riff = window.At(0, 24);
    if (riff == nullptr || !zv::HasFourCC(riff + 12, "LIST") || !zv::HasFourCC(riff + 20, "hdrl"))
        return walk.verdict;
    const std::int64_t listEnd = std::min(PaddedEnd(kHeaderList, zv::LoadLe32(riff + 16)), walk.fileSize);
    CReadHints hints(fd);
    HintEveryPointedIndex(walk, hints, window, listEnd);
    HintLegacyIndex(walk, hints, window, listEnd);
    hints.Issue();   // before the first index is read
    if (HeaderListFits(walk, window, listEnd))
        TopLevelFits(walk, window);
    return walk.verdict;
}

std::string DescribeIndexClaims(const IndexClaimsVerdict& verdict)
{
    return verdict.detail;
}
