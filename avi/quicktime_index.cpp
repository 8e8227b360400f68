// The frame index of DV in QuickTime: the first video track's samples, placed by its chunk offsets
// (stco / co64), its sample-to-chunk runs (stsc) and its sample sizes (stsz), and timed by stts.

#include "avi/quicktime_index.h"

#include "avi/array_growth.h"
#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/index_claims.h"
#include "avi/quicktime_table.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <numeric>
#include <string>
#include <utility>

namespace {

using zv::FourCC;
using zv::LoadBe32;
using zv::QtBox;
using zv::QtBoxRead;

constexpr std::uint32_t kQtFrameBytes525 = 120000;
constexpr std::uint32_t kQtFrameBytes625 = 144000;
constexpr std::size_t kQtFrameOffsetStep = 750;
constexpr std::size_t kMaxQtFrames = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// The sample size stsz gives for the first sample: the constant size, else the first entry.
bool FirstSampleSize(int fd, const QtBox& stbl, std::int64_t fileSize, std::uint32_t& out)
{
    QtBox stsz;
    if (zv::FindChildBox(fd, stbl, fileSize, FourCC("stsz"), stsz) != QtBoxRead::Found)
        return false;
    CQuickTimeTable sizes(fd, stsz, 8, 4);
    const bool entriesFit = sizes.Start();
    out = LoadBe32(sizes.Header() + 4);
    if (out != 0 || sizes.Count() == 0)
        return stsz.DataBytes() >= 12;
    if (!entriesFit)
        return false;
    const std::uint8_t* first = sizes.Next();
    out = first != nullptr ? LoadBe32(first) : 0;
    return first != nullptr;
}

std::string At(const char* box, const QtBox& where)
{
    return std::string("The ") + box + " box at byte " + std::to_string(where.start);
}

// Everything one build needs while it walks the tables.
struct IndexBuild {
    int fd = -1;
    std::int64_t fileSize = 0;
    std::size_t limit = 0;     // the most frames kept
    QtBox stbl;
    QuickTimeDvIndex& out;
    std::string& problem;

    bool Refuse(std::string text)
    {
        problem = std::move(text);
        return false;
    }
    bool Find(const char* type, QtBox& box)
    {
        return zv::FindChildBox(fd, stbl, fileSize, zv::LoadLe32(reinterpret_cast<const std::uint8_t*>(type)), box)
            == QtBoxRead::Found;
    }
};

// stsz: the count of samples, each of which must be one DV frame of the track's system.
bool ReadSampleSizes(IndexBuild& build)
{
    QtBox stsz;
    if (!build.Find("stsz", stsz))
        return build.Refuse("The video track has no stsz box.");
    CQuickTimeTable header(build.fd, stsz, 8, 0);
    if (!header.Start())
        return build.Refuse(At("stsz", stsz) + " is too small for its header.");
    build.out.claimedFrames = header.Count();
    const std::uint32_t constant = LoadBe32(header.Header() + 4);
    const std::uint32_t frameBytes = build.out.system.frameBytes;
    if (constant != 0)
        return constant == frameBytes
            || build.Refuse(At("stsz", stsz) + " gives samples of " + std::to_string(constant)
                            + " bytes; a DV frame of this system is " + std::to_string(frameBytes) + ".");
    CQuickTimeTable sizes(build.fd, stsz, 8, 4);
    if (!sizes.Start())
        return build.Refuse(At("stsz", stsz) + " claims " + std::to_string(sizes.Count()) + " samples; it holds "
                            + std::to_string((stsz.DataBytes() - 12) / 4) + ".");
    for (std::uint32_t n = 0; const std::uint8_t* entry = sizes.Next(); ++n) {
        if (LoadBe32(entry) != frameBytes)
            return build.Refuse("Sample " + std::to_string(n) + " of the video track is " + std::to_string(LoadBe32(entry))
                                + " bytes; a DV frame of this system is " + std::to_string(frameBytes) + ".");
    }
    return !sizes.Failed();
}

// One stsc entry: the first chunk (counted from 1) of a run and the samples in each of its chunks.
struct ChunkRun {
    std::uint64_t firstChunk = 0;
    std::uint32_t samples = 0;
};

class CChunkRuns {
public:
    CChunkRuns(IndexBuild& build, const QtBox& stsc) : m_build(build), m_stsc(stsc), m_table(build.fd, stsc, 4, 12) {}

