#pragma once
// DV frames built in code for the dvmeta tests: every pack slot empty, chosen packs at chosen slots.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dvmeta/dv_pack_layout.h"

namespace dvtest {

inline constexpr std::size_t kFrame525 = 120000;
inline constexpr std::size_t kFrame625 = 144000;
inline constexpr std::size_t kFirstVauxSlot = 12;
inline constexpr std::size_t kFirstAauxSlot = kSubcodeVauxPackCount;

using Pack = std::array<std::uint8_t, kPackSize>;

inline std::vector<std::uint8_t> BlankFrame(std::size_t length)
{
    return std::vector<std::uint8_t>(length, kEmptyPackId);
}

// `slot` indexes kPackOffsets (0-11 subcode, 12-56 VAUX, 57-65 AAUX).
inline void PutPack(std::vector<std::uint8_t>& frame, std::size_t sequence, std::size_t slot, const Pack& pack)
{
    const std::size_t at = sequence * kDifSequenceSize + kPackOffsets.at(slot);
    for (std::size_t i = 0; i < kPackSize; ++i)
        frame.at(at + i) = pack[i];
}

// A camcorder-like 625/50 frame recorded on 24 Dec 2003 at 10:15:30: timecode 23:59:59:24, iris code 20,
// gain code 2, AUTO exposure, AUTO / SUNLGT white balance, stabiliser on, shutter v = 1, 48 kHz locked.
// Date and time sit in the subcode of every sequence and in the VAUX, as camcorders write them.
inline std::vector<std::uint8_t> CamcorderFrame625()
{
    std::vector<std::uint8_t> frame = BlankFrame(kFrame625);
    for (std::size_t s = 0; s < kFrame625 / kDifSequenceSize; ++s) {
        PutPack(frame, s, 0, {kPackTimecode, 0x24, 0x59, 0x59, 0x23});
        PutPack(frame, s, 1, {kPackRecDate, 0xFF, 0x24, 0x12, 0x03});
        PutPack(frame, s, 2, {kPackRecTime, 0xFF, 0x30, 0x15, 0x10});
        PutPack(frame, s, kFirstVauxSlot + 0, {kPackVauxSource, 0xFF, 0xFF, 0x20, 0xFF});
        PutPack(frame, s, kFirstVauxSlot + 2, {kPackRecDate, 0xFF, 0x24, 0x12, 0x03});
        PutPack(frame, s, kFirstVauxSlot + 3, {kPackRecTime, 0xFF, 0x30, 0x15, 0x10});
        PutPack(frame, s, kFirstVauxSlot + 15, {kPackCamera1, 20, 0x02, 0x04, 0xFF});
        PutPack(frame, s, kFirstVauxSlot + 16, {kPackCamera2, 0xFF, 0x00, 0xFF, 0xFF});
        PutPack(frame, s, kFirstVauxSlot + 18, {kPackShutter, 0xFF, 0xFF, 0x01, 0x00});
        PutPack(frame, s, kFirstAauxSlot, {kPackAauxSource, 0x00, 0xFF, 0xFF, 0x00});
    }
    return frame;
}

}  // namespace dvtest
