#pragma once
// A sample table of a QuickTime track read front to back a block at a time: the memory it costs is one
// block, whatever count the table claims, and the count is checked against the box before the first read.

#include "avi/quicktime_boxes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CQuickTimeTable {
public:
    // The table of box: headerBytes after the box's data start (version, flags and whatever the table
    // keeps before its count), the 32-bit count, then entries of entryBytes (0: the entries are not read).
    CQuickTimeTable(int fd, const zv::QtBox& box, std::int64_t headerBytes, std::size_t entryBytes);

    // Reads the header. False when the box is too small for it, or the count claims more entries than
    // the box holds; Header() is readable after either.
    bool Start();
    std::uint32_t Count() const { return m_count; }
    const std::uint8_t* Header() const { return m_header; }
    // The next entry, or nullptr after the last one or when a read fails (Failed() then, errno set).
    const std::uint8_t* Next();
    bool Failed() const { return m_bFailed; }

private:
    int m_fd;
    zv::QtBox m_box;
    std::int64_t m_headerBytes;
    std::size_t m_entryBytes;
    std::uint32_t m_count = 0;
    std::uint32_t m_read = 0;
    std::size_t m_at = 0;
    bool m_bFailed = false;
    std::uint8_t m_header[16] = {};
    std::vector<std::uint8_t> m_block;
};
