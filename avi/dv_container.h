#pragma once
// Which wrapper holds a file's DV frames, told from the file's first bytes and never from its name: an AVI
// RIFF form, a raw DV stream (frames back to back), or a QuickTime/ISO file. Every part that reads a file
// (the check, the reader's frame index, the first-stream facts, the playback graph) branches on this one
// decision.

#include <cstddef>
#include <cstdint>

#include "avi/dv_avi_check.h"

enum class DvContainer : std::uint8_t {
    Avi,         // RIFF 'AVI ' form, and every file no other wrapper claims (the AVI rules then judge it)
    RawDv,       // DIF sequences one after another, no headers of their own
    QuickTime,   // ISO base media / QuickTime atoms at the top level
};

// The television system a DV frame's header block names with its DSF bit, and what follows from it.
struct DvFrameSystem {
    bool is625 = true;                 // 625 lines, 50 fields a second; else 525/60
    std::uint32_t frameBytes = 0;      // 144000 or 120000: twelve or ten DIF sequences of 12000 bytes
    std::uint32_t rate = 0;            // frames per second as rate / scale: 25 / 1 or 30000 / 1001
    std::uint32_t scale = 0;
};

// The system of the frame whose header block is at `dif` (at least 4 bytes): DSF is bit 7 of byte 3.
DvFrameSystem DvFrameSystemOf(const std::uint8_t* dif);

// True when head (size bytes of the file's start) opens with the header block of DIF sequence 0: ID bytes
// 0x1F (header section), DIF sequence 0 on the first channel, block number 0.
bool StartsWithDifHeader(const std::uint8_t* head, std::size_t size);

// True when the file's first atom is one a QuickTime or ISO file starts with ('ftyp', 'moov', 'mdat',
// 'wide', 'free' at offset 4). A RIFF file never is.
bool LooksLikeQuickTime(const std::uint8_t* head, std::size_t size);

// The wrapper of a file whose first size bytes are head. Files that fit none come out as Avi, so the AVI
// rules refuse them exactly as they always have.
DvContainer DetectContainer(const std::uint8_t* head, std::size_t size);

// "AVI", "raw DV", "QuickTime".
const char* DvContainerName(DvContainer container);

// The file check's answer for a raw DV file already open on fd: Recognised when the file holds at least one
// whole frame of the system its first header block names, TooShort when it holds less, ReadFailed when its
// size cannot be read (errno set).
DvAviCheckResult CheckRawDvFile(int fd, const std::uint8_t* head, std::size_t size);

// The file check's answer for a QuickTime-looking file already open on fd (position unspecified):
// Recognised when its first video track holds DV25 frames of the size its system gives, TooShort when the
// file ends before its movie box does, ReadFailed when a read fails (errno set), else NotDvAvi.
DvAviCheckResult CheckQuickTimeDvFile(int fd);
