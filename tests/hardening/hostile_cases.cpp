#include "tests/hardening/hostile_cases.h"

#include "tests/fixtures/camcorder_clip.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

using namespace fixture;

namespace hardening {

namespace {

constexpr int kBaseFrames = 3;

Bytes Load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

using Shared = std::shared_ptr<const BaseFile>;

HostileFile Cut(const Shared& base, std::uint64_t length)
{
    return {Bytes(base->bytes.begin(), base->bytes.begin() + static_cast<std::ptrdiff_t>(length)), 0, {}};
}

// Adds a case that replaces one 32-bit field of the base.
void AddField(std::vector<HostileCase>& cases, const Shared& base, const std::string& what, std::int64_t at,
              std::uint32_t value, bool playback, ExpectIndex index = ExpectIndex::Any, bool heavy = false)
{
    if (at < 0)
        return;
    cases.push_back({base->name + "/" + what + "=" + Hex(value), [base, at, value] {
                         HostileFile file{base->bytes, 0, {}};
                         Patch32(file.bytes, static_cast<std::uint64_t>(at), value);
                         return file;
                     },
                     heavy, playback, index});
}

// The 16-byte super index entry `entry` of the index chunk whose header is at `chunk`.
std::uint64_t SuperEntry(std::int64_t chunk, int entry)
{
    return static_cast<std::uint64_t>(chunk) + 8 + 24 + 16 * static_cast<std::uint64_t>(entry);
}

// Turns the index chunk at `chunk` into a super index with one entry pointing at the chunk header `target`.
void MakeSuper(Bytes& bytes, std::int64_t chunk, std::int64_t target)
{
    const auto header = static_cast<std::uint64_t>(chunk) + 8;
    Patch16(bytes, header, 4);         // wLongsPerEntry
    bytes[header + 2] = 0;              // bIndexSubType
    bytes[header + 3] = 0;              // bIndexType: super index
    Patch32(bytes, header + 4, 1);     // nEntriesInUse
    Patch64(bytes, SuperEntry(chunk, 0), static_cast<std::uint64_t>(target));
    Patch32(bytes, SuperEntry(chunk, 0) + 8, 32);
    Patch32(bytes, SuperEntry(chunk, 0) + 12, 1);
}

}  // namespace

void Patch16(Bytes& bytes, std::uint64_t at, std::uint16_t value)
{
    if (at + 2 > bytes.size())
        throw std::out_of_range("patch outside the file");
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Patch32(Bytes& bytes, std::uint64_t at, std::uint32_t value)
{
    if (at + 4 > bytes.size())
        throw std::out_of_range("patch outside the file");
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Patch64(Bytes& bytes, std::uint64_t at, std::uint64_t value)
{
    Patch32(bytes, at, static_cast<std::uint32_t>(value));
    Patch32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}

bool WriteHostileFile(const std::string& path, const HostileFile& file)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    auto put = [&](const Bytes& bytes, std::uint64_t at) {
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
            ok = n > 0;
            done += ok ? static_cast<std::size_t>(n) : 0;
        }
    };
    put(file.bytes, 0);
    if (ok && file.sparseSize > file.bytes.size())
        ok = ::ftruncate(fd, static_cast<off_t>(file.sparseSize)) == 0;
    for (const auto& [at, bytes] : file.farPatches)
        put(bytes, at);
    return ::close(fd) == 0 && ok;
}

BaseFile MakeBaseFile(const std::string& folder, const std::string& name, DvSystem system, AviLayout layout,
                      AviIndex index, std::size_t frameBytes, std::uint64_t riffLimit)
{
    ClipOptions clip;
    clip.system = system;
    clip.layout = layout;
    clip.index = index;
    clip.scenes = {{{2007, 3, 4, 12, 0, 0}, 2}, {{2007, 3, 4, 18, 30, 0}, kBaseFrames - 2}};
    AviWriterOptions options = ClipWriterOptions(clip);
    options.riffSizeLimit = riffLimit;
    FrameSource source = MakeCamcorderFrameSource(clip);
    if (frameBytes > 0) {
        source = [source, frameBytes](std::int64_t frame, std::size_t, std::vector<std::uint8_t>& data) {
            if (!source(frame, SIZE_MAX, data))
                return false;
            data.resize(frameBytes, 0x5A);
            return true;
        };
    }
    BaseFile base;
    base.name = name;
    const std::string path = folder + "/" + name + ".avi";
    std::string error;
    if (!WriteDvAvi(path, options, source, &base.layout, &error))
        throw std::runtime_error("cannot write " + path + ": " + error);
    base.bytes = Load(path);
    return base;
}

namespace {

// The first idx1 entry of the video stream.
std::uint64_t FirstVideoEntry(const BaseFile& base)
{
    auto at = static_cast<std::uint64_t>(base.layout.idx1) + 8;
    while (at + 16 <= base.bytes.size() && !(base.bytes[at] == '0' && base.bytes[at + 1] == '0'))
        at += 16;
    return at;
}

// Claims that no DV file backs, whatever its size: a frame chunk of 4 GiB over the hole of a sparse file,
// offsets whose data would start past 4 GiB, one frame listed a million times, a standard index where the
// super index belongs. Reader and pipeline must refuse each with the same sentence.
void AddUnbackedClaims(std::vector<HostileCase>& cases, const Shared& idx1, const Shared& odml)
{
    const std::uint64_t video = FirstVideoEntry(*idx1);
    const std::uint64_t table = static_cast<std::uint64_t>(idx1->layout.idx1);
    cases.push_back({idx1->name + "/idx1-frame-of-4GiB-sparse", [idx1, video] {
                         HostileFile file{idx1->bytes, 0, {}};
                         Patch32(file.bytes, video + 12, 0xFFFFFFF0u);
                         file.sparseSize = std::uint64_t{0x100000000} + 300u * 1024u * 1024u;   // 4.3 GB
                         return file;
                     }, true, true, ExpectIndex::Refused, 0, false, " lists a frame chunk of 4294967280 bytes; "});
    cases.push_back({idx1->name + "/idx1-offsets-wrap", [idx1, table] {
                         HostileFile file{idx1->bytes, 0, {}};
                         for (std::uint64_t at = table + 8; at + 16 <= file.bytes.size(); at += 16)
                             Patch32(file.bytes, at + 8, 0xFFFFFFF8u);
                         return file;
                     }, false, true, ExpectIndex::Refused, 0, false, ", whose data would start past 4 GiB."});
    cases.push_back({idx1->name + "/idx1-frame-0-a-million-times", [idx1, table, video] {
                         HostileFile file{idx1->bytes, 0, {}};
                         const Bytes entry(file.bytes.begin() + static_cast<std::ptrdiff_t>(video),
                                           file.bytes.begin() + static_cast<std::ptrdiff_t>(video + 16));
                         for (int i = 0; i < 1000000; ++i)
                             file.bytes.insert(file.bytes.end(), entry.begin(), entry.end());
                         Patch32(file.bytes, table + 4, static_cast<std::uint32_t>(file.bytes.size() - table - 8));
                         return file;
                     }, true, true, ExpectIndex::Refused, 0, false, " more than 1500 times in a row."});
    const auto super = static_cast<std::uint64_t>(odml->layout.superIndex);
    cases.push_back({odml->name + "/super-index-of-type-1", [odml, super] {
                         HostileFile file{odml->bytes, 0, {}};
                         file.bytes[super + 8 + 3] = 1;
                         return file;
                     }, false, true, ExpectIndex::Refused, 0, false, " is a standard index, not an index of indexes."});
}

// Stream lists without their stream header, and files without an index (the idx1 cut off), whose movi
// list the splitter walks chunk by chunk: its sizes meet the rules an index's do.
void AddHeaderlessStreamsAndIndexlessFiles(std::vector<HostileCase>& cases, const Shared& idx1)
{
    const std::uint64_t audioStrh = 88 + 8 + (idx1->bytes[92] | idx1->bytes[93] << 8) + 12;
    const auto cut = static_cast<std::size_t>(idx1->layout.idx1);
    const std::uint64_t frame0 = static_cast<std::uint64_t>(idx1->layout.videoChunks.front());
    const struct {
        const char* what;
        std::uint64_t at;
        std::uint32_t value;
        std::uint64_t sparseSize;
        ExpectIndex index;
        const char* refusal;
    } rows[] = {
        {"video-strh-missing", 100, 0xFFFFFFFFu, 0, ExpectIndex::Refused,
         "The video stream list at byte 88 has no stream header (strh) at byte 100"},
        {"video-strf-missing", 164, 0x4B4E554Au, 0, ExpectIndex::Refused, " has no stream format (strf) at byte 164"},
        {"video-width-negative", 176, 0xFFFFFFFFu, 0, ExpectIndex::Refused, " gives a picture width of -1; "},
        {"audio-strh-missing", audioStrh, 0xFFFFFFFFu, 0, ExpectIndex::Built, ""},   // plays without its sound
        {"no-index", 0, 0x46464952u, 0, ExpectIndex::Any, ""},
        {"no-index-frame-of-1MB", frame0 + 4, 1000000, 0, ExpectIndex::Any, " holds 1000000 bytes; no DV file has one over 148096."},
        {"no-index-frame-of-4GiB-sparse", frame0 + 4, 0xFFFFFFF0u, std::uint64_t{0x100000000} + 300u * 1024u * 1024u,
         ExpectIndex::Any, " holds 4294967280 bytes; no DV file has one over 148096."},
    };
    for (const auto& row : rows) {
        const bool indexless = std::string(row.what).starts_with("no-index");
        cases.push_back({idx1->name + "/" + row.what, [idx1, row, indexless, cut] {
                             HostileFile file{idx1->bytes, row.sparseSize, {}};
                             if (indexless)
                                 file.bytes.resize(cut);
                             Patch32(file.bytes, row.at, row.value);
                             return file;
                         }, row.sparseSize > 0, true, row.index, 0, false, row.refusal});
    }
}

}  // namespace

std::vector<HostileCase> HostileCases(const std::string& folder)
{
    std::vector<HostileCase> cases;
    const auto idx1 = std::make_shared<const BaseFile>(
        MakeBaseFile(folder, "pal_type2audio_idx1", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute));
    const auto relative = std::make_shared<const BaseFile>(
        MakeBaseFile(folder, "ntsc_type2_idx1rel", DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1MoviRelative));
    // One frame per RIFF form: three forms, three standard indexes under the super index.
    const auto odml = std::make_shared<const BaseFile>(MakeBaseFile(folder, "pal_type1_odml", DvSystem::Pal625,
                                                                    AviLayout::Type1, AviIndex::OpenDml, 0, 64 * 1024));
    const Shared bases[] = {idx1, relative, odml};

    // The bases themselves: the yardstick every damaged copy is measured against.
    for (const Shared& base : bases)
        cases.push_back({base->name + "/intact", [base] { return HostileFile{base->bytes, 0, {}}; }, false, true,
                         ExpectIndex::Built});

    // Every length of the first 4 KB.
    const std::uint64_t playbackCuts[] = {0, 8, 12, 100, 163, 164, 211, 212, 1000, 4095};
    for (const Shared& base : {idx1, odml}) {
        for (std::uint64_t length = 0; length < 4096; ++length) {
            bool playback = false;
            for (std::uint64_t c : playbackCuts)
                playback = playback || (c == length && base == idx1);
            cases.push_back({base->name + "/cut-head-" + std::to_string(length), [base, length] { return Cut(base, length); },
                             false, playback, ExpectIndex::Refused});
        }
    }

    // Every length inside the idx1 chunks and inside each standard index chunk (the file ends there).
    for (const Shared& base : {idx1, relative}) {
        const auto start = static_cast<std::uint64_t>(base->layout.idx1);
        for (std::uint64_t length = start; length < base->bytes.size(); ++length)
            cases.push_back({base->name + "/cut-idx1-" + std::to_string(length - start),
                             [base, length] { return Cut(base, length); }, false, length == start + 20, ExpectIndex::Refused});
    }
    for (std::size_t ix = 0; ix < odml->layout.standardIndexes.size(); ++ix) {
        const auto start = static_cast<std::uint64_t>(odml->layout.standardIndexes[ix]);
        const std::uint64_t chunkEnd = start + 8 + (odml->bytes[start + 4] | odml->bytes[start + 5] << 8);
        for (std::uint64_t length = start; length < chunkEnd && length < odml->bytes.size(); ++length)
            cases.push_back({odml->name + "/cut-ix" + std::to_string(ix) + "-" + std::to_string(length - start),
                             [length, odml] { return Cut(odml, length); },
                             false, length == start + 30 && ix + 1 == odml->layout.standardIndexes.size(),
                             ExpectIndex::Refused});
    }

    // Size fields of 0, 1, 0x7FFFFFFF and 0xFFFFFFFF.
    const std::uint32_t sizes[] = {0, 1, 0x7FFFFFFFu, 0xFFFFFFFFu};
    for (const Shared& base : bases) {
        const AviWriteResult& at = base->layout;
        std::vector<std::pair<std::string, std::int64_t>> fields = {
            {"riff-size", 4}, {"hdrl-size", 16}, {"avih-size", 28}, {"strl-size", 92}, {"strh-size", 104},
            {"strf-size", 168}, {"movi-size", at.moviLists.front() + 4}, {"frame0-size", at.videoChunks.front() + 4},
            {"frame-last-size", at.videoChunks.back() + 4}, {"idx1-size", at.idx1 < 0 ? -1 : at.idx1 + 4},
            {"indx-size", at.superIndex < 0 ? -1 : at.superIndex + 4}};
        if (!at.audioChunks.empty())
            fields.emplace_back("audio0-size", at.audioChunks.front() + 4);
        if (!at.standardIndexes.empty()) {
            fields.emplace_back("ix0-size", at.standardIndexes.front() + 4);
            fields.emplace_back("ix-last-size", at.standardIndexes.back() + 4);
        }
        if (at.riffForms.size() > 1)
            fields.emplace_back("avix-size", at.riffForms[1] + 4);
        for (const auto& [what, position] : fields)
            for (std::uint32_t value : sizes)
                // (A broken super index size costs the graph its full preroll wait: one such case is enough.)
                AddField(cases, base, what, position, value,
                         (value == 0xFFFFFFFFu || what == "frame0-size") && !(base == odml && what == "indx-size"));
    }

    // Entry counts whose product with the entry size overflows 32 bits, and entry sizes that make no sense.
    // Run in children: a reservation for the count claimed would show in their address space.
    // All go through the playback graph too, which must refuse the overclaiming ones before its splitter
    // reserves tables for them.
    const std::uint32_t counts[] = {0, 0x10000000u, 0x10000001u, 0x20000000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    for (std::uint32_t count : counts) {
        const ExpectIndex expect = ExpectIndex::Refused;
        AddField(cases, odml, "indx-count", odml->layout.superIndex + 8 + 4, count, true, expect, true);
        AddField(cases, odml, "ix0-count", odml->layout.standardIndexes.front() + 8 + 4, count, true,
                 count == 0 ? ExpectIndex::Any : expect, true);
        AddField(cases, odml, "ix-last-count", odml->layout.standardIndexes.back() + 8 + 4, count, true,
                 count == 0 ? ExpectIndex::Any : expect, true);
        for (std::size_t k = cases.size() - 3; k < cases.size(); ++k)
            cases[k].overclaims = count != 0;
    }
    for (std::uint16_t longs : {std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{0xFFFF}}) {
        cases.push_back({odml->name + "/indx-longs-per-entry=" + Hex(longs), [odml, longs] {
                             HostileFile file{odml->bytes, 0, {}};
                             Patch16(file.bytes, static_cast<std::uint64_t>(odml->layout.superIndex) + 8, longs);
                             return file;
                         }});
    }
    for (std::uint8_t type : {std::uint8_t{2}, std::uint8_t{0x80}, std::uint8_t{0xFF}})
        cases.push_back({odml->name + "/indx-type=" + Hex(type), [odml, type] {
                             HostileFile file{odml->bytes, 0, {}};
                             file.bytes[static_cast<std::uint64_t>(odml->layout.superIndex) + 8 + 3] = type;
                             return file;
                         }, false, type == 2});

    // Super indexes pointing at themselves, at each other, past the end, or nested.
    const std::int64_t super = odml->layout.superIndex;
    const std::vector<std::int64_t>& ix = odml->layout.standardIndexes;
    const auto fileSize = static_cast<std::int64_t>(odml->bytes.size());
    struct Pointing {
        const char* what;
        std::function<void(Bytes&)> damage;
        ExpectIndex index;
        bool playback;
    };
    const Pointing pointings[] = {
        {"indx-points-at-itself", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), super); }, ExpectIndex::Refused, true},
        {"indx-last-entry-at-itself", [=](Bytes& b) { Patch64(b, SuperEntry(super, static_cast<int>(ix.size()) - 1), super); },
         ExpectIndex::Refused, false},
        {"ix0-and-ix1-point-at-each-other", [=](Bytes& b) { MakeSuper(b, ix[0], ix[1]); MakeSuper(b, ix[1], ix[0]); },
         ExpectIndex::Refused, false},
        {"ix0-points-back-at-indx", [=](Bytes& b) { MakeSuper(b, ix[0], super); }, ExpectIndex::Refused, false},
        {"two-indx-entries-share-an-ix", [=](Bytes& b) { Patch64(b, SuperEntry(super, 1), ix[0]); }, ExpectIndex::Refused,
         false},
        {"indx-past-the-end", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), fileSize + 1000); }, ExpectIndex::Refused,
         true},
        {"indx-just-before-the-end", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), fileSize - 8); }, ExpectIndex::Refused,
         false},
        {"indx-at-max-int64", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), 0x7FFFFFFFFFFFFFFFull); },
         ExpectIndex::Refused, false},
        // All ones plus the chunk header wraps round to offset 7, which holds no index type: the entry adds nothing.
        {"indx-at-all-ones", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), ~0ull); }, ExpectIndex::Any, false},
        {"indx-at-negative", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), 0x8000000000000000ull); },
         ExpectIndex::Refused, false},
        {"indx-at-zero", [=](Bytes& b) { Patch64(b, SuperEntry(super, 0), 0); }, ExpectIndex::Any, false},
        // indx -> ix0 (now a super index) -> ix1 (standard), and indx -> ix2: two levels, as far as the reader
        // goes; but ix0's 16-byte entry overruns its 8-byte chunk, so reader and pipeline both refuse it.
        {"nested-2-deep", [=](Bytes& b) {
             MakeSuper(b, ix[0], ix[1]);
             Patch64(b, SuperEntry(super, 1), ix[2]);
             Patch32(b, static_cast<std::uint64_t>(super) + 8 + 4, 2);
         }, ExpectIndex::Refused, false},
        // indx -> ix0 -> ix1 -> ix2: three levels of super index.
        {"nested-3-deep", [=](Bytes& b) {
             MakeSuper(b, ix[0], ix[1]);
             MakeSuper(b, ix[1], ix[2]);
             Patch32(b, static_cast<std::uint64_t>(super) + 8 + 4, 1);
         }, ExpectIndex::Refused, true},
        {"ix0-base-past-the-end", [=](Bytes& b) { Patch64(b, static_cast<std::uint64_t>(ix[0]) + 8 + 12, 1ull << 40); },
         ExpectIndex::Refused, true},
        {"ix-last-base-negative", [=](Bytes& b) { Patch64(b, static_cast<std::uint64_t>(ix.back()) + 8 + 12, ~0ull - 100); },
         ExpectIndex::Any, true},
        {"ix0-entry-offset-all-ones", [=](Bytes& b) { Patch32(b, static_cast<std::uint64_t>(ix[0]) + 8 + 24, ~0u); },
         ExpectIndex::Refused, false},
    };
    for (const Pointing& p : pointings) {
        auto damage = p.damage;
        cases.push_back({odml->name + "/" + p.what, [odml, damage] {
                             HostileFile file{odml->bytes, 0, {}};
                             damage(file.bytes);
                             return file;
                         }, false, p.playback, p.index});
    }

    // idx1 entries past the end of the file or into the headers.
    for (const Shared& base : {idx1, relative}) {
        const auto table = static_cast<std::uint64_t>(base->layout.idx1) + 8;
        const std::size_t entries = (base->bytes.size() - table) / 16;
        struct Entry {
            const char* what;
            std::uint32_t offset;
            bool all;
            bool firstOnly;
        };
        const Entry targets[] = {{"past-the-end", static_cast<std::uint32_t>(base->bytes.size() + 4096), false, true},
                                 {"all-ones", 0xFFFFFFF0u, false, true},
                                 {"riff-header", 0, false, true},
                                 {"into-hdrl", 100, false, true},
                                 {"all-into-hdrl", 100, true, false},
                                 {"last-past-the-end", static_cast<std::uint32_t>(base->bytes.size()), false, false}};
        for (const Entry& target : targets) {
            cases.push_back({base->name + "/idx1-" + target.what, [base, table, entries, target] {
                                 HostileFile file{base->bytes, 0, {}};
                                 std::uint64_t lastVideo = 0;
                                 bool first = true;
                                 for (std::size_t e = 0; e < entries; ++e) {
                                     const std::uint64_t at = table + 16 * e;
                                     if (file.bytes[at] != '0' || file.bytes[at + 1] != '0')
                                         continue;
                                     lastVideo = at;
                                     if (target.all || (target.firstOnly && first))
                                         Patch32(file.bytes, at + 8, target.offset);
                                     first = false;
                                 }
                                 if (!target.all && !target.firstOnly)
                                     Patch32(file.bytes, lastVideo + 8, target.offset);
                                 return file;
                             }, false, true});
        }
    }

    // Frames of odd sizes, in an idx1 file with sound and in an OpenDML type-1 file.
    for (std::size_t frameBytes : {std::size_t{1}, std::size_t{11999}, std::size_t{12000}, std::size_t{1000000}}) {
        for (AviIndex index : {AviIndex::Idx1Absolute, AviIndex::OpenDml}) {
            const bool odmlIndex = index == AviIndex::OpenDml;
            const std::string name = std::string(odmlIndex ? "type1_odml" : "type2audio_idx1") + "_frames_of_"
                + std::to_string(frameBytes);
            const auto base = std::make_shared<const BaseFile>(MakeBaseFile(
                folder, name, DvSystem::Pal625, odmlIndex ? AviLayout::Type1 : AviLayout::Type2WithAudio, index, frameBytes));
            // Type-1 frames too short for the DV splitter cost the graph its full 10 s wait for pads: the
            // playback run takes one of them.
            const bool play = !odmlIndex || frameBytes == 1 || frameBytes >= 1000000;
            // Frames larger than any DV frame are refused by reader and pipeline alike, and so is a type-1
            // stream whose first frame is too short for the DV splitter to learn the frame size from.
            const bool huge = frameBytes >= 1000000;
            const bool short1 = odmlIndex && frameBytes < 120000;
            cases.push_back({name, [base] { return HostileFile{base->bytes, 0, {}}; }, huge, play,
                             huge || short1 ? ExpectIndex::Refused : ExpectIndex::Built, 0, false,
                             huge     ? " lists a frame chunk of 1000000 bytes; no DV file has one over 148096."
                             : short1 ? "; the first frame of a type-1 stream must be a whole DV frame of 120000 or 144000 bytes."
                                      : ""});
            if (frameBytes == 1) {
                // The same file with every frame chunk claiming 0 bytes.
                cases.push_back({name + "_claiming_0", [base] {
                                     HostileFile file{base->bytes, 0, {}};
                                     for (std::int64_t chunk : base->layout.videoChunks)
                                         Patch32(file.bytes, static_cast<std::uint64_t>(chunk) + 4, 0);
                                     return file;
                                 }, false, !odmlIndex});
            }
        }
    }

    // A type-1 stream whose DVINFO is 0 bytes: its 32 bytes become a JUNK chunk, so nothing after it moves.
    for (AviIndex index : {AviIndex::Idx1Absolute, AviIndex::OpenDml}) {
        const std::string name = std::string("type1_") + (index == AviIndex::OpenDml ? "odml" : "idx1") + "_dvinfo_0_bytes";
        const auto base = std::make_shared<const BaseFile>(MakeBaseFile(folder, name, DvSystem::Pal625, AviLayout::Type1, index));
        cases.push_back({name, [base] {
                             HostileFile file{base->bytes, 0, {}};
                             Patch32(file.bytes, 168, 0);
                             std::copy_n("JUNK", 4, file.bytes.begin() + 172);
                             Patch32(file.bytes, 176, 24);
                             return file;
                         }, false, true, ExpectIndex::Built});
    }

    // Large claims over the hole of a sparse file (no disk cost): refused before memory or time follows them.
    {
        const auto table = static_cast<std::uint64_t>(idx1->layout.idx1);
        cases.push_back({idx1->name + "/idx1-of-2GiB-sparse", [idx1, table] {
                             HostileFile file{idx1->bytes, 0, {}};
                             Patch32(file.bytes, table + 4, 0x7FFFFFF0u);
                             file.sparseSize = table + 8 + 0x7FFFFFF0u;
                             return file;
                         }, true, true, ExpectIndex::Refused, 0, false, " entries; a file of "});
        // 128 MiB of entries in the hole after the chunk, its size saying so: 16 M frames where 1,100 fit.
        const auto lastIx = static_cast<std::uint64_t>(odml->layout.standardIndexes.back());
        const std::uint32_t count = 0x01000000u;
        cases.push_back({odml->name + "/ix-last-of-128MiB-sparse", [odml, lastIx, count] {
                             HostileFile file{odml->bytes, 0, {}};
                             Patch32(file.bytes, lastIx + 4, 24 + 8 * count);
                             Patch32(file.bytes, lastIx + 8 + 4, count);
                             file.sparseSize = lastIx + 8 + 24 + std::uint64_t{8} * count + 4096;
                             return file;
                         }, true, true, ExpectIndex::Refused, 0, false, " brings the frames listed to 16777218; a file of "});
    }
    AddUnbackedClaims(cases, idx1, odml);
    AddHeaderlessStreamsAndIndexlessFiles(cases, idx1);
    AddRawDvCases(cases);
    AddQuickTimeCases(cases);
    return cases;
}

}  // namespace hardening
