// Arbitrary files through the player's own reader: the frame index from idx1 or the OpenDML indexes, the
// scene scan over every indexed frame, and the scene lookups the scene buttons make. A raw DV stream's index
// is computed from its size: whole frames back to back, the rest counted as a partial frame.

#include "avi/dv_avi_reader.h"
#include "fuzz/memory_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);

    CDvAviReader reader;
    if (!reader.Open(file.Path()))
        return 0;
    if (!reader.BuildIndex())
        return 0;
    const auto frames = static_cast<std::int64_t>(reader.FrameOffsets().size());
    if (frames == 0)
        std::abort();   // a successful build always finds a frame
    if (const std::int64_t frameBytes = reader.FrameBytes(); frameBytes != 0) {
        const auto whole = static_cast<std::int64_t>(size) / frameBytes;
        if (frames != whole || reader.TrailingBytes() != static_cast<std::int64_t>(size) - whole * frameBytes
            || reader.FrameOffsets().back() != (frames - 1) * frameBytes)
            std::abort();
    }
    if (reader.ScanScenes(nullptr)) {
        std::int32_t previous = 0;
        for (const std::int32_t start : reader.SceneStarts()) {
            if (start <= previous || start >= frames)
                std::abort();   // scene starts rise strictly and name indexed frames
            previous = start;
        }
        for (const std::int64_t frame : {std::int64_t{0}, frames / 2, frames - 1}) {
            const std::int64_t next = reader.NextSceneStart(frame);
            const std::int64_t before = reader.PreviousSceneStart(frame);
            if (next < 0 || next >= frames || before < 0 || before > frame)
                std::abort();
        }
    }
    reader.Close();
    if (!reader.FrameOffsets().empty() || reader.IsOpen())
        std::abort();
    return 0;
}
