#pragma once
// Where the scene scan looks for the recording date and time packs in DIF sequence 0 of a frame
// (IEC 61834-2 subcode and VAUX DIF blocks): the PC0 byte offsets from the start of the frame data.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zv {

inline constexpr std::size_t kFrameSequenceBytes = 12000;   // one DIF sequence: 150 blocks of 80 bytes

namespace detail {
constexpr std::array<std::uint16_t, 57> MakeScanPackOffsets()
{
    std::array<std::uint16_t, 57> offsets{};
    std::size_t n = 0;
    for (std::uint16_t block : {80, 160})           // subcode blocks 1 and 2: 6 packs of 8 bytes after 3+3
        for (int j = 0; j < 6; ++j)
            offsets[n++] = static_cast<std::uint16_t>(block + 6 + 8 * j);
    for (std::uint16_t block : {240, 320, 400})     // VAUX blocks 3, 4, 5: 15 packs of 5 bytes after 3
        for (int k = 0; k < 15; ++k)
            offsets[n++] = static_cast<std::uint16_t>(block + 3 + 5 * k);
    return offsets;
}
}  // namespace detail

// Visiting order: subcode packs before VAUX packs, lower offsets first.
inline constexpr std::array<std::uint16_t, 57> kScanPackOffsets = detail::MakeScanPackOffsets();
static_assert(kScanPackOffsets[0] == 86 && kScanPackOffsets[6] == 166 && kScanPackOffsets[12] == 243
              && kScanPackOffsets[27] == 323 && kScanPackOffsets[56] == 473);
static_assert(kScanPackOffsets[56] + 5 <= kFrameSequenceBytes);

inline constexpr std::uint8_t kRecDatePackId = 0x62;
inline constexpr std::uint8_t kRecTimePackId = 0x63;

}  // namespace zv
