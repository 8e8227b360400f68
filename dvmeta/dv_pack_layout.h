#pragma once
// Where the 5-byte packs of a standard-definition DV frame sit, and the pack IDs the player reads.
// Header only and free of Qt: the AVI scene scan reads the same positions.
//
// Source: IEC 61834-2 (SD format for 525-60 and 625-50 systems), DIF sequence layout: block 0 header,
// blocks 1-2 subcode, blocks 3-5 VAUX, then 135 blocks in which every 16th (6 + 16 j) is an audio block
// whose first 5 bytes after the 3-byte block ID are its AAUX pack.

#include <array>
#include <cstddef>
#include <cstdint>

// One DIF sequence; a 525/60 frame holds 10 of them (120000 bytes), a 625/50 frame 12 (144000 bytes).
inline constexpr std::size_t kDifSequenceSize = 12000;

// PC0 (the pack ID) followed by the data bytes PC1..PC4.
inline constexpr std::size_t kPackSize = 5;

// A PC0 of this value marks an empty pack slot.
inline constexpr std::uint8_t kEmptyPackId = 0xFF;

// PC0 offsets from the start of a DIF sequence, in the order the packs are visited. The order matters:
// the first pack of an ID met in this order is the one the player shows, so subcode copies of the
// recording date and time win over VAUX copies.
inline constexpr std::array<std::uint16_t, 66> kPackOffsets = {
    // Subcode block 1 (bytes 80-159): six 8-byte sync blocks of 2 ID bytes, 1 reserved byte, 5 pack bytes.
    86, 94, 102, 110, 118, 126,
    // Subcode block 2 (bytes 160-239).
    166, 174, 182, 190, 198, 206,
    // VAUX block 3 (bytes 240-319): 15 packs straight after the 3-byte block ID; the last 2 bytes are reserved.
    243, 248, 253, 258, 263, 268, 273, 278, 283, 288, 293, 298, 303, 308, 313,
    // VAUX block 4 (bytes 320-399).
    323, 328, 333, 338, 343, 348, 353, 358, 363, 368, 373, 378, 383, 388, 393,
    // VAUX block 5 (bytes 400-479).
    403, 408, 413, 418, 423, 428, 433, 438, 443, 448, 453, 458, 463, 468, 473,
    // AAUX packs of audio blocks 0..8 (block 6 + 16 j, 80 bytes each: 480 + 1280 j, pack after the ID).
    483, 1763, 3043, 4323, 5603, 6883, 8163, 9443, 10723,
};

// The subcode and VAUX packs come first in kPackOffsets; the scene scan reads only these.
inline constexpr std::size_t kSubcodeVauxPackCount = 57;

// Pack IDs (PC0) the player uses anywhere.
enum DvPackId : std::uint8_t {
    kPackTimecode = 0x13,     // subcode: frames/seconds/minutes/hours BCD, drop-frame flag in PC1 bit 6
    kPackAauxSource = 0x50,   // AAUX: locked-mode flag, sampling frequency
    kPackVauxSource = 0x60,   // VAUX: 50/60 flag in PC3 bit 5
    kPackRecDate = 0x62,      // subcode and VAUX: day, month, year BCD
    kPackRecTime = 0x63,      // subcode and VAUX: seconds, minutes, hours BCD
    kPackCamera1 = 0x70,      // VAUX consumer camera 1: iris, gain, exposure mode, white balance
    kPackCamera2 = 0x71,      // VAUX consumer camera 2: image stabiliser
    kPackShutter = 0x7F,      // VAUX: 15-bit slow-shutter value
};

namespace zv::pack_layout_checks {

constexpr bool OffsetsAscendAndFit()
{
    for (std::size_t i = 0; i < kPackOffsets.size(); ++i) {
        if (kPackOffsets[i] + kPackSize > kDifSequenceSize)
            return false;
        if (i > 0 && kPackOffsets[i] < kPackOffsets[i - 1] + kPackSize)
            return false;
    }
    return true;
}

static_assert(OffsetsAscendAndFit(), "pack slots must be ascending, disjoint and inside one DIF sequence");
static_assert(kPackOffsets[kSubcodeVauxPackCount - 1] < 480 && kPackOffsets[kSubcodeVauxPackCount] >= 480,
              "the first 57 slots are exactly the subcode and VAUX packs");

}  // namespace zv::pack_layout_checks
