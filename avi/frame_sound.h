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

// Whether the DV splitter's audio decoder may be given this frame of a stream of the given system: a frame
// without sound packs always, else one whose header block names that system and whose sound source packs
// (in the first DIF sequence and the first of the second channel) name it too, with a sampling frequency,
// quantisation and sample count that system records. The decoder trusts those fields to size its work: a
// frame of the other system, or a frame's worth of bytes that starts mid-frame, makes it read and write
// outside its buffers.
bool DvFrameSoundIsDecodable(const std::uint8_t* frame, std::size_t size, bool is625);

// Marks every sound pack of the frame absent: the frame plays silent, its picture untouched.
void SilenceDvFrame(std::uint8_t* frame, std::size_t size);

// Whether any frame of the file carries sound, judged from a sample: the first frames and frames spread
// evenly over the whole file, so a capture that starts on blank tape still plays the sound that follows.
// Failure policy: a file whose index cannot be built, or whose sampled frames cannot be read, counts as
// silent (the caller has already judged its first frame).
bool FileFramesCarrySound(const char* path);
