// Arbitrary files through the checks that decide whether the playback pipeline may see a file, and the
// frame index that applies the same rule: a refusal names a place inside the file and says why, the
// frame index refuses exactly what the checks refuse and with the same sentence, and no index keeps more
// frames than the file can hold (libFuzzer's malloc limit catches anything sized by a claim instead).

#include "avi/dv_avi_reader.h"
#include "avi/file_io.h"
#include "avi/index_claims.h"
#include "fuzz/memory_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zvfuzz::MemoryFile& file = zvfuzz::InputFile();
    file.Assign(data, size);

    IndexClaimsVerdict claims;
    {
        const zv::UniqueFd fd(::open(file.Path(), O_RDONLY | O_CLOEXEC));
        claims = CheckIndexClaims(fd.Get());
    }
    if (!claims.fits
        && (claims.chunk < 0 || static_cast<std::uint64_t>(claims.chunk) >= size || claims.detail.empty()
            || DescribeIndexClaims(claims) != claims.detail || claims.detail.compare(0, 4, "The ") != 0))
        std::abort();   // a refusal points into the file and says what is wrong there

    CDvAviReader reader;
    errno = 0;
    if (!reader.Open(file.Path()))
        return 0;   // fewer bytes than the header
    const bool built = reader.BuildIndex();
    const int code = errno;
    if (!claims.fits && (built || reader.IndexProblem() != claims.detail))
        std::abort();   // one rule for the pipeline and the readers
    if (built && (reader.FrameOffsets().empty() || !reader.IndexProblem().empty()
                  || reader.FrameOffsets().size() > MaxFrameListings(static_cast<std::int64_t>(size))))
        std::abort();
    if (!built && code == 0 && reader.IndexProblem().empty())
        std::abort();   // without a system code, only the sentence tells the user what was wrong
    return 0;
}
