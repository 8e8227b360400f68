#include "export/headerless_format.h"

#include <cstring>

#include "avi/fourcc.h"
#include "dvmeta/dv_pack_layout.h"

namespace zv {
namespace {

constexpr std::uint8_t kAauxControl = 0x51;
constexpr std::uint8_t kVauxControl = 0x61;
constexpr std::size_t kVauxFirst = 12;   // kPackOffsets: after the subcode packs
constexpr std::size_t kAauxFirst = kSubcodeVauxPackCount;
constexpr std::uint32_t kIndexedAndInterleaved = 0x10 | 0x100;   // AVIF_HASINDEX | AVIF_ISINTERLEAVED
constexpr std::uint32_t kPictureWidth = 720;

// PC1..PC4 of the first pack with this id among kPackOffsets[first, last) of DIF sequence `sequence`.
std::uint32_t PackDword(const std::uint8_t* frame, std::size_t size, std::size_t sequence, std::uint8_t id,
                        std::size_t first, std::size_t last)
{
    for (std::size_t k = first; k < last; ++k) {
        const std::size_t at = sequence * kDifSequenceSize + kPackOffsets[k];
        if (at + kPackSize <= size && frame[at] == id)
            return LoadLe32(frame + at + 1);
    }
    return 0xFFFFFFFFu;
}

}  // namespace

void DvInfoOfFrame(const std::uint8_t* frame, std::size_t size, const DvFrameSystem& system, std::uint8_t (&dvInfo)[32])
{
    const std::size_t secondHalf = system.frameBytes / kDifSequenceSize / 2;
    const std::uint32_t words[8] = {
        PackDword(frame, size, 0, kPackAauxSource, kAauxFirst, kPackOffsets.size()),
        PackDword(frame, size, 0, kAauxControl, kAauxFirst, kPackOffsets.size()),
        PackDword(frame, size, secondHalf, kPackAauxSource, kAauxFirst, kPackOffsets.size()),
        PackDword(frame, size, secondHalf, kAauxControl, kAauxFirst, kPackOffsets.size()),
        PackDword(frame, size, 0, kPackVauxSource, kVauxFirst, kSubcodeVauxPackCount),
        PackDword(frame, size, 0, kVauxControl, kVauxFirst, kSubcodeVauxPackCount),
        0, 0};
    for (std::size_t k = 0; k < 8; ++k)
        StoreLe32(dvInfo + 4 * k, words[k]);
}

AviFormat HeaderlessAviFormat(const std::uint8_t* firstFrame, std::size_t size, const DvFrameSystem& system)
{
    AviFormat format;
    std::uint8_t* main = format.mainHeader.data();
    const auto perSecond = static_cast<std::uint32_t>(std::uint64_t{system.frameBytes} * system.rate / system.scale);
    StoreLe32(main + 0, static_cast<std::uint32_t>(std::uint64_t{1000000} * system.scale / system.rate));
    StoreLe32(main + 4, perSecond);
    StoreLe32(main + 12, kIndexedAndInterleaved);
    StoreLe32(main + 24, 1);
    StoreLe32(main + 32, kPictureWidth);
    StoreLe32(main + 36, system.is625 ? 576 : 480);

    std::uint8_t* strh = format.video.header.data();
    StoreLe32(strh + kStrhType, FourCC("iavs"));
    StoreLe32(strh + 4, FourCC("dvsd"));
    StoreLe32(strh + kStrhScale, system.scale);
    StoreLe32(strh + kStrhRate, system.rate);
    StoreLe32(strh + 40, 0xFFFFFFFFu);   // dwQuality: the writer's default
    StoreLe16(strh + 52, static_cast<std::uint16_t>(kPictureWidth));
    StoreLe16(strh + 54, static_cast<std::uint16_t>(system.is625 ? 576 : 480));

    std::uint8_t dvInfo[32];
    DvInfoOfFrame(firstFrame, size, system, dvInfo);
    format.video.format.assign(dvInfo, dvInfo + sizeof dvInfo);
    format.video.chunkId = FourCC("00dc");
    return format;
}

}  // namespace zv
