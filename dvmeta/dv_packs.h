#pragma once
// The pack table of one DV frame and the frame's timecode mode.

#include <array>
#include <cstddef>
#include <cstdint>

#include "dvmeta/dv_pack_layout.h"

namespace zv {

// TimecodeMode values: how frame numbers turn into hours, minutes, seconds and frames.
inline constexpr std::int32_t kTimecodeMode625 = 0;        // 25 frames/s
inline constexpr std::int32_t kTimecodeMode525 = 1;        // 30 frames/s, non-drop-frame
inline constexpr std::int32_t kTimecodeMode525Drop = 2;    // 30 frames/s, drop-frame numbering

}  // namespace zv

// 256 entries indexed by pack ID. Entry byte 0 holds the ID when that pack was found in the current
// frame and kEmptyPackId when not; bytes 1-4 are PC1-PC4 of the first occurrence. Only byte 0 is reset
// per frame, so bytes 1-4 of an empty entry are stale: every reader goes through Find.
struct DvPackTable {
    using Entry = std::array<std::uint8_t, kPackSize>;

    std::array<Entry, 256> entries = AllEmpty();

    // nullptr when the pack is absent, else its 5 bytes (PC0..PC4).
    const std::uint8_t* Find(std::uint8_t id) const
    {
        const Entry& entry = entries[id];
        return entry[0] == kEmptyPackId ? nullptr : entry.data();
    }

    void MarkAllEmpty()
    {
        for (Entry& entry : entries)
            entry[0] = kEmptyPackId;
    }

private:
    static constexpr std::array<Entry, 256> AllEmpty()
    {
        std::array<Entry, 256> all{};
        for (Entry& entry : all)
            entry[0] = kEmptyPackId;
        return all;
    }
};

// Fills the table from one frame of `length` bytes (whole DIF sequences only; a trailing partial one and
// a frame shorter than one sequence contribute nothing), then updates the timecode mode from the VAUX
// source and timecode packs. The mode keeps its previous value when the frame has no VAUX source pack.
// Never reads outside [frame, frame + length); a null frame is read as empty.
void ExtractPacks(DvPackTable& table, std::int32_t& timecodeMode, const std::uint8_t* frame, std::size_t length);
