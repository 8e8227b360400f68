#include "avi/dv_avi_check.h"

#include "avi/dv_container.h"
#include "avi/file_io.h"
#include "avi/fourcc.h"

#include <cerrno>
#include <cstdint>

namespace {

constexpr std::size_t kMainHeaderBytes = 164;   // RIFF header through the first stream header
constexpr std::size_t kFormatBytes = 48;        // strf chunk header + BITMAPINFOHEADER (164..211)
constexpr std::size_t kFormTypeOffset = 8;
constexpr std::size_t kStreamTypeOffset = 108;
constexpr std::size_t kStreamHandlerOffset = 112;
constexpr std::size_t kCompressionInFormat = 24;   // file offset 188

// A failed or short read: errno tells a real read error from the file simply ending. The descriptor
// closes on return, which keeps errno.
DvAviCheckResult ShortReadResult()
{
    return errno != 0 ? ReadFailed : TooShort;
}

}  // namespace

DvAviCheckResult CheckDvAviFile(const char* path)
{
    zv::UniqueFd fd = zv::OpenForSequentialRead(path);
    if (!fd)
        return OpenFailed;

    std::uint8_t header[kMainHeaderBytes];
    errno = 0;   // a short read at the end of the file sets nothing
    const std::size_t got = ReadBytes(fd.Get(), header, sizeof header);
    switch (DetectContainer(header, got)) {
    case DvContainer::RawDv: return CheckRawDvFile(fd.Get(), header, got);
    case DvContainer::QuickTime: return CheckQuickTimeDvFile(fd.Get());
    case DvContainer::Avi: break;
    }
    if (got < sizeof header)
        return ShortReadResult();

    if (!zv::HasFourCC(header + kFormTypeOffset, "AVI "))
        return NotDvAvi;

    if (zv::HasFourCC(header + kStreamTypeOffset, "vids")) {
        std::uint8_t format[kFormatBytes];
        errno = 0;
        if (!ReadExact(fd.Get(), format, sizeof format))
            return ShortReadResult();
        if (zv::HasFourCC(format + kCompressionInFormat, "dvsd"))
            return Recognised;
    }
    return zv::HasFourCC(header + kStreamHandlerOffset, "dvsd") ? Recognised : NotDvAvi;
}

const char* DvAviCheckResultName(DvAviCheckResult r)
{
    switch (r) {
    case Recognised: return "Recognised";
    case OpenFailed: return "OpenFailed";
    case ReadFailed: return "ReadFailed";
    case TooShort: return "TooShort";
    case NotDvAvi: return "NotDvAvi";
    }
    return "Unknown";
}

const char* DvAviCheckMessage(DvAviCheckResult r)
{
    switch (r) {
    case Recognised: return nullptr;
    case OpenFailed: return "Unable to open the requested file:\r\n\r\n%s";
    case ReadFailed: return "Unable to read the requested file:\r\n\r\n%s";
    case TooShort:
    case NotDvAvi: return "File is not a recognised DV AVI format:\r\n\r\n%s";
    }
    return nullptr;
}

bool DvAviCheckNeedsSystemText(DvAviCheckResult r)
{
    return r == OpenFailed || r == ReadFailed;
}
