#pragma once
// The AVI headers for frames that came with none (a raw DV stream; any wrapper whose frames the frame
// index lists without AVI headers): a type-1 file of one interleaved 'iavs'/'dvsd' stream, whose DVINFO
// holds the first frame's AAUX and VAUX source and control packs as capture tools store them.

#include <cstddef>
#include <cstdint>

#include "avi/dv_container.h"
#include "export/avi_format.h"

namespace zv {

// DVINFO's eight DWORDs from a whole DV frame of `system`: the AAUX source and control packs of the first
// and the second half of the frame's DIF sequences, the VAUX source and control packs, two reserved zeros.
// A pack missing from the frame gives 0xFFFFFFFF (all its bytes unrecorded). Each DWORD is PC1..PC4 of the
// pack, little-endian.
void DvInfoOfFrame(const std::uint8_t* frame, std::size_t size, const DvFrameSystem& system, std::uint8_t (&dvInfo)[32]);

// The main header, stream header and DVINFO of a type-1 file for frames of `system` (counts, lengths and
// buffer sizes are the writer's to fill). Chunk id "00dc", as every DV AVI file the player reads names its frames.
AviFormat HeaderlessAviFormat(const std::uint8_t* firstFrame, std::size_t size, const DvFrameSystem& system);

}  // namespace zv
