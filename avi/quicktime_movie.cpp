#include "avi/quicktime_movie.h"

#include "avi/dv_container.h"
#include "avi/file_io.h"
#include "avi/fourcc.h"

#include <algorithm>
#include <cstring>

namespace {

using zv::FourCC;
using zv::LoadBe16;
using zv::LoadBe32;
using zv::QtBox;
using zv::QtBoxRead;

// mdhd: version, then 32- or 64-bit creation and modification times before the timescale.
constexpr std::int64_t kTimescaleV0 = 12;
constexpr std::int64_t kTimescaleV1 = 20;
// hdlr: version and flags, the component type (QuickTime) or zero (ISO), then the handler type.
constexpr std::int64_t kHandlerType = 8;
// stsd: version and flags, the entry count, then the first entry's box.
constexpr std::int64_t kFirstDescription = 8;
// A sound description (after its box header): reserved, data reference, version, revision, vendor, then
// channels, bits, compression, packet size and a 16.16 rate (versions 0 and 1) or, in version 2, a
// struct size, a double rate, a 32-bit channel count and a 32-bit bit count.
constexpr std::size_t kSoundV0Bytes = 28;
constexpr std::size_t kSoundV2Bytes = 52;

bool ReadField(int fd, const QtBox& box, std::int64_t offset, void* out, std::size_t bytes)
{
    return box.DataBytes() >= offset + static_cast<std::int64_t>(bytes)
        && ReadExactAt(fd, out, bytes, box.data + offset);
}

bool ReadTimescale(int fd, const QtBox& mdhd, std::uint32_t& out)
{
    std::uint8_t version = 0;
    std::uint8_t field[4];
    if (!ReadField(fd, mdhd, 0, &version, 1)
        || !ReadField(fd, mdhd, version == 1 ? kTimescaleV1 : kTimescaleV0, field, sizeof field))
        return false;
    out = LoadBe32(field);
    return true;
}

// The first sample description of a track's stsd, which must lie inside it.
bool FirstDescription(int fd, const QtBox& stsd, std::int64_t fileSize, QtBox& out)
{
    QtBox entries = stsd;
    entries.data += kFirstDescription;
    return entries.data <= stsd.end
        && zv::ReadBoxHeader(fd, entries.data, entries.end, fileSize, out) == QtBoxRead::Found;
}

void ReadSound(int fd, const QtBox& description, QuickTimeSound& out)
{
    std::uint8_t bytes[kSoundV2Bytes];
    if (!ReadField(fd, description, 0, bytes, kSoundV0Bytes))
        return;
    out.found = true;
    out.format = description.type;
    if (LoadBe16(bytes + 8) == 2 && ReadField(fd, description, 0, bytes, kSoundV2Bytes)) {
        double rate = 0;
        const std::uint64_t bits = zv::LoadBe64(bytes + 32);
        std::memcpy(&rate, &bits, sizeof rate);
        out.sampleRate = rate > 0 && rate < 1e7 ? static_cast<std::uint32_t>(rate) : 0;
        out.channels = static_cast<std::uint16_t>(std::min<std::uint32_t>(LoadBe32(bytes + 40), 0xFFFF));
        out.bitsPerSample = static_cast<std::uint16_t>(std::min<std::uint32_t>(LoadBe32(bytes + 48), 0xFFFF));
        return;
    }
    out.channels = LoadBe16(bytes + 16);
    out.bitsPerSample = LoadBe16(bytes + 18);
    out.sampleRate = LoadBe32(bytes + 24) >> 16;
}

// One trak box: its handler decides whether it is the first video or sound track still wanted.
void ReadTrack(int fd, const QtBox& trak, std::int64_t fileSize, QuickTimeMovie& out)
{
    QtBox mdia, hdlr, mdhd, stbl, stsd, description;
    std::uint8_t handler[4];
    constexpr std::uint32_t kTablePath[] = {FourCC("minf"), FourCC("stbl")};
    if (zv::FindChildBox(fd, trak, fileSize, FourCC("mdia"), mdia) != QtBoxRead::Found
        || zv::FindChildBox(fd, mdia, fileSize, FourCC("hdlr"), hdlr) != QtBoxRead::Found
        || !ReadField(fd, hdlr, kHandlerType, handler, sizeof handler))
        return;
    // The first video track decides, even when its tables turn out to be damaged.
    const bool video = zv::HasFourCC(handler, "vide") && !out.video.seen;
    out.video.seen = out.video.seen || video;
    const bool sound = zv::HasFourCC(handler, "soun") && !out.sound.found;
    if ((!video && !sound) || zv::FindBoxPath(fd, mdia, fileSize, kTablePath, 2, stbl) != QtBoxRead::Found
        || zv::FindChildBox(fd, stbl, fileSize, FourCC("stsd"), stsd) != QtBoxRead::Found
        || !FirstDescription(fd, stsd, fileSize, description))
        return;
    if (sound) {
        ReadSound(fd, description, out.sound);
        return;
    }
    QuickTimeTrack& track = out.video;
    if (zv::FindChildBox(fd, mdia, fileSize, FourCC("mdhd"), mdhd) != QtBoxRead::Found
        || !ReadTimescale(fd, mdhd, track.timescale))
        track.timescale = 0;   // the frame rate then comes from the DV system
    track.found = true;
    track.format = description.type;
    track.description = description;
    track.sampleTable = stbl;
}

QuickTimeLook LookOf(QtBoxRead read)
{
    switch (read) {
    case QtBoxRead::Truncated: return QuickTimeLook::TooShort;
    case QtBoxRead::ReadError: return QuickTimeLook::ReadFailed;
    default: return QuickTimeLook::Damaged;
    }
}

}  // namespace

QuickTimeLook LookAtQuickTime(int fd, std::int64_t fileSize, QuickTimeMovie& out)
{
    std::uint8_t first[8];
    if (fileSize < static_cast<std::int64_t>(sizeof first) || !ReadExactAt(fd, first, sizeof first, 0)
        || !LooksLikeQuickTime(first, sizeof first))
        return QuickTimeLook::NotQuickTime;
    const QtBox file{0, 0, 0, fileSize};
    QtBox moov;
    const QtBoxRead found = zv::FindChildBox(fd, file, fileSize, FourCC("moov"), moov);
    if (found != QtBoxRead::Found)
        return LookOf(found);
    out = QuickTimeMovie{};
    std::int64_t position = moov.data;
    for (int seen = 0; seen < zv::kMaxBoxesPerParent && !(out.video.seen && out.sound.found); ++seen) {
        QtBox child;
        const QtBoxRead read = zv::ReadBoxHeader(fd, position, moov.end, fileSize, child);
        if (read == QtBoxRead::End)
            break;
        if (read != QtBoxRead::Found)
            return LookOf(read);
        if (child.type == FourCC("trak"))
            ReadTrack(fd, child, fileSize, out);
        position = child.end;
    }
    return QuickTimeLook::Movie;
}
