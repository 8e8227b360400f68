#include "export/scene_avi_writer.h"

#include <algorithm>
#include <cerrno>

#include "avi/fourcc.h"

namespace zv {
namespace {

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifMustUseIndex = 0x20;
constexpr std::uint32_t kAviifKeyframe = 0x10;
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;
constexpr std::uint64_t kIndexHeaderBytes = 8 + 24;    // chunk header + OpenDML index header
constexpr std::uint64_t kOpenDmlHeaderBytes = 248;     // dmlh: dwTotalFrames and 61 reserved DWORDs
// avih fields (offsets in its data).
constexpr std::size_t kAvihFlags = 12, kAvihTotalFrames = 16, kAvihInitialFrames = 20, kAvihStreams = 24,
                      kAvihSuggestedBuffer = 28;
constexpr std::int64_t kAvihData = 32;   // RIFF, LIST hdrl and the avih chunk header come first

std::uint64_t StreamListBytes(const AviStreamFormat& stream, std::uint32_t capacity)
{
    const std::uint64_t superIndex = capacity > 0 ? kIndexHeaderBytes + 16ull * capacity : 0;
    return 12 + 8 + kAviHeaderBytes + 8 + Padded(stream.format.size()) + superIndex;
}

std::uint64_t HeaderBytes(const AviFormat& format, std::uint32_t capacity)
{
    std::uint64_t bytes = 12 + 12 + 8 + kAviHeaderBytes + StreamListBytes(format.video, capacity) + 12;
    if (format.hasAudio)
        bytes += StreamListBytes(format.audio, capacity);
    if (capacity > 0)
        bytes += 12 + 8 + kOpenDmlHeaderBytes;
    return bytes;
}

std::uint64_t ChunkCount(const SceneTotals& t) { return std::uint64_t{t.frames} + t.audioChunks; }

std::uint64_t LegacyBytes(const AviFormat& format, const SceneTotals& totals)
{
    return HeaderBytes(format, 0) + totals.chunkBytes + 8 + 16 * ChunkCount(totals);
}

// Every form but the last is filled to within one chunk and its indexes of the limit, so half the limit per
// form is a safe count, with room for the last form.
std::uint32_t SuperIndexCapacity(const SceneTotals& totals)
{
    return static_cast<std::uint32_t>(totals.chunkBytes / (kRiffFormLimit / 2) + 2);
}

}  // namespace

std::uint64_t CSceneAviWriter::PlannedBytes(const AviFormat& format, const SceneTotals& totals)
{
    const std::uint64_t legacy = LegacyBytes(format, totals);
    if (legacy < kRiffFormLimit)
        return legacy;
    const std::uint32_t forms = SuperIndexCapacity(totals);
    const std::uint64_t formOverhead = 24 + 2 * kIndexHeaderBytes;   // RIFF + movi headers, two standard indexes
    return HeaderBytes(format, forms) + totals.chunkBytes + 8 + 16 * ChunkCount(totals) + 8 * ChunkCount(totals)
         + forms * formOverhead;
}

bool CSceneAviWriter::Begin(const SceneTotals& totals)
{
    m_openDml = LegacyBytes(m_format, totals) >= kRiffFormLimit;
    m_capacity = m_openDml ? SuperIndexCapacity(totals) : 0;
    m_video.format = &m_format.video;
    m_audio.format = &m_format.audio;
    // The index entries of one form are all the writer keeps; room for them is made before the first chunk.
    constexpr std::uint64_t kMostReserved = 1u << 20;
    m_legacy.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(ChunkCount(totals), kMostReserved)));
    if (m_openDml) {
        m_video.form.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(totals.frames, kMostReserved)));
        m_audio.form.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(totals.audioChunks, kMostReserved)));
    }

    m_riff = BeginList("RIFF", "AVI ");
    const std::int64_t hdrl = BeginList("LIST", "hdrl");
    std::array<std::uint8_t, kAviHeaderBytes> main = m_format.mainHeader;
    StoreLe32(main.data() + kAvihFlags, (LoadLe32(main.data() + kAvihFlags) | kAvifHasIndex) & ~kAvifMustUseIndex);
    StoreLe32(main.data() + kAvihTotalFrames, totals.frames);   // the first form's frames with OpenDML: see Finish
    StoreLe32(main.data() + kAvihInitialFrames, 0);
    StoreLe32(main.data() + kAvihStreams, m_format.hasAudio ? 2 : 1);
    StoreLe32(main.data() + kAvihSuggestedBuffer,
              totals.largestFrame + 8 + (m_format.hasAudio ? totals.largestAudio + 8 : 0));
    const std::int64_t avih = BeginChunk("avih");
    if (m_ok)
        m_ok = m_out.Write(main.data(), main.size());
    EndChunk(avih);

    WriteStreamList(m_video, totals.frames, totals.largestFrame);
    if (m_format.hasAudio)
        WriteStreamList(m_audio, Duration(m_audio, totals.audioChunks, totals.audioBytes), totals.largestAudio);
    if (m_openDml) {
        const std::int64_t odml = BeginList("LIST", "odml");
        const std::int64_t dmlh = BeginChunk("dmlh");
        WriteU32(totals.frames);
        if (m_ok)
            m_ok = m_out.WriteZeros(kOpenDmlHeaderBytes - 4);
        EndChunk(dmlh);
        EndChunk(odml);
    }
    EndChunk(hdrl);
    BeginForm();
    return m_ok;
}

