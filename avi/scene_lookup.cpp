// The scene commands' targets: scene starts around a frame, with the file's ends as fallbacks.

#include "avi/dv_avi_reader.h"

std::int64_t CDvAviReader::NextSceneStart(std::int64_t frame) const
{
    for (const std::int32_t start : m_sceneStarts) {
        if (start > frame)
            return start;
    }
    return static_cast<std::int64_t>(m_frameOffsets.size()) - 1;
}

std::int64_t CDvAviReader::PreviousSceneStart(std::int64_t frame) const
{
    for (auto it = m_sceneStarts.rbegin(); it != m_sceneStarts.rend(); ++it) {
        if (*it < frame)
            return *it;
    }
    return 0;
}
