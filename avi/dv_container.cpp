#include "avi/dv_container.h"

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/quicktime_index.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace {

// IEC 61834 DIF block ID: byte 0 = section type (3 bits), reserved bit, arbitrary bits; byte 1 = DIF
// sequence (4 bits), FSC (channel), 3 reserved bits; byte 2 = block number. The header section is type 0
// with every other bit of byte 0 set.
constexpr std::uint8_t kHeaderBlockId0 = 0x1F;
constexpr std::uint8_t kSequenceAndChannelMask = 0xF8;
constexpr std::uint8_t kDsfBit = 0x80;   // byte 3 of the header block: 1 = 625/50
constexpr std::size_t kDifHeaderProbe = 4;

constexpr DvFrameSystem kSystem625{true, 144000, 25, 1};
constexpr DvFrameSystem kSystem525{false, 120000, 30000, 1001};

constexpr std::array<const char*, 5> kQuickTimeFirstAtoms{"ftyp", "moov", "mdat", "wide", "free"};

}  // namespace

DvFrameSystem DvFrameSystemOf(const std::uint8_t* dif)
{
    return (dif[3] & kDsfBit) != 0 ? kSystem625 : kSystem525;
}

bool StartsWithDifHeader(const std::uint8_t* head, std::size_t size)
{
    return size >= kDifHeaderProbe && head[0] == kHeaderBlockId0 && (head[1] & kSequenceAndChannelMask) == 0
           && head[2] == 0;
}

bool LooksLikeQuickTime(const std::uint8_t* head, std::size_t size)
{
    if (size < 8 || zv::HasFourCC(head, "RIFF"))
        return false;
    for (const char* atom : kQuickTimeFirstAtoms)
        if (std::memcmp(head + 4, atom, 4) == 0)
            return true;
    return false;
}

DvContainer DetectContainer(const std::uint8_t* head, std::size_t size)
{
    if (StartsWithDifHeader(head, size))
        return DvContainer::RawDv;
    if (LooksLikeQuickTime(head, size))
        return DvContainer::QuickTime;
    return DvContainer::Avi;
}

const char* DvContainerName(DvContainer container)
{
    switch (container) {
    case DvContainer::Avi: return "AVI";
    case DvContainer::RawDv: return "raw DV";
    case DvContainer::QuickTime: return "QuickTime";
    }
    return "AVI";
}

DvAviCheckResult CheckRawDvFile(int fd, const std::uint8_t* head, std::size_t size)
{
    if (!StartsWithDifHeader(head, size))
        return NotDvAvi;
    const std::int64_t fileSize = zv::FileSize(fd);
    if (fileSize < 0)
        return ReadFailed;
    errno = 0;   // the file simply ends early: no system code
    return fileSize < DvFrameSystemOf(head).frameBytes ? TooShort : Recognised;
}

DvAviCheckResult CheckQuickTimeDvFile(int fd)
{
    const std::int64_t fileSize = zv::FileSize(fd);
    if (fileSize < 0)
        return ReadFailed;
    errno = 0;
    QuickTimeDvSystem system;
    switch (CheckQuickTimeDv(fd, fileSize, nullptr, system)) {
    case QuickTimeDvVerdict::Dv: return Recognised;
    case QuickTimeDvVerdict::TooShort: return TooShort;
    case QuickTimeDvVerdict::ReadFailed: return errno != 0 ? ReadFailed : TooShort;
    case QuickTimeDvVerdict::NotQuickTime:
    case QuickTimeDvVerdict::NotDv: break;
    }
    return NotDvAvi;
}
