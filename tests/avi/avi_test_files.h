#pragma once
// Small DV AVI files built byte by byte for the avi/ tests, written into a private temporary directory.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace avitest {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, std::uint16_t v);
void Put32(Bytes& out, std::uint32_t v);
void Put64(Bytes& out, std::uint64_t v);
void PutCode(Bytes& out, const char* code);   // four characters
void Patch32(Bytes& out, std::size_t at, std::uint32_t v);
void Patch64(Bytes& out, std::size_t at, std::uint64_t v);

// A directory removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Write(const std::string& name, const Bytes& bytes) const;   // returns the path
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

enum class IndexKind { None, Idx1Absolute, Idx1FromMoviList, Idx1FromMoviData, OpenDml, OpenDmlAndIdx1 };

struct AviOptions {
    const char* streamType = "vids";
    const char* handler = "dvsd";
    const char* compression = "dvsd";
    std::int32_t biHeight = 576;
    std::vector<Bytes> frames;       // payload of each "00dc" chunk
    bool audio = false;              // a "01wb" chunk (listed in idx1) before every video chunk
    IndexKind index = IndexKind::Idx1Absolute;
    int ixChunks = 1;                // standard indexes under the OpenDML super index
    std::uint32_t idx1Trailing = 0;  // bytes after the last whole idx1 entry
};

struct AviFile {
    Bytes bytes;
    std::vector<std::int64_t> frameData;   // where each frame's data starts
    std::size_t indxData = 0;              // first byte after the indx chunk header
    std::vector<std::size_t> ixChunks;     // positions of the ix## chunk headers
    std::size_t moviList = 0;
    std::size_t idx1Chunk = 0;
};

// RIFF "AVI ": hdrl (avih, strl with strh, strf and the optional indx), movi, optional idx1.
AviFile BuildAvi(const AviOptions& options);

// Frames of n small payloads each (for index tests).
std::vector<Bytes> SmallFrames(int n, std::size_t size = 16);

// One DIF sequence (12000 bytes) with the given 5-byte packs placed at their PC0 offsets.
struct PlacedPack { std::uint16_t offset; std::array<std::uint8_t, 5> pack; };
Bytes DvSequence(const std::vector<PlacedPack>& packs);
std::array<std::uint8_t, 5> DatePack(int year, int month, int day);   // BCD, two-digit year
std::array<std::uint8_t, 5> TimePack(int hour, int minute, int second);

inline constexpr std::uint16_t kSubcodeFirst = 86, kSubcodeSecond = 94, kVauxFirst = 243, kVauxSecond = 248;

}  // namespace avitest
