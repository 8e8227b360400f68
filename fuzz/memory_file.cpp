#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace zvfuzz {

MemoryFile::MemoryFile()
{
    m_fd = ::memfd_create("zv-fuzz-input", MFD_CLOEXEC);
    if (m_fd < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

MemoryFile::~MemoryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void MemoryFile::Assign(const std::uint8_t* data, std::size_t size)
{
    if (::ftruncate(m_fd, 0) != 0) {
        std::perror("ftruncate");
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0) {
            std::perror("pwrite");
            std::abort();
        }
        done += static_cast<std::size_t>(wrote);
    }
}

MemoryFile& InputFile()
{
    static MemoryFile file;
    return file;
}

}  // namespace zvfuzz
