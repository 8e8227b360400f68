#pragma once
// The hostile files: valid fixture files damaged at exact places (cut short, size fields and entry counts
// replaced, indexes pointed at themselves, at each other or outside the file, frames of odd sizes), each
// generated on demand so thousands of cases cost one file's memory at a time.

#include "tests/fixtures/avi_writer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace hardening {

using Bytes = std::vector<std::uint8_t>;

// A file's bytes, then optionally a hole up to sparseSize with patches written beyond the bytes.
struct HostileFile {
    Bytes bytes;
    std::uint64_t sparseSize = 0;
    std::vector<std::pair<std::uint64_t, Bytes>> farPatches;
};

// What the reader's index must make of the file, where the damage leaves no doubt.
enum class ExpectIndex { Any, Built, Refused };

struct HostileCase {
    std::string name;
    std::function<HostileFile()> make;
    bool heavy = false;      // large or slow: run in a child process of its own
    bool playback = false;   // also through the playback graph
    ExpectIndex index = ExpectIndex::Any;
    // Memory the file may rightly cost beyond the common bound: the frame index holds 8 bytes for every frame
    // the file's index declares, however many that is.
    std::int64_t declaredFramesKiB = 0;
    // An index claims more entries than its chunk holds: the playback graph must refuse the file before its
    // splitter sizes tables from the claim.
    bool overclaims = false;
    // A claim no DV file can back: the index refusal of the report commands and the playback graph's
    // refusal must both say this (a part of the sentence), before anything is sized by the claim.
    std::string refusal{};
};

// A valid file the cases start from, with the positions of everything in it.
struct BaseFile {
    std::string name;
    Bytes bytes;
    fixture::AviWriteResult layout;
};

// Writes the base files into folder (kept for the suite's lifetime) and returns every case.
std::vector<HostileCase> HostileCases(const std::string& folder);

// The raw DV streams among the cases (raw_dv_cases.cpp).
void AddRawDvCases(std::vector<HostileCase>& cases);
// The QuickTime movies among them (quicktime_cases.cpp).
void AddQuickTimeCases(std::vector<HostileCase>& cases);

// Writes the file (sparse where it has a hole). False when the system refuses.
bool WriteHostileFile(const std::string& path, const HostileFile& file);

// A base file written by the fixture writer: 3 camcorder frames of frameBytes each (the whole frame
// when 0), two scenes. OpenDML files use RIFF forms of riffLimit bytes.
BaseFile MakeBaseFile(const std::string& folder, const std::string& name, fixture::DvSystem system,
                      fixture::AviLayout layout, fixture::AviIndex index, std::size_t frameBytes = 0,
                      std::uint64_t riffLimit = fixture::kDefaultRiffSizeLimit);

void Patch16(Bytes& bytes, std::uint64_t at, std::uint16_t value);
void Patch32(Bytes& bytes, std::uint64_t at, std::uint32_t value);
void Patch64(Bytes& bytes, std::uint64_t at, std::uint64_t value);

}  // namespace hardening