    bool Start()
    {
        if (!m_table.Start())
            return m_build.Refuse(At("stsc", m_stsc) + " claims " + std::to_string(m_table.Count())
                                  + " entries; it holds " + std::to_string(std::max<std::int64_t>(m_stsc.DataBytes() - 8, 0) / 12) + ".");
        if (!Load(m_next) || m_next.firstChunk != 1)
            return m_build.Refuse(At("stsc", m_stsc) + " does not start at the first chunk.");
        return true;
    }
    // The samples in chunk (counted from 1, rising by one each call); false when the runs go backwards.
    bool SamplesIn(std::uint64_t chunk, std::uint32_t& samples)
    {
        while (m_bHaveNext && m_next.firstChunk <= chunk) {
            m_current = m_next;
            if (Load(m_next) && m_next.firstChunk <= m_current.firstChunk)
                return m_build.Refuse(At("stsc", m_stsc) + " goes back to chunk " + std::to_string(m_next.firstChunk)
                                      + " after chunk " + std::to_string(m_current.firstChunk) + ".");
        }
        samples = m_current.samples;
        return !m_table.Failed();
    }

private:
    bool Load(ChunkRun& run)
    {
        const std::uint8_t* entry = m_table.Next();
        m_bHaveNext = entry != nullptr;
        if (entry != nullptr)
            run = ChunkRun{LoadBe32(entry), LoadBe32(entry + 4)};
        return m_bHaveNext;
    }

    IndexBuild& m_build;
    QtBox m_stsc;
    CQuickTimeTable m_table;
    ChunkRun m_current;
    ChunkRun m_next;
    bool m_bHaveNext = false;
};

bool KeepFrame(IndexBuild& build, std::int64_t position)
{
    std::vector<std::int64_t>& offsets = build.out.frameOffsets;
    if (offsets.size() >= build.limit)
        return build.Refuse("The video track lists more than " + std::to_string(build.limit) + " frames; a file of "
                            + std::to_string(build.fileSize) + " bytes holds no more.");
    zv::GrowInSteps(offsets, 1, kQtFrameOffsetStep);
    offsets.push_back(position);
    return true;
}

// Places every listed sample: chunk by chunk, each chunk's samples one frame after another. A sample
// whose frame does not lie whole within the file is dropped with the rest of its chunk.
bool PlaceSamples(IndexBuild& build)
{
    QtBox stsc, chunks;
    const bool wide = !build.Find("stco", chunks);
    if (wide && !build.Find("co64", chunks))
        return build.Refuse("The video track has neither an stco nor a co64 box.");
    if (!build.Find("stsc", stsc))
        return build.Refuse("The video track has no stsc box.");
    CQuickTimeTable offsets(build.fd, chunks, 4, wide ? 8 : 4);
    if (!offsets.Start())
        return build.Refuse(At(wide ? "co64" : "stco", chunks) + " claims " + std::to_string(offsets.Count())
                            + " chunks; it holds " + std::to_string(std::max<std::int64_t>(chunks.DataBytes() - 8, 0) / (wide ? 8 : 4)) + ".");
    CChunkRuns runs(build, stsc);
    if (!runs.Start())
        return false;
    const std::uint64_t frameBytes = build.out.system.frameBytes;
    const auto lastStart = static_cast<std::uint64_t>(build.fileSize) - std::min<std::uint64_t>(frameBytes, build.fileSize);
    std::uint64_t placed = 0;
    for (std::uint64_t chunk = 1; placed < build.out.claimedFrames; ++chunk) {
        const std::uint8_t* entry = offsets.Next();
        std::uint32_t samples = 0;
        if (entry == nullptr)
            break;
        if (!runs.SamplesIn(chunk, samples))
            return false;
        const std::uint64_t start = wide ? zv::LoadBe64(entry) : LoadBe32(entry);
        const std::uint64_t count = std::min<std::uint64_t>(samples, build.out.claimedFrames - placed);
        placed += count;
        // Frames fit while start + j x frameBytes <= lastStart; no product here can overflow.
        const std::uint64_t fitting = start > lastStart || build.fileSize < static_cast<std::int64_t>(frameBytes)
                                    ? 0 : (lastStart - start) / frameBytes + 1;
        for (std::uint64_t j = 0; j < std::min(count, fitting); ++j) {
            if (!KeepFrame(build, static_cast<std::int64_t>(start + j * frameBytes)))
                return false;
        }
    }
    return !offsets.Failed();
}

// stts: the frames' durations, kept as runs for the frames the index holds.
void ReadTimes(IndexBuild& build)
{
    QuickTimeDvIndex& out = build.out;
    const auto frames = static_cast<std::int64_t>(out.frameOffsets.size());
    QtBox stts;
    bool usable = out.timescale != 0 && build.Find("stts", stts);
    CQuickTimeTable table(build.fd, stts, 4, 8);
    usable = usable && table.Start();
    std::int64_t frame = 0, time = 0;
    while (usable && frame < frames) {
        const std::uint8_t* entry = table.Next();
        if (entry == nullptr)
            break;
        const std::uint32_t count = LoadBe32(entry), duration = LoadBe32(entry + 4);
        if (count == 0)
            continue;
        usable = duration != 0;
        out.timeRuns.push_back(QuickTimeTimeRun{frame, time, duration});
        // Only the frames held count: under 2^31 of them, each under 2^32 units long, stays below 2^63.
        const std::int64_t held = std::min<std::int64_t>(count, frames - frame);
        frame += held;
        time += held * duration;
    }
    if (usable && !out.timeRuns.empty() && !table.Failed())
        return;
    // The DV system's own rate: 25 frames/s, or 30000/1001.
    out.timescale = out.system.is625 ? 25 : 30000;
    out.timeRuns.assign(1, QuickTimeTimeRun{0, 0, out.system.is625 ? 1u : 1001u});
}

}  // namespace

