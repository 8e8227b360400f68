#pragma once
// A file being written for the user: the bytes go to a new file beside the target, created exclusively, and
// take the target's name only once they are all on the disk. Until then the target is untouched, and a file
// given up (an error, a cancel, an exception) removes its temporary. POSIX only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/file_io.h"

namespace zv {

// True when `output` names the file `input` already is (the same device and inode), whatever symbolic or
// hard links lead there. False when either cannot be looked up: a missing output is a new file.
bool OutputIsInput(const char* input, const char* output);

class CTemporaryOutput {
public:
    CTemporaryOutput() = default;
    CTemporaryOutput(const CTemporaryOutput&) = delete;
    CTemporaryOutput& operator=(const CTemporaryOutput&) = delete;
    ~CTemporaryOutput() { Abandon(); }

    // Creates the temporary beside `target` (same folder, with the permissions a new file gets). bufferBytes
    // is what is gathered before each write. False with errno set.
    bool Create(const std::string& target, std::size_t bufferBytes = 0);

    // Room for `count` bytes at the end of the file, to be filled by the caller before the next call (a
    // frame read straight into it). nullptr after a failed flush, with errno set.
    std::uint8_t* Claim(std::size_t count);
    bool Write(const void* data, std::size_t count);
    bool WriteZeros(std::size_t count);
    // Overwrites bytes written earlier (a size or count known only at the end).
    bool Patch(std::int64_t position, const void* data, std::size_t count);
    std::int64_t Position() const { return m_flushed + static_cast<std::int64_t>(m_buffer.size()); }

    // Flushes, syncs and renames over the target (replacing it when it exists). False with errno set, and
    // the temporary gone.
    bool Commit();
    // Removes the temporary; nothing when committed or never created. errno is kept.
    void Abandon();

    const std::string& Target() const { return m_target; }

private:
    bool Flush();

    UniqueFd m_fd;
    std::string m_target;
    std::string m_temporary;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_bufferBytes = 0;
    std::int64_t m_flushed = 0;   // bytes already handed to the file
};

}  // namespace zv
