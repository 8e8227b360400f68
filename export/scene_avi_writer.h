#pragma once
// One scene as an AVI file of the input's layout: the input's headers with this scene's counts, lengths and
// buffer sizes, the chunks in the input's order, and the index capture tools write: idx1 while the file
// stays below 1 GiB; beyond that OpenDML (a super index per stream, a standard index per RIFF form, further
// 'AVIX' forms of at most 1 GiB each, and idx1 for the first form). Memory follows one form's index
// entries, never the file's size.

#include <cstdint>
#include <vector>

#include "export/avi_format.h"
#include "export/temporary_output.h"

namespace zv {

inline constexpr std::uint64_t kRiffFormLimit = std::uint64_t{1} << 30;

// What a scene holds, known before it is written.
struct SceneTotals {
    std::uint32_t frames = 0;
    std::uint32_t audioChunks = 0;
    std::uint64_t audioBytes = 0;
    std::uint64_t chunkBytes = 0;   // every chunk with its header and pad byte
    std::uint32_t largestFrame = 0;
    std::uint32_t largestAudio = 0;
};

class CSceneAviWriter {
public:
    CSceneAviWriter(CTemporaryOutput& out, const AviFormat& format) : m_out(out), m_format(format) {}

    // The size the file will have, exactly with idx1 alone, else an upper bound with OpenDML.
    static std::uint64_t PlannedBytes(const AviFormat& format, const SceneTotals& totals);

    // Chooses the index and writes the headers. False with errno set.
    bool Begin(const SceneTotals& totals);
    // Writes the header of the next chunk of the video (or audio) stream and returns room for its size bytes
    // of data, to be filled before the next call; nullptr with errno set on a failed write.
    std::uint8_t* AddChunk(bool audio, std::uint32_t size);
    // The next chunk, header and data copied from `source` at `header`, where they are already as this
    // writer would write them (the stream's chunk id, `size`, and an even size: no pad byte). False with
    // errno set, or with the output's SourceFailed().
    bool CopyChunk(bool audio, std::uint32_t size, int source, std::int64_t header);
    // Writes the indexes and fills in what only the end knows. False with errno set.
    bool Finish();

    bool UsesOpenDml() const { return m_openDml; }

private:
    struct IndexEntry {
        std::uint32_t offset;   // data position minus the form's movi list position
        std::uint32_t size;
    };
    struct LegacyEntry {
        std::uint32_t id;
        std::uint32_t offset;   // chunk header position minus the 'movi' type's position
        std::uint32_t size;
    };
    struct SuperEntry {
        std::int64_t offset;
        std::uint32_t size;
        std::uint32_t duration;
    };
    struct Stream {
        const AviStreamFormat* format = nullptr;
        std::int64_t superIndex = -1;
        std::vector<IndexEntry> form;
        std::uint64_t formBytes = 0;
        std::vector<SuperEntry> supers;
    };

    std::int64_t PlaceChunk(bool audio, std::uint32_t size);
    void BeginForm();
    void EndForm();
    void WriteStreamList(Stream& stream, std::uint32_t length, std::uint32_t largest);
    void WriteStandardIndex(Stream& stream);
    std::uint64_t IndexReserve() const;
    std::uint32_t Duration(const Stream& stream, std::size_t chunks, std::uint64_t bytes) const;
    std::int64_t BeginChunk(const char* id);
    std::int64_t BeginList(const char* id, const char* type);
    void EndChunk(std::int64_t header);
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);
    void WriteU64(std::uint64_t v);

    CTemporaryOutput& m_out;
    const AviFormat& m_format;
    bool m_ok = true;
    bool m_openDml = false;
    std::uint32_t m_capacity = 0;   // super index entries reserved per stream
    Stream m_video;
    Stream m_audio;
    std::vector<LegacyEntry> m_legacy;
    std::int64_t m_riff = 0;
    std::int64_t m_movi = 0;
    int m_forms = 0;
    std::uint32_t m_framesInFirstForm = 0;
};

}  // namespace zv