QuickTimeDvVerdict CheckQuickTimeDv(int fd, std::int64_t fileSize, QuickTimeMovie* movie, QuickTimeDvSystem& system)
{
    QuickTimeMovie own;
    QuickTimeMovie& found = movie != nullptr ? *movie : own;
    switch (LookAtQuickTime(fd, fileSize, found)) {
    case QuickTimeLook::NotQuickTime: return QuickTimeDvVerdict::NotQuickTime;
    case QuickTimeLook::TooShort: return QuickTimeDvVerdict::TooShort;
    case QuickTimeLook::ReadFailed: return QuickTimeDvVerdict::ReadFailed;
    case QuickTimeLook::Damaged: return QuickTimeDvVerdict::NotDv;
    case QuickTimeLook::Movie: break;
    }
    const QuickTimeTrack& video = found.video;
    const bool is625 = video.format == FourCC("dvcp");
    if (!video.found || (!is625 && video.format != FourCC("dvc ")))
        return QuickTimeDvVerdict::NotDv;
    std::uint32_t sampleBytes = 0;
    const std::uint32_t frameBytes = is625 ? kQtFrameBytes625 : kQtFrameBytes525;
    if (!FirstSampleSize(fd, video.sampleTable, fileSize, sampleBytes) || sampleBytes != frameBytes)
        return QuickTimeDvVerdict::NotDv;
    system = QuickTimeDvSystem{is625, frameBytes};
    return QuickTimeDvVerdict::Dv;
}

bool BuildQuickTimeDvIndex(int fd, QuickTimeDvIndex& out, std::string& problem)
{
    out = QuickTimeDvIndex{};
    problem.clear();
    errno = 0;
    const std::int64_t fileSize = zv::FileSize(fd);
    QuickTimeMovie movie;
    if (fileSize < 0)
        return false;
    const QuickTimeDvVerdict verdict = CheckQuickTimeDv(fd, fileSize, &movie, out.system);
    if (verdict == QuickTimeDvVerdict::ReadFailed)
        return false;
    if (verdict != QuickTimeDvVerdict::Dv) {
        problem = "The file holds no DV video track in QuickTime form.";
        return false;
    }
    out.sound = movie.sound;
    out.timescale = movie.video.timescale;
    IndexBuild build{fd, fileSize, static_cast<std::size_t>(std::min<std::uint64_t>(kMaxQtFrames, MaxFrameListings(fileSize))),
                     movie.video.sampleTable, out, problem};
    try {
        if (!ReadSampleSizes(build) || !PlaceSamples(build))
            return false;
        if (out.frameOffsets.empty())
            return build.Refuse("The video track lists " + std::to_string(out.claimedFrames)
                                + " frames; none of them lies within the file.");
        ReadTimes(build);
    } catch (const std::bad_alloc&) {
        return build.Refuse("There is not enough memory for the frame index.");
    }
    return true;
}

void QuickTimeFrameRate(const QuickTimeDvIndex& index, std::uint32_t& rate, std::uint32_t& scale)
{
    const std::uint32_t duration = index.timeRuns.empty() ? 0 : index.timeRuns.front().duration;
    const std::uint32_t common = std::gcd(index.timescale, duration);
    rate = common != 0 ? index.timescale / common : 0;
    scale = common != 0 ? duration / common : 0;
}

std::int64_t QuickTimeFrameTime(const QuickTimeDvIndex& index, std::int64_t frame)
{
    const auto after = std::upper_bound(index.timeRuns.begin(), index.timeRuns.end(), frame,
                                        [](std::int64_t f, const QuickTimeTimeRun& run) { return f < run.firstFrame; });
    if (after == index.timeRuns.begin())
        return 0;
    const QuickTimeTimeRun& run = *std::prev(after);
    return run.firstTime + (frame - run.firstFrame) * run.duration;
}

std::int64_t QuickTimeFrameMilliseconds(const QuickTimeDvIndex& index, std::int64_t frame)
{
    const std::int64_t time = QuickTimeFrameTime(index, frame);
    const std::int64_t units = index.timescale;   // never 0 once built
    return time / units * 1000 + time % units * 1000 / units;   // no product beyond 2^63
}
