#include "export/temporary_output.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {
namespace {

constexpr std::size_t kSmallBuffer = 64 * 1024;
constexpr std::size_t kHoleBlock = 4096;

bool IsAllZero(const std::uint8_t* data, std::size_t size)
{
    return data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0;
}

// A name beside the target that no other writer picks: the process id and a counter, created with O_EXCL
// so an existing file of that name is never opened.
UniqueFd CreateBeside(const std::string& path, std::string& temporary)
{
    static std::atomic<unsigned> counter{0};
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld-%u.part", static_cast<long>(::getpid()), counter++);
        temporary = path + suffix;
        UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST)
            return fd;
    }
    return UniqueFd();
}

bool PwriteAll(int fd, const void* data, std::size_t size, std::int64_t position)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(position) + static_cast<off_t>(done));
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Flushes the folder so the rename itself survives a crash; a folder that cannot be opened for this
// (no read permission) still holds the renamed file, so its failure is not the write's.
void SyncFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int saved = errno;
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.Get());
    errno = saved;
}

}  // namespace

bool OutputIsInput(const char* input, const char* output)
{
    struct stat in {};
    struct stat out {};
    if (input == nullptr || output == nullptr || ::stat(input, &in) != 0 || ::stat(output, &out) != 0)
        return false;
    return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

bool CTemporaryOutput::Create(const std::string& target, std::size_t bufferBytes)
{
    Abandon();
    m_fd = CreateBeside(target, m_temporary);
    if (!m_fd) {
        m_temporary.clear();
        return false;
    }
    m_target = target;
    m_bufferBytes = bufferBytes > 0 ? bufferBytes : kSmallBuffer;
    m_buffer.clear();
    m_buffer.reserve(m_bufferBytes);
    m_flushed = 0;
    return true;
}

// Whole blocks of zeros are left as holes, as a copy of a sparse file keeps them: the bytes read back the
// same, and a file made mostly of holes costs its data only. A block of real data differs from zero in its
// first bytes, so the test costs next to nothing.
bool CTemporaryOutput::Flush()
{
    const std::uint8_t* data = m_buffer.data();
    const std::size_t size = m_buffer.size();
    std::size_t runStart = 0;   // start of the bytes not yet written
    std::size_t at = 0;
    while (at < size) {
        // Blocks are aligned to file positions, so holes fall on the file system's blocks.
        const auto position = static_cast<std::size_t>(m_flushed) + at;
        const std::size_t blockEnd = std::min(size, at + (kHoleBlock - position % kHoleBlock));
        const bool zeros = blockEnd - at == kHoleBlock && IsAllZero(data + at, kHoleBlock);
        if (zeros) {
            if (at > runStart && !PwriteAll(m_fd.Get(), data + runStart, at - runStart, m_flushed + static_cast<std::int64_t>(runStart)))
                return false;
            runStart = blockEnd;
        }
        at = blockEnd;
    }
    if (size > runStart && !PwriteAll(m_fd.Get(), data + runStart, size - runStart, m_flushed + static_cast<std::int64_t>(runStart)))
        return false;
    // Starts the disk on these bytes now rather than at the final sync, so writing to the disk overlaps the
    // copying instead of following it; only a hint, so its result does not matter.
    ::posix_fadvise(m_fd.Get(), static_cast<off_t>(m_flushed), static_cast<off_t>(size), POSIX_FADV_DONTNEED);
    m_flushed += static_cast<std::int64_t>(size);
    m_buffer.clear();
    return true;
}

std::uint8_t* CTemporaryOutput::Claim(std::size_t count)
{
    if (!m_fd) {
        errno = EBADF;
        return nullptr;
    }
    if (m_buffer.size() + count > m_buffer.capacity() && !Flush())
        return nullptr;
    const std::size_t at = m_buffer.size();
    m_buffer.resize(at + count);   // within the reserved capacity unless count alone exceeds it
    return m_buffer.data() + at;
}

bool CTemporaryOutput::Write(const void* data, std::size_t count)
{
    std::uint8_t* room = Claim(count);
    if (room != nullptr && count > 0)
        std::memcpy(room, data, count);
    return room != nullptr;
}

bool CTemporaryOutput::WriteZeros(std::size_t count)
{
    std::uint8_t* room = Claim(count);
    if (room != nullptr && count > 0)
        std::memset(room, 0, count);
    return room != nullptr;
}

bool CTemporaryOutput::Patch(std::int64_t position, const void* data, std::size_t count)
{
    if (position < 0 || position + static_cast<std::int64_t>(count) > Position()) {
        errno = EINVAL;   // only bytes already written are patched
        return false;
    }
    if (position >= m_flushed) {
        std::memcpy(m_buffer.data() + (position - m_flushed), data, count);
        return true;
    }
    return Flush() && PwriteAll(m_fd.Get(), data, count, position);
}

bool CTemporaryOutput::Commit()
{
    // close() reports the failures of a delayed write (NFS, a full disk), so its result counts.
    // A hole at the end is no write at all: the file's length says where it ends.
    const bool written = m_fd && Flush() && ::ftruncate(m_fd.Get(), static_cast<off_t>(m_flushed)) == 0
                      && ::fsync(m_fd.Get()) == 0;
    const int closed = written ? ::close(m_fd.Release()) : 0;
    if (!written || closed != 0 || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Abandon();
        return false;
    }
    m_temporary.clear();
    std::vector<std::uint8_t>().swap(m_buffer);
    SyncFolderOf(m_target);
    return true;
}

void CTemporaryOutput::Abandon()
{
    const int saved = errno;
    m_fd.Reset();
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    std::vector<std::uint8_t>().swap(m_buffer);
    errno = saved;
}

}  // namespace zv
