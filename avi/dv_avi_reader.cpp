#include "avi/dv_avi_reader.h"

#include "avi/array_growth.h"

#include <cerrno>
#include <utility>

bool CDvAviReader::Open(const char* path)
{
    if (IsOpen())
        Close();
    m_nStreamChunkId = 0;
    m_nMoviListPosition = 0;
    m_bScanned = false;
    m_bFirstFramePending = true;
    m_indexProblem.clear();
    m_container = DvContainer::Avi;
    m_rawSystem = DvFrameSystem{};
    m_nTrailingBytes = 0;
    m_quickTime = QuickTimeDvIndex{};

    zv::UniqueFd fd = zv::OpenForSequentialRead(path);
    if (!fd)
        return false;
    if (!ReadExact(fd.Get(), m_header.data(), m_header.size()))
        return false;   // fd closes here, errno kept for the caller's error box
    m_fd = std::move(fd);
    m_container = DetectContainer(m_header.data(), m_header.size());
    if (m_container == DvContainer::RawDv)
        m_rawSystem = DvFrameSystemOf(m_header.data());

    zv::ReleaseStorage(m_frameOffsets);
    zv::ReleaseStorage(m_sceneStarts);
    zv::ReleaseStorage(m_recordingMarks);
    return true;
}

void CDvAviReader::Close()
{
    m_fd.Reset();
    zv::ReleaseStorage(m_frameOffsets);
    zv::ReleaseStorage(m_sceneStarts);
    zv::ReleaseStorage(m_recordingMarks);
}
