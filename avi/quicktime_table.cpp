#include "avi/quicktime_table.h"

#include "avi/file_io.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kTableEntriesPerRead = 4096;
constexpr std::int64_t kCountBytes = 4;

}  // namespace

CQuickTimeTable::CQuickTimeTable(int fd, const zv::QtBox& box, std::int64_t headerBytes, std::size_t entryBytes)
    : m_fd(fd), m_box(box), m_headerBytes(headerBytes), m_entryBytes(entryBytes)
{
}

bool CQuickTimeTable::Start()
{
    const std::int64_t prefix = m_headerBytes + kCountBytes;
    if (prefix > static_cast<std::int64_t>(sizeof m_header) || m_box.DataBytes() < prefix
        || !ReadExactAt(m_fd, m_header, static_cast<std::size_t>(prefix), m_box.data))
        return false;
    m_count = zv::LoadBe32(m_header + m_headerBytes);
    const auto room = static_cast<std::uint64_t>(m_box.DataBytes() - prefix);
    return static_cast<std::uint64_t>(m_count) * m_entryBytes <= room;   // at most 2^32 x 12: no overflow
}

const std::uint8_t* CQuickTimeTable::Next()
{
    if (m_at == m_block.size()) {
        const std::uint32_t entries = std::min(m_count - m_read, kTableEntriesPerRead);
        if (entries == 0 || m_entryBytes == 0)
            return nullptr;
        const std::int64_t position = m_box.data + m_headerBytes + kCountBytes
                                    + static_cast<std::int64_t>(m_read) * static_cast<std::int64_t>(m_entryBytes);
        m_block.resize(entries * m_entryBytes);
        if (!ReadExactAt(m_fd, m_block.data(), m_block.size(), position)) {
            m_block.clear();
            m_at = 0;
            m_count = m_read;   // nothing more to come
            m_bFailed = true;
            return nullptr;
        }
        m_read += entries;
        m_at = 0;
    }
    const std::uint8_t* entry = m_block.data() + m_at;
    m_at += m_entryBytes;
    return entry;
}
