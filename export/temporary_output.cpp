#include "export/temporary_output.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {
namespace {

constexpr std::size_t kSmallBuffer = 64 * 1024;
constexpr std::size_t kHoleBlock = 4096;
// The disk is asked for the file's bytes in steps of this many as they are written.
constexpr std::int64_t kWriteBackStep = 8 << 20;

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
    m_copy = {};
    m_kernelCopies = true;
    m_data = {};
    m_sourceFailedAt = -1;
    m_writeBackFrom = 0;
    return true;
}

bool CTemporaryOutput::Flush()
{
    return WriteBuffer() && CopyPending();
}

// Whole blocks of zeros are left as holes, as a copy of a sparse file keeps them: the bytes read back the
// same, and a file made mostly of holes costs its data only. A block of real data differs from zero in its
// first bytes, so the test costs next to nothing.
bool CTemporaryOutput::WriteBuffer()
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
    m_buffer.clear();
    Advance(size);
    return true;
}

// The bytes up to m_flushed are in the file. Starts the disk on each step of them as it is complete, so that
// the disk writes while the copy goes on and the final sync finds little left to do. Only a hint: waiting
// for it would hold the copy to the disk's pace, and its result does not matter (the final sync reports
// any failure).
void CTemporaryOutput::Advance(std::uint64_t count)
{
    m_flushed += static_cast<std::int64_t>(count);
    if (m_flushed - m_writeBackFrom < kWriteBackStep)
        return;
    ::sync_file_range(m_fd.Get(), m_writeBackFrom, m_flushed - m_writeBackFrom, SYNC_FILE_RANGE_WRITE);
    m_writeBackFrom = m_flushed;
}

bool CTemporaryOutput::CopyFrom(int source, std::int64_t position, std::uint64_t count)
{
    if (!m_fd) {
        errno = EBADF;
        return false;
    }
    if (count == 0)
        return true;
    const bool continues = m_copy.count > 0 && m_copy.source == source
                        && m_copy.position + static_cast<std::int64_t>(m_copy.count) == position;
    // Gathered no further than a buffer's worth, so that progress and a cancel are never far behind.
    if (continues && m_copy.count + count <= m_bufferBytes) {
        m_copy.count += count;
        return true;
    }
    if (m_copy.count > 0 && !Flush())
        return false;
    m_copy = {source, position, count};
    return true;
}

// The buffer is written; the pending copy follows it. The source's holes are skipped, which leaves holes
// here too (nothing written reads back as zeros).
bool CTemporaryOutput::CopyPending()
{
    const PendingCopy copy = std::exchange(m_copy, PendingCopy{});
    if (copy.count == 0)
        return true;
    const std::int64_t end = copy.position + static_cast<std::int64_t>(copy.count);
    const std::int64_t sourceSize = FileSize(copy.source);
    if (sourceSize < end) {
        // The source lost bytes since the split was planned (or cannot be looked at).
        m_sourceFailedAt = std::max(copy.position, sourceSize);
        errno = sourceSize < 0 ? errno : 0;
        return false;
    }
    for (std::int64_t at = copy.position; at < end;) {
        const DataExtent extent = DataAt(copy.source, at);
        const std::int64_t data = std::min(end, extent.data);
        if (data > at) {
            Advance(static_cast<std::uint64_t>(data - at));
            at = data;
            continue;
        }
        const std::int64_t stop = std::min(end, extent.end);
        if (!CopyData(copy.source, at, static_cast<std::uint64_t>(stop - at)))
            return false;
        at = stop;
    }
    return true;
}

// The first byte at or after `at` that holds data, and where that data ends; the last one found is kept,
// so a source without holes is asked once. A file system that cannot tell has data everywhere. The source's
// file position, which the questions move, is put back: its reader may read on from it.
CTemporaryOutput::DataExtent CTemporaryOutput::DataAt(int source, std::int64_t at)
{
    constexpr std::int64_t kEverywhere = std::numeric_limits<std::int64_t>::max();
    if (source == m_data.source && at >= m_data.data && at < m_data.end)
        return {at, m_data.end};
    const int saved = errno;
    const off_t position = ::lseek(source, 0, SEEK_CUR);
    const off_t data = ::lseek(source, static_cast<off_t>(at), SEEK_DATA);
    if (data < 0) {
        m_data = errno == ENXIO ? DataExtent{kEverywhere, kEverywhere, source}   // a hole to the end
                                : DataExtent{at, kEverywhere, source};
    } else {
        const off_t hole = ::lseek(source, data, SEEK_HOLE);
        m_data = {data, hole > data ? hole : kEverywhere, source};
    }
    ::lseek(source, position, SEEK_SET);
    errno = saved;
    return {m_data.data, m_data.end};
}

// The kernel copies page to page, once, where a read and a write would copy twice through this process.
bool CTemporaryOutput::CopyData(int source, std::int64_t position, std::uint64_t count)
{
    while (count > 0 && m_kernelCopies) {
        loff_t in = position;
        loff_t out = m_flushed;
        const ssize_t copied = ::copy_file_range(source, &in, m_fd.Get(), &out, std::min<std::uint64_t>(count, kWriteBackStep), 0);
        if (copied > 0) {
            Advance(static_cast<std::uint64_t>(copied));
            position += copied;
            count -= static_cast<std::uint64_t>(copied);
        } else if (copied == 0) {
            m_sourceFailedAt = position;   // the source ended early
            errno = 0;
            return false;
        } else if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) {
            m_kernelCopies = false;   // (two file systems, or one that cannot): read and write instead
        } else if (errno != EINTR) {
            return false;
        }
    }
    return CopyThroughBuffer(source, position, count);
}

bool CTemporaryOutput::CopyThroughBuffer(int source, std::int64_t position, std::uint64_t count)
{
    while (count > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_bufferBytes));
        m_buffer.resize(step);
        errno = 0;
        if (!ReadExactAt(source, m_buffer.data(), step, position)) {
            m_buffer.clear();
            m_sourceFailedAt = position;
            return false;
        }
        if (!WriteBuffer())
            return false;
        position += static_cast<std::int64_t>(step);
        count -= step;
    }
    return true;
}

std::uint8_t* CTemporaryOutput::Claim(std::size_t count)
{
    if (!m_fd) {
        errno = EBADF;
        return nullptr;
    }
    if ((m_copy.count > 0 || m_buffer.size() + count > m_buffer.capacity()) && !Flush())
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
    const std::int64_t bufferEnd = m_flushed + static_cast<std::int64_t>(m_buffer.size());
    if (position >= m_flushed && position + static_cast<std::int64_t>(count) <= bufferEnd) {
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
    m_copy = {};
    errno = saved;
}

}  // namespace zv
