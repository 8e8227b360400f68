#include "dvmeta/dv_packs.h"

namespace {

constexpr std::uint8_t kVauxSource625Flag = 0x20;     // PC3 bit 5: 1 = 625/50 system
constexpr std::uint8_t kTimecodeDropFlag = 0x40;      // PC1 bit 6: drop-frame numbering

// The VAUX source pack decides the line system; without one the previous frame's mode stands.
// A 525/60 frame without a timecode pack is taken as drop-frame, the usual camcorder setting.
void UpdateTimecodeMode(const DvPackTable& table, std::int32_t& timecodeMode)
{
    const std::uint8_t* source = table.Find(kPackVauxSource);
    if (!source)
        return;
    if (source[3] & kVauxSource625Flag) {
        timecodeMode = zv::kTimecodeMode625;
        return;
    }
    const std::uint8_t* timecode = table.Find(kPackTimecode);
    if (!timecode || (timecode[1] & kTimecodeDropFlag))
        timecodeMode = zv::kTimecodeMode525Drop;
    else
        timecodeMode = zv::kTimecodeMode525;
}

}  // namespace

void ExtractPacks(DvPackTable& table, std::int32_t& timecodeMode, const std::uint8_t* frame, std::size_t length)
{
    table.MarkAllEmpty();
    const std::size_t sequences = frame ? length / kDifSequenceSize : 0;
    for (std::size_t s = 0; s < sequences; ++s) {
        const std::uint8_t* base = frame + s * kDifSequenceSize;
        for (const std::uint16_t offset : kPackOffsets) {
            const std::uint8_t* pack = base + offset;
            const std::uint8_t id = pack[0];
            if (id == kEmptyPackId)
                continue;
            DvPackTable::Entry& entry = table.entries[id];
            if (entry[0] != kEmptyPackId)
                continue;   // first occurrence in visiting order wins
            entry = {id, pack[1], pack[2], pack[3], pack[4]};
        }
    }
    UpdateTimecodeMode(table, timecodeMode);
}
