#include "avi/movi_claims.h"

#include "avi/forward_window.h"
#include "avi/fourcc.h"
#include "avi/index_claims.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kPageBytes = 4096;

std::string Bytes(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

MoviVerdict Refused(std::int64_t chunk, const std::string& what)
{
    return {chunk, "The " + what};
}

// The verdict on one stream's chunk of size bytes at position; firstFrame when it is the first of stream 00.
MoviVerdict StreamChunkVerdict(const MoviRules& rules, std::int64_t position, bool video, bool firstFrame,
                               std::uint32_t size)
{
    const std::string at = " at byte " + std::to_string(position);
    const std::uint32_t limit = video ? kMaxFrameChunkBytes : kMaxOtherChunkBytes;
    if (rules.everyChunk && size > limit)
        return Refused(position, std::string(video ? "frame" : "stream") + " chunk" + at + " holds " + Bytes(size)
                                     + "; no DV file has one over " + std::to_string(limit) + ".");
    if (rules.interleaved && firstFrame && size < kSmallestDvFrameBytes)
        return Refused(position, "first frame chunk" + at + " holds " + Bytes(size) + "; the first frame of a type-1 "
                                     "stream must be a whole DV frame of 120000 or 144000 bytes.");
    return {};
}

}  // namespace

MoviVerdict CheckMoviList(int fd, std::int64_t fileSize, std::int64_t moviList, const MoviRules& rules)
{
    if (!rules.everyChunk && !rules.interleaved)
        return {};
    CForwardWindow window(fd, kPageBytes);
    const std::uint8_t* list = window.At(moviList, 12);
    if (list == nullptr)
        return {};
    const std::int64_t end = std::min(moviList + 8 + static_cast<std::int64_t>(zv::LoadLe32(list + 4)), fileSize);
    bool frameSeen = false;
    std::uint64_t chunks = 0;
    for (std::int64_t position = moviList + 12; position < end;) {
        const std::uint8_t* chunk = window.At(position, 8);
        if (chunk == nullptr)
            return {};
        const std::uint32_t size = zv::LoadLe32(chunk + 4);
        if (++chunks > rules.maxChunks && !rules.everyChunk)
            return {};   // no frame among as many chunks as the file may hold: nothing to judge
        if (chunks > rules.maxChunks)
            return Refused(moviList, "movi list at byte " + std::to_string(moviList) + " holds more than "
                                         + std::to_string(rules.maxChunks) + " chunks; a file of "
                                         + std::to_string(fileSize) + " bytes needs at most that many.");
        if (std::isdigit(chunk[0]) && std::isdigit(chunk[1])) {
            const bool video = chunk[0] == '0' && chunk[1] == '0';
            MoviVerdict verdict = StreamChunkVerdict(rules, position, video, video && !frameSeen, size);
            if (verdict.chunk >= 0)
                return verdict;
            frameSeen = frameSeen || video;
            if (frameSeen && !rules.everyChunk)
                return {};
        }
        // A "rec " list groups the chunks of one moment: its chunks are walked as the list's own.
        position += zv::HasFourCC(chunk, "LIST") ? 12 : 8 + static_cast<std::int64_t>(size) + (size & 1u);
    }
    return {};
}
