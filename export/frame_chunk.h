#pragma once
// Reading a frame's chunk for an export, with every size bounded before use and each failure worded the
// way the player words it.

#include <cstdint>
#include <string>

namespace zv {

// "Unable to read frame N of the AVI file", an empty line and the system's text, or `why` after a short
// read (which leaves no system code).
std::string FrameReadFailure(std::int64_t frame, const char* why);

// The size of frame `frame`'s chunk, whose data starts at `data`, from the chunk header in front of it.
// Failure policy: a header that cannot be read, or a size larger than a DV frame may be or running past
// fileSize, fails with `error` set. `chunkId`, when given, receives the chunk's id.
bool ReadFrameChunkSize(int fd, std::int64_t data, std::int64_t fileSize, std::int64_t frame, std::uint32_t& size,
                        std::string& error, std::uint32_t* chunkId = nullptr);

}  // namespace zv
