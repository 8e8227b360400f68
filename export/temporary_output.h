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
    // Appends `count` bytes of the file `source` from `position`, copied by the kernel without passing through
    // this process. Copies that continue each other in the source are gathered and made in one go, at the
    // latest by the next write of another kind; a failure shows then. Holes of the source stay holes.
    bool CopyFrom(int source, std::int64_t position, std::uint64_t count);
    // After a failure: true when the source ended (or failed to read) before the bytes a copy asked for, at
    // SourceFailedAt(); false when the write itself failed.
    bool SourceFailed() const { return m_sourceFailedAt >= 0; }
    std::int64_t SourceFailedAt() const { return m_sourceFailedAt; }
    // Overwrites bytes written earlier (a size or count known only at the end).
    bool Patch(std::int64_t position, const void* data, std::size_t count);
    std::int64_t Position() const
    {
        return m_flushed + static_cast<std::int64_t>(m_buffer.size()) + static_cast<std::int64_t>(m_copy.count);
    }

    // Flushes, syncs and renames over the target (replacing it when it exists). False with errno set, and
    // the temporary gone.
    bool Commit();
    // Removes the temporary; nothing when committed or never created. errno is kept.
    void Abandon();

    const std::string& Target() const { return m_target; }

private:
    struct PendingCopy {
        int source = -1;
        std::int64_t position = 0;
        std::uint64_t count = 0;
    };

    struct DataExtent {
        std::int64_t data = 0;
        std::int64_t end = 0;
        int source = -1;
    };

    bool Flush();
    bool WriteBuffer();
    bool CopyPending();
    DataExtent DataAt(int source, std::int64_t at);
    bool CopyData(int source, std::int64_t position, std::uint64_t count);
    bool CopyThroughBuffer(int source, std::int64_t position, std::uint64_t count);
    void Advance(std::uint64_t count);

    UniqueFd m_fd;
    std::string m_target;
    std::string m_temporary;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_bufferBytes = 0;
    std::int64_t m_flushed = 0;   // bytes already handed to the file
    PendingCopy m_copy;           // bytes after the buffer's, still in the source
    bool m_kernelCopies = true;   // false once the file system refused a copy between the two files
    DataExtent m_data;            // a range of a source known to hold data, not holes
    std::int64_t m_sourceFailedAt = -1;
    std::int64_t m_writeBackFrom = 0;   // the disk has been asked for the bytes before this
};

}  // namespace zv
