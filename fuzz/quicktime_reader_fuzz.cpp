// Arbitrary files through the QuickTime side of the player: the check, the frame index from the sample
// tables, the first-stream facts, and the reader's scene scan over the frames it kept.

#include "avi/dv_avi_check.h"
#include "avi/dv_avi_reader.h"
#include "avi/index_claims.h"
#include "avi/quicktime_index.h"
#include "avi/stream_info.h"
#include "fuzz/memory_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);
    const auto fileSize = static_cast<std::int64_t>(size);

    const DvAviCheckResult check = CheckDvAviFile(file.Path());
    CDvAviReader reader;
    if (!reader.Open(file.Path()) || reader.Container() != DvContainer::QuickTime || !reader.BuildIndex())
        return 0;
    if (check != Recognised)
        std::abort();   // an index is only ever built for a file the check accepts
    const std::vector<std::int64_t>& offsets = reader.FrameOffsets();
    const std::uint32_t frameBytes = reader.FrameBytes();
    if (offsets.empty() || offsets.size() > MaxFrameListings(fileSize) || offsets.size() > reader.QuickTimeTrack().claimedFrames
        || (frameBytes != 120000 && frameBytes != 144000))
        std::abort();
    for (const std::int64_t offset : offsets) {
        if (offset < 0 || offset > fileSize - frameBytes)
            std::abort();   // every kept frame lies whole in the file
    }
    FirstStreamInfo info;
    if (!ReadFirstStreamInfo(file.Path(), info) || info.length != offsets.size() || info.rate == 0 || info.scale == 0)
        std::abort();
    const QuickTimeDvIndex& track = reader.QuickTimeTrack();
    const auto last = static_cast<std::int64_t>(offsets.size()) - 1;
    if (last > 0 && QuickTimeFrameTime(track, last) <= QuickTimeFrameTime(track, last - 1))
        std::abort();   // frame times rise
    reader.ScanScenes(nullptr);
    return 0;
}
