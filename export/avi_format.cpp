#include "export/avi_format.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/index_claims.h"

namespace zv {
namespace {

constexpr std::int64_t kHeaderList = 12;                 // LIST hdrl follows the RIFF header
constexpr std::uint32_t kMaxFormatBytes = 64 * 1024;
constexpr int kMaxStreams = 100;                          // chunk ids hold the stream number in two digits

struct ChunkHeader {
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    std::uint32_t type = 0;   // a list's type; 0 when the chunk is no list or its type is past the end
};

bool ReadChunkHeader(int fd, std::int64_t position, std::int64_t end, ChunkHeader& header)
{
    std::uint8_t bytes[12];
    const bool list = position + 12 <= end && ReadExactAt(fd, bytes, 12, position);
    if (!list && (position + 8 > end || !ReadExactAt(fd, bytes, 8, position)))
        return false;
    header.id = LoadLe32(bytes);
    header.size = LoadLe32(bytes + 4);
    const bool isList = header.id == FourCC("LIST") || header.id == FourCC("RIFF");
    header.type = list && isList ? LoadLe32(bytes + 8) : 0;
    return true;
}

std::int64_t PaddedEnd(std::int64_t position, std::uint32_t size)
{
    return position + 8 + static_cast<std::int64_t>(size) + (size & 1u);
}

// strh and strf of the stream list whose data runs from begin to end.
bool ReadStreamList(int fd, std::int64_t begin, std::int64_t end, AviStreamFormat& stream, std::string& problem)
{
    bool header = false, format = false;
    ChunkHeader chunk;
    for (std::int64_t at = begin; ReadChunkHeader(fd, at, end, chunk); at = PaddedEnd(at, chunk.size)) {
        const std::int64_t data = at + 8;
        if (data + chunk.size > end) {
            problem = "A stream list chunk at byte " + std::to_string(at) + " runs out of its list.";
            return false;
        }
        if (chunk.id == FourCC("strh") && chunk.size >= kAviHeaderBytes) {
            header = ReadExactAt(fd, stream.header.data(), kAviHeaderBytes, data);
        } else if (chunk.id == FourCC("strf")) {
            if (chunk.size > kMaxFormatBytes) {
                problem = "The stream format at byte " + std::to_string(at) + " claims " + std::to_string(chunk.size)
                          + " bytes; 65536 at most are taken.";
                return false;
            }
            stream.format.resize(chunk.size);
            format = chunk.size == 0 || ReadExactAt(fd, stream.format.data(), chunk.size, data);
        }
    }
    if (!header || !format)
        problem = "A stream list at byte " + std::to_string(begin - 12) + " lacks its stream header or format.";
    return header && format;
}

std::uint32_t AudioChunkId(int stream)
{
    const char id[5] = {static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10), 'w', 'b', 0};
    return FourCC(id);
}

}  // namespace

bool ReadAviFormat(int fd, std::uint32_t videoChunkId, AviFormat& format, std::string& problem)
{
    const std::int64_t fileSize = FileSize(fd);
    ChunkHeader hdrl;
    if (!ReadChunkHeader(fd, kHeaderList, fileSize, hdrl) || hdrl.type != FourCC("hdrl")
        || kHeaderList + 8 + static_cast<std::int64_t>(hdrl.size) > fileSize) {
        problem = "The header list is missing or runs past the end of the file.";
        return false;
    }
    const std::int64_t end = kHeaderList + 8 + hdrl.size;
    bool mainHeader = false;
    int streams = 0;
    format.hasAudio = false;
    ChunkHeader chunk;
    for (std::int64_t at = kHeaderList + 12; ReadChunkHeader(fd, at, end, chunk); at = PaddedEnd(at, chunk.size)) {
        if (at + 8 + static_cast<std::int64_t>(chunk.size) > end)
            break;   // a header chunk cut short: the streams read so far are what the list holds
        if (chunk.id == FourCC("avih") && chunk.size >= kAviHeaderBytes)
            mainHeader = ReadExactAt(fd, format.mainHeader.data(), kAviHeaderBytes, at + 8);
        if (chunk.type != FourCC("strl") || streams >= kMaxStreams)
            continue;
        AviStreamFormat stream;
        if (streams == 0 && !ReadStreamList(fd, at + 12, at + 8 + chunk.size, stream, problem))
            return false;
        if (streams == 0) {
            format.video = std::move(stream);
            format.video.chunkId = videoChunkId;
        } else if (!format.hasAudio && ReadStreamList(fd, at + 12, at + 8 + chunk.size, stream, problem)
                   && LoadLe32(stream.header.data() + kStrhType) == FourCC("auds")) {
            format.audio = std::move(stream);
            format.audio.chunkId = AudioChunkId(streams);
            format.hasAudio = true;
        }
        problem.clear();   // a later stream list that is unreadable is simply not taken over
        ++streams;
    }
    if (!mainHeader || streams == 0) {
        problem = mainHeader ? "The header list holds no stream list." : "The header list holds no main header.";
        return false;
    }
    return true;
}

