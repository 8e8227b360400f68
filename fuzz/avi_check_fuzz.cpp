// Arbitrary file heads through the open command's gate, the first-stream facts read beside it, and the
// index-claims check that stands before the playback pipeline. Heads that open with a DIF header block are
// raw DV streams: too short below one whole frame, their facts from the file's size alone.

#include "avi/dv_avi_check.h"
#include "avi/dv_container.h"
#include "avi/file_io.h"
#include "avi/index_claims.h"
#include "avi/stream_info.h"
#include "fuzz/memory_file.h"

#include <cstdint>
#include <cstdlib>

#include <fcntl.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);

    const DvAviCheckResult result = CheckDvAviFile(file.Path());
    if (result != Recognised && result != TooShort && result != NotDvAvi)
        std::abort();   // an in-memory file always opens and reads
    // (QuickTime heads answer to rules of their own.)
    const DvContainer container = DetectContainer(data, size);
    const bool raw = container == DvContainer::RawDv;
    const std::uint32_t rawFrame = raw ? DvFrameSystemOf(data).frameBytes : 0;
    const bool tooShort = raw ? size < rawFrame
                              : size < 164 || (size < 212 && data[108] == 'v' && data[109] == 'i' && data[110] == 'd'
                                               && data[111] == 's' && data[8] == 'A' && data[9] == 'V' && data[10] == 'I'
                                               && data[11] == ' ');
    if (container != DvContainer::QuickTime && ((result == TooShort) != tooShort || (raw && result == NotDvAvi)))
        std::abort();   // too short means exactly: the bytes the check needs are not all there

    FirstStreamInfo info;
    const bool read = ReadFirstStreamInfo(file.Path(), info);
    if (container != DvContainer::QuickTime && read != (raw || size >= 164))
        std::abort();
    if (raw && (info.container != DvContainer::RawDv || info.frameBytes != rawFrame || info.length != size / rawFrame))
        std::abort();   // a raw stream's facts: its frames counted from its size

    const zv::UniqueFd fd(::open(file.Path(), O_RDONLY | O_CLOEXEC));
    const IndexClaimsVerdict claims = CheckIndexClaims(fd.Get());
    // A refusal names a place inside the file; an overclaiming index (entries set) is a chunk whose bytes
    // are fewer than its entries need.
    if (!claims.fits
        && (claims.chunk < 0 || static_cast<std::uint64_t>(claims.chunk) >= size || claims.bytes < 0
            || claims.detail.empty()
            || (claims.entries != 0
                && static_cast<std::uint64_t>(claims.bytes) >= static_cast<std::uint64_t>(claims.entries) * 65535 * 4)))
        std::abort();
    return 0;
}
