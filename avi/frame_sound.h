#pragma once
// Whether DV frames carry sound: the AAUX source pack (0x50) and source control pack (0x51) in the first
// DIF sequence's audio blocks 3 and 4, where DV audio decoders read the sound's format. A frame without
// them (blank tape, a camcorder that recorded no sound) has no sound to play, and the DV splitter's audio
// decoder complains on stderr for every such frame it is given.

#include <cstddef>
#include <cstdint>

// The bytes of a frame's start that DvFrameCarriesSound needs.
inline constexpr std::size_t kSoundProbeBytes = 71 * 80;

bool DvFrameCarriesSound(const std::uint8_t* frame, std::size_t size);

// Whether any frame of the file carries sound, judged from a sample: the first frames and frames spread
// evenly over the whole file, so a capture that starts on blank tape still plays the sound that follows.
// Failure policy: a file whose index cannot be built, or whose sampled frames cannot be read, counts as
// silent (the caller has already judged its first frame).
bool FileFramesCarrySound(const char* path);
