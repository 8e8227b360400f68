#pragma once
// Writing a file the user asked for without ever leaving a half-written one or replacing what was not meant
// to be replaced: the bytes go to a new file beside the target, are flushed to the disk, and only then take
// the target's name. POSIX only, so every export can share it.

#include <cstddef>
#include <string>

#include "export/temporary_output.h"   // OutputIsInput

namespace zv {

// Writes `size` bytes to `path` through a temporary file in the same folder (created exclusively, with the
// permissions a new file gets), fsync, then rename over `path`. On failure returns false with errno set,
// and neither the temporary nor a partial `path` is left behind; an existing `path` stays as it was.
bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size);

}  // namespace zv
