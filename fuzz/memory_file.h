#pragma once
// A fuzz input as a real file: the file-level code opens paths, so each input is written into one anonymous
// in-memory file and handed over as /proc/self/fd/N. Reopening that path gives a fresh descriptor with its own
// position, exactly as opening a file on disk does.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zvfuzz {

class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the whole content; aborts when the system refuses (a broken harness, not a finding).
    void Assign(const std::uint8_t* data, std::size_t size);
    const char* Path() const { return m_path.c_str(); }

private:
    int m_fd = -1;
    std::string m_path;
};

// The process-wide file the targets write each input into.
MemoryFile& InputFile();

}  // namespace zvfuzz
