#pragma once
// Read-only file access for the AVI code: an owning descriptor and the three primitive operations every
// parser here is built on (ReadBytes, ReadExact, SeekTo, at global scope beside the reader). All positions
// are 64-bit. errno is the "last error code" the error boxes show, so closing never disturbs it.

#include <cstddef>
#include <cstdint>
#include <cstdio>   // SEEK_SET, SEEK_CUR

namespace zv {

// Owns one POSIX descriptor and closes it on destruction. Closing keeps errno as it was, so a caller can
// report the failure that made it give up rather than anything close() itself did.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    explicit operator bool() const { return Valid(); }
    int Release();               // gives up ownership; the object is then empty
    void Reset(int fd = -1);     // closes the current descriptor (errno preserved) and adopts fd

private:
    int m_fd = -1;
};

// errno for a path that opened but names no regular file (a FIFO, socket or device): outside the range the
// C library uses, so GetLastErrorText can give it words of our own.
inline constexpr int kNotRegularFileError = 0x20000001;

// Opens an existing regular file read-only for a front-to-back read (sequential read-ahead hint). Empty on
// failure, with errno from open(), EISDIR for a folder or kNotRegularFileError for anything else that is
// not a regular file. The open itself never waits: a FIFO without a writer would block it forever.
UniqueFd OpenForSequentialRead(const char* path);

// The size of the open file in bytes, or -1 when fstat fails.
std::int64_t FileSize(int fd);

// Asks the kernel to start reading count bytes at position now, so that a read there later finds them in the
// cache. Only a hint: it never fails, waits or changes the file position, and a range outside the file costs
// nothing. A reader that jumps between far-apart small pieces (a frame's first DIF blocks, indexes scattered
// through the file) would otherwise wait for each piece in turn; hinted, the disk fetches many at once.
void WillNeed(int fd, std::int64_t position, std::int64_t count);

inline constexpr std::int64_t kSeekFailed = -1;   // all 64 bits set

}  // namespace zv

// Reads up to count bytes, retrying short reads and interrupted calls until count bytes arrived or the
// file ended. Returns the number delivered; 0 when the system read fails (errno says why). The end of the
// file leaves errno untouched.
std::size_t ReadBytes(int fd, void* buffer, std::size_t count);

// Every read in the AVI code asks for a fixed count: exactly count bytes is success, anything less fails.
bool ReadExact(int fd, void* buffer, std::size_t count);

// ReadExact at an absolute position, without moving the file position (one system call per read).
bool ReadExactAt(int fd, void* buffer, std::size_t count, std::int64_t position);

// Moves the file position by a signed distance from origin (SEEK_SET: the file's beginning, SEEK_CUR: the
// current position); returns the new position, or zv::kSeekFailed (all bits set) with errno set.
std::int64_t SeekTo(int fd, std::int64_t distance, int origin);