void CSceneAviWriter::WriteStreamList(Stream& stream, std::uint32_t length, std::uint32_t largest)
{
    const std::int64_t list = BeginList("LIST", "strl");
    std::array<std::uint8_t, kAviHeaderBytes> header = stream.format->header;
    StoreLe32(header.data() + kStrhInitialFrames, 0);
    StoreLe32(header.data() + kStrhStart, 0);
    StoreLe32(header.data() + kStrhLength, length);
    StoreLe32(header.data() + kStrhSuggestedBuffer, largest);
    const std::int64_t strh = BeginChunk("strh");
    if (m_ok)
        m_ok = m_out.Write(header.data(), header.size());
    EndChunk(strh);
    const std::int64_t strf = BeginChunk("strf");
    if (m_ok)
        m_ok = m_out.Write(stream.format->format.data(), stream.format->format.size());
    EndChunk(strf);
    if (m_capacity > 0) {
        // Room for the super index; its entries are filled in when the file is complete.
        stream.superIndex = BeginChunk("indx");
        WriteU16(4);   // wLongsPerEntry
        WriteU16(static_cast<std::uint16_t>(kIndexOfIndexes << 8));   // bIndexSubType 0, bIndexType
        WriteU32(0);   // nEntriesInUse
        WriteU32(stream.format->chunkId);
        if (m_ok)
            m_ok = m_out.WriteZeros(12 + 16 * static_cast<std::size_t>(m_capacity));
        EndChunk(stream.superIndex);
    }
    EndChunk(list);
}

// Video durations count frames; audio durations count samples of the stream's sample size (chunks when
// the stream has none).
std::uint32_t CSceneAviWriter::Duration(const Stream& stream, std::size_t chunks, std::uint64_t bytes) const
{
    if (&stream == &m_video)
        return static_cast<std::uint32_t>(chunks);
    const std::uint32_t sampleSize = LoadLe32(m_format.audio.header.data() + kStrhSampleSize);
    return static_cast<std::uint32_t>(sampleSize > 0 ? bytes / sampleSize : chunks);
}

void CSceneAviWriter::BeginForm()
{
    if (m_forms > 0)
        m_riff = BeginList("RIFF", "AVIX");
    ++m_forms;
    m_movi = BeginList("LIST", "movi");
}

void CSceneAviWriter::EndForm()
{
    if (m_openDml) {
        WriteStandardIndex(m_video);
        WriteStandardIndex(m_audio);
    }
    EndChunk(m_movi);
    if (m_forms == 1) {
        const std::int64_t idx1 = BeginChunk("idx1");
        for (const LegacyEntry& e : m_legacy) {
            WriteU32(e.id);
            WriteU32(kAviifKeyframe);
            WriteU32(e.offset);
            WriteU32(e.size);
        }
        EndChunk(idx1);
        std::vector<LegacyEntry>().swap(m_legacy);
    }
    EndChunk(m_riff);
}

void CSceneAviWriter::WriteStandardIndex(Stream& stream)
{
    if (stream.form.empty())
        return;
    const char ixId[5] = {'i', 'x', static_cast<char>(stream.format->chunkId & 0xFF),
                          static_cast<char>((stream.format->chunkId >> 8) & 0xFF), 0};
    const std::int64_t chunk = BeginChunk(ixId);
    WriteU16(2);   // wLongsPerEntry
    WriteU16(static_cast<std::uint16_t>(kIndexOfChunks << 8));
    WriteU32(static_cast<std::uint32_t>(stream.form.size()));
    WriteU32(stream.format->chunkId);
    WriteU64(static_cast<std::uint64_t>(m_movi));
    WriteU32(0);   // dwReserved3
    for (const IndexEntry& e : stream.form) {
        WriteU32(e.offset);
        WriteU32(e.size);   // bit 31 clear: every DV frame and sound chunk is a key frame
    }
    EndChunk(chunk);
    stream.supers.push_back({chunk, static_cast<std::uint32_t>(kIndexHeaderBytes + 8 * stream.form.size()),
                             Duration(stream, stream.form.size(), stream.formBytes)});
    stream.form.clear();   // the storage stays for the next form
    stream.formBytes = 0;
}

// What the current form still needs for its indexes if it takes one more chunk of each stream.
std::uint64_t CSceneAviWriter::IndexReserve() const
{
    std::uint64_t bytes = 2 * (kIndexHeaderBytes + 8) + 8 * (m_video.form.size() + m_audio.form.size());
    if (m_forms == 1)
        bytes += 8 + 16 * (m_legacy.size() + 2);
    return bytes;
}

