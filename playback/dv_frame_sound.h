#pragma once
// Whether a DV frame carries sound: the AAUX source pack (0x50) and source control pack (0x51) in the
// first DIF sequence's audio blocks 3 and 4, where DV audio decoders read the sound's format. A frame
// without them (blank tape, a camcorder that recorded no sound) has no sound to play, and the DV
// splitter's audio decoder complains on stderr for every such frame it is given.

#include <cstddef>
#include <cstdint>

bool DvFrameCarriesSound(const std::uint8_t* frame, std::size_t size);
