// Arbitrary file heads through the open command's gate and the first-stream facts read beside it.

#include "avi/dv_avi_check.h"
#include "avi/stream_info.h"
#include "fuzz/memory_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);

    const DvAviCheckResult result = CheckDvAviFile(file.Path());
    if (result != Recognised && result != TooShort && result != NotDvAvi)
        std::abort();   // an in-memory file always opens and reads
    if ((result == TooShort) != (size < 164 || (size < 212 && data[108] == 'v' && data[109] == 'i'
                                                 && data[110] == 'd' && data[111] == 's' && data[8] == 'A'
                                                 && data[9] == 'V' && data[10] == 'I' && data[11] == ' ')))
        std::abort();   // too short means exactly: the bytes the check needs are not all there

    FirstStreamInfo info;
    const bool read = ReadFirstStreamInfo(file.Path(), info);
    if (read != (size >= 164))
        std::abort();
    return 0;
}
