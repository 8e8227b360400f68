#include "report/output_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "avi/file_io.h"

namespace zv {
namespace {

// A name beside the target that no other writer picks: the process id and a counter, created with O_EXCL
// so an existing file of that name is never opened.
UniqueFd CreateTemporary(const std::string& path, std::string& temporary)
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

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, bytes + done, size - done);
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

void RemoveKeepingErrno(const std::string& path)
{
    const int saved = errno;
    ::unlink(path.c_str());
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

bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size)
{
    std::string temporary;
    UniqueFd fd = CreateTemporary(path, temporary);
    if (!fd)
        return false;
    const bool written = WriteAll(fd.Get(), data, size) && ::fsync(fd.Get()) == 0;
    // close() reports the failures of a delayed write (NFS, a full disk), so its result counts.
    const int closed = written ? ::close(fd.Release()) : 0;
    if (!written || closed != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        fd.Reset();
        RemoveKeepingErrno(temporary);
        return false;
    }
    SyncFolderOf(path);
    return true;
}

}  // namespace zv
