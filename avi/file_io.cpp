#include "avi/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == 8, "file positions must be 64-bit");

namespace zv {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int UniqueFd::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::Reset(int fd)
{
    if (m_fd >= 0) {
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
    }
    m_fd = fd;
}

UniqueFd OpenForSequentialRead(const char* path)
{
    UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return fd;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        return UniqueFd();   // errno is fstat's; the close keeps it
    if (!S_ISREG(info.st_mode)) {
        // Only a regular file has the fixed size and the positions the readers and the graph seek to.
        errno = S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFileError;
        return UniqueFd();
    }
    // A regular file never blocks, but the readers expect the ordinary semantics of a blocking descriptor.
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return UniqueFd();
    ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);   // a hint: its result does not matter
    return fd;
}

void WillNeed(int fd, std::int64_t position, std::int64_t count)
{
    if (position >= 0 && count > 0)
        ::posix_fadvise(fd, static_cast<off_t>(position), static_cast<off_t>(count), POSIX_FADV_WILLNEED);
}

std::int64_t FileSize(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

}  // namespace zv

std::size_t ReadBytes(int fd, void* buffer, std::size_t count)
{
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        if (got == 0)
            break;   // end of the file
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool ReadExact(int fd, void* buffer, std::size_t count)
{
    return ReadBytes(fd, buffer, count) == count;
}

bool ReadExactAt(int fd, void* buffer, std::size_t count, std::int64_t position)
{
    if (position < 0) {
        errno = EINVAL;
        return false;
    }
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, out + done, count - done, static_cast<off_t>(position) + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return false;   // end of the file
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::int64_t SeekTo(int fd, std::int64_t distance, int origin)
{
    const off_t result = ::lseek(fd, static_cast<off_t>(distance), origin);
    return result < 0 ? zv::kSeekFailed : static_cast<std::int64_t>(result);
}
