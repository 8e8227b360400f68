#pragma once
// The box structure of ISO / QuickTime files: a 32-bit big-endian size and a four-character type, the size
// 1 meaning a 64-bit size follows and 0 meaning "to the end of the enclosing box". Every box read here is
// bounded by its parent before anything looks inside it, and the walker only descends along fixed paths,
// so a file nested deeper than any movie costs nothing.

#include <cstdint>

namespace zv {

inline std::uint16_t LoadBe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

inline std::uint32_t LoadBe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16
         | static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

inline std::uint64_t LoadBe64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(LoadBe32(p)) << 32 | LoadBe32(p + 4);
}

// One box: its type (as zv::FourCC spells it, first character in the low byte) and where its header,
// its data and its end lie in the file.
struct QtBox {
    std::uint32_t type = 0;
    std::int64_t start = 0;
    std::int64_t data = 0;
    std::int64_t end = 0;
    std::int64_t DataBytes() const { return end - data; }
};

enum class QtBoxRead {
    Found,       // the box lies whole within its parent
    End,         // no box starts here: the parent ends (fewer than 8 bytes left count as its padding)
    Truncated,   // the box claims more than the file holds: the file was cut short
    Invalid,     // a size below its own header, or a box running past a parent that ends before the file
    ReadError,   // the system read failed (errno says why) or the file shrank under the reader
};

// Reads the box header at position inside a parent ending at parentEnd (never past fileSize), in a file of
// fileSize bytes. The whole box must lie within the parent.
QtBoxRead ReadBoxHeader(int fd, std::int64_t position, std::int64_t parentEnd, std::int64_t fileSize, QtBox& out);

// The most boxes looked at inside one parent (and at the top level): real movies hold a few dozen.
inline constexpr int kMaxBoxesPerParent = 4096;

// Looks through parent's children for the first box of type. Found, or End when the parent holds none;
// Truncated, Invalid or ReadError as soon as a child before it is (the walk cannot go on past it), and Invalid
// past kMaxBoxesPerParent children.
QtBoxRead FindChildBox(int fd, const QtBox& parent, std::int64_t fileSize, std::uint32_t type, QtBox& out);

// The same along a path of types: moov, trak, mdia, ... each inside the one before.
QtBoxRead FindBoxPath(int fd, const QtBox& parent, std::int64_t fileSize, const std::uint32_t* types, int count,
                      QtBox& out);

}  // namespace zv