namespace {

// The frame whose chunk is the nearest before a file position, from the frame index.
class FrameLocator {
public:
    explicit FrameLocator(const std::vector<std::int64_t>& offsets)
    {
        m_sorted.reserve(offsets.size());
        for (std::size_t i = 0; i < offsets.size(); ++i)
            m_sorted.emplace_back(offsets[i], static_cast<std::int32_t>(i));
        std::sort(m_sorted.begin(), m_sorted.end());   // a file's index may list its chunks out of order
    }

    std::int32_t FrameBefore(std::int64_t position) const
    {
        const auto after = std::upper_bound(m_sorted.begin(), m_sorted.end(), position,
                                            [](std::int64_t p, const auto& entry) { return p < entry.first; });
        return after == m_sorted.begin() ? -1 : std::prev(after)->second;
    }

private:
    std::vector<std::pair<std::int64_t, std::int32_t>> m_sorted;
};

struct AudioWalk {
    int fd;
    std::uint32_t chunkId;
    std::size_t maxChunks;
    const FrameLocator& frames;
    std::vector<AudioChunk>& chunks;
    std::string& problem;
};

// The chunks of one movi list; lists inside it ('rec ') are entered, other chunks stepped over.
bool WalkMovi(AudioWalk& walk, std::int64_t begin, std::int64_t end)
{
    ChunkHeader chunk;
    for (std::int64_t at = begin; ReadChunkHeader(walk.fd, at, end, chunk);) {
        if (chunk.id == FourCC("LIST")) {
            at += 12;
            continue;
        }
        if (chunk.id == walk.chunkId) {
            if (chunk.size > kMaxOtherChunkBytes || walk.chunks.size() >= walk.maxChunks) {
                walk.problem = "The audio chunk at byte " + std::to_string(at)
                               + (chunk.size > kMaxOtherChunkBytes ? " claims " + std::to_string(chunk.size) + " bytes."
                                                                   : " is one more than the file's frames can carry.");
                return false;
            }
            walk.chunks.push_back({at + 8, chunk.size, walk.frames.FrameBefore(at)});
        }
        at = PaddedEnd(at, chunk.size);
    }
    return true;
}

}  // namespace

bool FindAudioChunks(int fd, std::uint32_t audioChunkId, const std::vector<std::int64_t>& frameOffsets,
                     std::size_t maxChunks, std::vector<AudioChunk>& chunks, std::string& problem)
{
    const std::int64_t fileSize = FileSize(fd);
    const FrameLocator frames(frameOffsets);
    AudioWalk walk{fd, audioChunkId, maxChunks, frames, chunks, problem};
    chunks.clear();
    ChunkHeader form;
    for (std::int64_t riff = 0; ReadChunkHeader(fd, riff, fileSize, form) && form.id == FourCC("RIFF");
         riff = PaddedEnd(riff, form.size)) {
        const std::int64_t formEnd = std::min(riff + 8 + static_cast<std::int64_t>(form.size), fileSize);
        ChunkHeader chunk;
        for (std::int64_t at = riff + 12; ReadChunkHeader(fd, at, formEnd, chunk); at = PaddedEnd(at, chunk.size)) {
            if (chunk.type == FourCC("movi")
                && !WalkMovi(walk, at + 12, std::min(at + 8 + static_cast<std::int64_t>(chunk.size), formEnd)))
                return false;
        }
    }
    return true;
}

}  // namespace zv
