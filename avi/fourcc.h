#pragma once
// Little-endian field access and four-character codes, the two ways RIFF stores its numbers and names.

#include <cstdint>
#include <algorithm>
#include <cstring>

namespace zv {

// A four-character code as it reads from the file: first character in the low byte.
constexpr std::uint32_t FourCC(const char (&code)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0]))
         | static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8
         | static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16
         | static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

inline std::uint16_t LoadLe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t LoadLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8
         | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint64_t LoadLe64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(LoadLe32(p)) | static_cast<std::uint64_t>(LoadLe32(p + 4)) << 32;
}

inline void StoreLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void StoreLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void StoreLe64(std::uint8_t* p, std::uint64_t v)
{
    StoreLe32(p, static_cast<std::uint32_t>(v));
    StoreLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// True when the four bytes at p spell code exactly (case-sensitive).
inline bool HasFourCC(const std::uint8_t* p, const char (&code)[5])
{
    return std::memcmp(p, code, 4) == 0;
}

// True when the four bytes at p can be a chunk id: printable characters, as every writer uses (the
// zeros of a hole or of a file cut short are not one).
inline bool IsChunkId(const std::uint8_t* p)
{
    return std::all_of(p, p + 4, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace zv
