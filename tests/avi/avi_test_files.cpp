#include "avi_test_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace avitest {

void Put16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
void Put64(Bytes& out, std::uint64_t v)
{
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}
void PutCode(Bytes& out, const char* code) { out.insert(out.end(), code, code + 4); }
void Patch32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void Patch64(Bytes& out, std::size_t at, std::uint64_t v)
{
    Patch32(out, at, static_cast<std::uint32_t>(v));
    Patch32(out, at + 4, static_cast<std::uint32_t>(v >> 32));
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "avi_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const
{
    const std::string path = m_path + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()))
        throw std::runtime_error("cannot write " + path);
    std::fclose(file);
    return path;
}

namespace {

std::size_t OpenChunk(Bytes& out, const char* id)
{
    PutCode(out, id);
    Put32(out, 0);
    return out.size();   // first data byte; the size is patched by CloseChunk
}
void CloseChunk(Bytes& out, std::size_t data) { Patch32(out, data - 4, static_cast<std::uint32_t>(out.size() - data)); }

}  // namespace

AviFile BuildAvi(const AviOptions& o)
{
    AviFile f;
    Bytes& b = f.bytes;
    const bool odml = o.index == IndexKind::OpenDml || o.index == IndexKind::OpenDmlAndIdx1;
    const std::size_t frames = o.frames.size();
    const std::size_t riff = OpenChunk(b, "RIFF");
    PutCode(b, "AVI ");
    const std::size_t hdrl = OpenChunk(b, "LIST");
    PutCode(b, "hdrl");
    OpenChunk(b, "avih");
    b.resize(b.size() + 56);
    CloseChunk(b, 32);
    const std::size_t strl = OpenChunk(b, "LIST");
    PutCode(b, "strl");
    const std::size_t strh = OpenChunk(b, "strh");   // = 108
    PutCode(b, o.streamType);
    PutCode(b, o.handler);
    b.resize(strh + 56);
    Patch32(b, strh + 20, 1);    // dwScale
    Patch32(b, strh + 24, 25);   // dwRate
    Patch32(b, strh + 32, static_cast<std::uint32_t>(frames));
    CloseChunk(b, strh);
    const std::size_t strf = OpenChunk(b, "strf");   // = 172
    Put32(b, 40);
    Put32(b, 720);
    Put32(b, static_cast<std::uint32_t>(o.biHeight));
    Put16(b, 1);
    Put16(b, 24);
    PutCode(b, o.compression);
    b.resize(strf + 40);
    CloseChunk(b, strf);
    std::size_t indx = 0;
    if (odml) {
        indx = OpenChunk(b, "indx");
        f.indxData = indx;
        Put16(b, 4);
        b.push_back(0);
        b.push_back(0);   // super index
        Put32(b, static_cast<std::uint32_t>(o.ixChunks));
        PutCode(b, "00dc");
        b.resize(b.size() + 12 + 16 * o.ixChunks);
        CloseChunk(b, indx);
    }
    CloseChunk(b, strl);
    CloseChunk(b, hdrl);

    f.moviList = b.size();
    const std::size_t movi = OpenChunk(b, "LIST");
    PutCode(b, "movi");
    Bytes idx1;
    auto listEntry = [&](const char* id, std::size_t header) {
        std::size_t offset = header;
        if (o.index == IndexKind::Idx1FromMoviList)
            offset = header - (f.moviList + 8);
        else if (o.index == IndexKind::Idx1FromMoviData)
            offset = header - (f.moviList + 12);
        PutCode(idx1, id);
        Put32(idx1, 0x10);
        Put32(idx1, static_cast<std::uint32_t>(offset));
        Put32(idx1, 4);
    };
    for (const Bytes& frame : o.frames) {
        if (o.audio) {
            listEntry("01wb", b.size());
            const std::size_t sound = OpenChunk(b, "01wb");
            Put32(b, 0);
            CloseChunk(b, sound);
        }
        listEntry("00dc", b.size());
        const std::size_t data = OpenChunk(b, "00dc");
        f.frameData.push_back(static_cast<std::int64_t>(data));
        b.insert(b.end(), frame.begin(), frame.end());
        CloseChunk(b, data);
    }
    // Standard indexes count from the movi list, so their base offset is exercised.
    for (int c = 0; odml && c < o.ixChunks; ++c) {
        const std::size_t first = frames * c / o.ixChunks, last = frames * (c + 1) / o.ixChunks;
        f.ixChunks.push_back(b.size());
        const std::size_t ix = OpenChunk(b, "ix00");
        Put16(b, 2);
        b.push_back(0);
        b.push_back(1);   // standard index
        Put32(b, static_cast<std::uint32_t>(last - first));
        PutCode(b, "00dc");
        Put64(b, f.moviList);
        Put32(b, 0);
        for (std::size_t i = first; i < last; ++i) {
            Put32(b, static_cast<std::uint32_t>(f.frameData[i] - static_cast<std::int64_t>(f.moviList)));
            Put32(b, static_cast<std::uint32_t>(o.frames[i].size()));
        }
        CloseChunk(b, ix);
        const std::size_t entry = indx + 24 + 16 * c;
        Patch64(b, entry, f.ixChunks.back());
        Patch32(b, entry + 8, static_cast<std::uint32_t>(b.size() - f.ixChunks.back()));
        Patch32(b, entry + 12, static_cast<std::uint32_t>(last - first));
    }
    CloseChunk(b, movi);
    if (o.index != IndexKind::None && o.index != IndexKind::OpenDml) {
        f.idx1Chunk = b.size();
        if (o.index == IndexKind::OpenDmlAndIdx1)
            idx1.assign(idx1.size(), 0xEE);   // never read when indx exists
        idx1.resize(idx1.size() + o.idx1Trailing, 0x30);
        const std::size_t chunk = OpenChunk(b, "idx1");
        b.insert(b.end(), idx1.begin(), idx1.end());
        CloseChunk(b, chunk);
    }
    CloseChunk(b, riff);
    return f;
}

std::vector<Bytes> SmallFrames(int n, std::size_t size)
{
    std::vector<Bytes> frames;
    for (int i = 0; i < n; ++i)
        frames.emplace_back(size, static_cast<std::uint8_t>(i));
    return frames;
}

Bytes DvSequence(const std::vector<PlacedPack>& packs)
{
    Bytes sequence(12000, 0xFF);
    for (const PlacedPack& p : packs)
        std::memcpy(sequence.data() + p.offset, p.pack.data(), 5);
    return sequence;
}

namespace {
std::uint8_t Bcd(int v) { return static_cast<std::uint8_t>((v / 10) << 4 | v % 10); }
}  // namespace

std::array<std::uint8_t, 5> DatePack(int year, int month, int day)
{
    return {0x62, 0xFF, static_cast<std::uint8_t>(0xC0 | Bcd(day)), static_cast<std::uint8_t>(0xE0 | Bcd(month)),
            Bcd(year % 100)};
}

std::array<std::uint8_t, 5> TimePack(int hour, int minute, int second)
{
    return {0x63, 0xC0, static_cast<std::uint8_t>(0x80 | Bcd(second)), static_cast<std::uint8_t>(0x80 | Bcd(minute)),
            static_cast<std::uint8_t>(0xC0 | Bcd(hour))};
}

}  // namespace avitest
