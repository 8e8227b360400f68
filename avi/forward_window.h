#pragma once
// Chunk headers read forward through one window of the file: a run of small chunks costs one read per
// window rather than one per chunk. A window of 64 KiB suits the header list; over frame data, where
// chunks lie 120 KB apart, a page-sized window keeps the bytes read per chunk small.

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <vector>

class CForwardWindow {
public:
    CForwardWindow(int fd, std::size_t bytes) : m_fd(fd), m_bytes(bytes) {}

    // The count bytes at position, or nullptr when the file holds fewer (count <= 12). Valid until the
    // next call.
    const std::uint8_t* At(std::int64_t position, std::size_t count)
    {
        if (position < m_start || position + static_cast<std::int64_t>(count) > m_start + m_filled) {
            m_start = position;
            m_filled = 0;
            for (;;) {
                const ssize_t got = ::pread(m_fd, m_bytes.data(), m_bytes.size(), static_cast<off_t>(position));
                if (got < 0 && errno == EINTR)
                    continue;
                m_filled = got > 0 ? got : 0;
                break;
            }
        }
        if (position + static_cast<std::int64_t>(count) > m_start + m_filled)
            return nullptr;
        return m_bytes.data() + (position - m_start);
    }

private:
    int m_fd;
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_start = 0;
    std::int64_t m_filled = 0;
};
