// The reader's frame index for a QuickTime movie: the first video track's frames, every one of them a
// whole DV frame with no chunk header in front, as a raw DV stream's.

#include "avi/dv_avi_reader.h"

#include <utility>

bool CDvAviReader::BuildQuickTimeIndex()
{
    std::string problem;
    const bool built = BuildQuickTimeDvIndex(m_fd.Get(), m_quickTime, problem);
    m_indexProblem = std::move(problem);
    if (built)
        m_frameOffsets.swap(m_quickTime.frameOffsets);
    return built;
}

DvFrameSystem CDvAviReader::FrameSystem() const
{
    if (m_container != DvContainer::QuickTime)
        return m_container == DvContainer::RawDv ? m_rawSystem : DvFrameSystem{};
    DvFrameSystem system{m_quickTime.system.is625, m_quickTime.system.frameBytes, 0, 0};
    QuickTimeFrameRate(m_quickTime, system.rate, system.scale);
    return system;
}

std::uint32_t CDvAviReader::FrameBytes() const
{
    switch (m_container) {
    case DvContainer::RawDv: return m_rawSystem.frameBytes;
    case DvContainer::QuickTime: return m_quickTime.system.frameBytes;
    case DvContainer::Avi: break;
    }
    return 0;
}