// Where the next chunk of `size` bytes goes: a new form first when it would not fit in this one. Its entries
// in the indexes are made here.
std::int64_t CSceneAviWriter::PlaceChunk(bool audio, std::uint32_t size)
{
    Stream& stream = audio ? m_audio : m_video;
    const std::uint64_t chunkBytes = 8 + Padded(size);
    if (m_openDml && !(m_video.form.empty() && m_audio.form.empty())) {
        const auto formBytes = static_cast<std::uint64_t>(m_out.Position() - m_riff);
        if (formBytes + chunkBytes + IndexReserve() > kRiffFormLimit) {
            EndForm();
            BeginForm();
        }
    }
    const std::int64_t header = m_out.Position();
    if (m_openDml) {
        stream.form.push_back({static_cast<std::uint32_t>(header + 8 - m_movi), size});
        stream.formBytes += size;
    }
    if (m_forms == 1) {
        m_legacy.push_back({stream.format->chunkId, static_cast<std::uint32_t>(header - (m_movi + 8)), size});
        if (!audio)
            ++m_framesInFirstForm;
    }
    return header;
}

std::uint8_t* CSceneAviWriter::AddChunk(bool audio, std::uint32_t size)
{
    PlaceChunk(audio, size);
    WriteU32((audio ? m_audio : m_video).format->chunkId);
    WriteU32(size);
    std::uint8_t* room = m_ok ? m_out.Claim(static_cast<std::size_t>(Padded(size))) : nullptr;
    if (room == nullptr) {
        m_ok = false;
        return nullptr;
    }
    if (size % 2 != 0)
        room[size] = 0;
    return room;
}

bool CSceneAviWriter::CopyChunk(bool audio, std::uint32_t size, int source, std::int64_t header)
{
    PlaceChunk(audio, size);
    if (m_ok)
        m_ok = m_out.CopyFrom(source, header, 8 + std::uint64_t{size});
    return m_ok;
}

bool CSceneAviWriter::Finish()
{
    EndForm();
    std::uint8_t field[4];
    if (m_openDml && m_ok) {
        StoreLe32(field, m_framesInFirstForm);
        m_ok = m_out.Patch(kAvihData + kAvihTotalFrames, field, 4);
    }
    for (Stream* stream : {&m_video, &m_audio}) {
        if (stream->superIndex < 0 || !m_ok)
            continue;
        if (stream->supers.size() > m_capacity) {
            errno = EOVERFLOW;   // cannot happen with the capacity planned from the scene's size
            return false;
        }
        StoreLe32(field, static_cast<std::uint32_t>(stream->supers.size()));
        m_ok = m_out.Patch(stream->superIndex + 8 + 4, field, 4);
        std::int64_t at = stream->superIndex + 8 + 24;
        for (const SuperEntry& e : stream->supers) {
            std::uint8_t entry[16];
            StoreLe64(entry, static_cast<std::uint64_t>(e.offset));
            StoreLe32(entry + 8, e.size);
            StoreLe32(entry + 12, e.duration);
            m_ok = m_ok && m_out.Patch(at, entry, sizeof entry);
            at += 16;
        }
    }
    return m_ok;
}

std::int64_t CSceneAviWriter::BeginChunk(const char* id)
{
    const std::int64_t header = m_out.Position();
    WriteU32(LoadLe32(reinterpret_cast<const std::uint8_t*>(id)));
    WriteU32(0);   // the size, once the chunk ends
    return header;
}

std::int64_t CSceneAviWriter::BeginList(const char* id, const char* type)
{
    const std::int64_t header = BeginChunk(id);
    WriteU32(LoadLe32(reinterpret_cast<const std::uint8_t*>(type)));
    return header;
}

void CSceneAviWriter::EndChunk(std::int64_t header)
{
    const std::int64_t size = m_out.Position() - header - 8;
    std::uint8_t field[4];
    StoreLe32(field, static_cast<std::uint32_t>(size));
    if (m_ok)
        m_ok = m_out.Patch(header + 4, field, 4);
    if (size % 2 != 0 && m_ok)
        m_ok = m_out.WriteZeros(1);
}

void CSceneAviWriter::WriteU16(std::uint16_t v)
{
    std::uint8_t bytes[2];
    StoreLe16(bytes, v);
    if (m_ok)
        m_ok = m_out.Write(bytes, 2);
}

void CSceneAviWriter::WriteU32(std::uint32_t v)
{
    std::uint8_t bytes[4];
    StoreLe32(bytes, v);
    if (m_ok)
        m_ok = m_out.Write(bytes, 4);
}

void CSceneAviWriter::WriteU64(std::uint64_t v)
{
    WriteU32(static_cast<std::uint32_t>(v));
    WriteU32(static_cast<std::uint32_t>(v >> 32));
}

}  // namespace zv
