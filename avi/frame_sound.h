#pragma once
// Whether DV frames carry sound: the AAUX source pack (0x50) and source control pack (0x51) in the first
// DIF sequence's audio blocks 3 and 4, where DV audio decoders read the sound's format. A frame without
// them (blank tape, a camcorder that recorded no sound) has no sound to play, and the DV splitter's audio
// decoder complains on stderr for every such frame it is given.

#include <array>
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

// The sound format a frame records, where the DV splitter's audio decoder reads it: the first sequence's
// AAUX source pack (0x50) and source control pack (0x51), five bytes each.
struct DvSoundPacks {
    std::array<std::uint8_t, 5> source{};
    std::array<std::uint8_t, 5> control{};
};

// Whether that decoder takes the frame's sound as recorded and without a word on stderr: both packs there
// and decodable (above), the frame of the system's size, at the speed the decoder plays (forward, normal
// speed). It prints a line for
// every other frame it is given, the silent ones first of all.
bool DvFrameSoundPlays(const std::uint8_t* frame, std::size_t size, bool is625);

// The packs of a frame of at least kSoundProbeBytes.
DvSoundPacks DvFramePacks(const std::uint8_t* frame);

// Whether packs name a sound format the decoder takes in a stream of the given system.
bool DvSoundPacksFit(const DvSoundPacks& packs, bool is625);

// Silence at 48 kHz, 16 bits, two channels, a frame's worth of samples: for a stream whose sound format
// is not known yet.
DvSoundPacks DefaultSilencePacks(bool is625);

// Gives the frame sound the decoder takes quietly, all of it silence (packs of the system its size is the
// frame of: the decoder works through as many sequences as that system has, and sound packs of the other
// system would send it outside its tables): every audio block's samples zero,
// the source and control packs in every sequence (blocks 3-4 of even sequences, 0-1 of odd ones, where
// camcorders put them), the other AAUX packs and the picture untouched. The control pack never marks a
// recording start, so a stretch of silence does not make the sound start over.
void FillDvFrameWithSilence(std::uint8_t* frame, std::size_t size, const DvSoundPacks& packs);

// The bytes after the ID of every audio block of a frame (12 sequences of 9 at most): what
// FillDvFrameWithSilence changes, saved to put the frame back as it was recorded.
inline constexpr std::size_t kDvAudioBlockBytes = 12 * 9 * 77;
using DvFrameSound = std::array<std::uint8_t, kDvAudioBlockBytes>;
void SaveDvFrameSound(const std::uint8_t* frame, std::size_t size, DvFrameSound& saved);
void RestoreDvFrameSound(std::uint8_t* frame, std::size_t size, const DvFrameSound& saved);

// Whether any frame of the file carries sound, judged from a sample: the first frames and frames spread
// evenly over the whole file, so a capture that starts on blank tape still plays the sound that follows.
// Failure policy: a file whose index cannot be built, or whose sampled frames cannot be read, counts as
// silent (the caller has already judged its first frame).
bool FileFramesCarrySound(const char* path);
// The same sample; packs receives the packs of the first frame found with sound.
bool FindFileSoundPacks(const char* path, DvSoundPacks& packs);
