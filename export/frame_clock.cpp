#include "export/frame_clock.h"

#include <cerrno>
#include <cstring>

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/recording_time.h"
#include "export/frame_chunk.h"
#include "export/recording_stamp.h"

namespace zv {
namespace {

constexpr std::size_t kProbeBytes = 8 + 480;   // the chunk header, then the subcode and VAUX blocks

}  // namespace

CFrameClock::CFrameClock(const CDvAviReader& reader, std::int32_t dateOrder)
    : m_reader(reader), m_fileSize(FileSize(reader.Fd())), m_dateOrder(dateOrder)
{
}

bool CFrameClock::Read(std::int64_t frame, std::string& text, std::string& error)
{
    const std::int64_t data = m_reader.FrameOffsets()[static_cast<std::size_t>(frame)];
    std::uint8_t probe[kProbeBytes];
    const std::uint8_t* date = nullptr;
    const std::uint8_t* time = nullptr;
    // Frames of a raw DV stream have no chunk header in front: the probe starts at the frame itself.
    const std::size_t header = m_reader.FrameBytes() != 0 ? 0 : 8;
    const auto back = static_cast<std::int64_t>(header);
    if (data >= back && ReadExactAt(m_reader.Fd(), probe, sizeof probe - 8 + header, data - back)
        && (header == 0 || LoadLe32(probe + 4) >= kDifSequenceSize))
        FindRecordingPacks(probe + header, date, time);
    m_packs.MarkAllEmpty();
    if (date != nullptr && time != nullptr) {
        std::memcpy(m_packs.entries[kPackRecDate].data(), date, kPackSize);
        std::memcpy(m_packs.entries[kPackRecTime].data(), time, kPackSize);
    } else if (!ReadWholeFrame(frame, data, error)) {
        return false;
    }
    Format(text);
    return true;
}

bool CFrameClock::ReadWholeFrame(std::int64_t frame, std::int64_t data, std::string& error)
{
    std::uint32_t size = m_reader.FrameBytes();
    if (size == 0 && !ReadFrameChunkSize(m_reader.Fd(), data, m_fileSize, frame, size, error))
        return false;
    m_frame.resize(size);
    errno = 0;
    if (size > 0 && !ReadExactAt(m_reader.Fd(), m_frame.data(), size, data)) {
        error = FrameReadFailure(frame, "The file ends inside the frame.");
        return false;
    }
    ExtractPacks(m_packs, m_timecodeMode, m_frame.data(), size);
    return true;
}

void CFrameClock::Format(std::string& text)
{
    text.clear();
    FormatRecDate(m_date, m_packs, m_dateOrder);
    FormatRecTime(m_time, m_packs);
    if (std::strcmp(m_date, "--/--/--") == 0 || std::strcmp(m_time, "--:--:--") == 0)
        return;
    // The strip shows two digits of the year; a subtitle shows all four, in the scene scan's window.
    const char* yearStart = std::strrchr(m_date, '/') + 1;
    const std::uint8_t year = m_packs.Find(kPackRecDate)[4];
    text.assign(m_date, static_cast<std::size_t>(yearStart - m_date));
    if ((year >> 4) <= 9 && (year & 0x0F) <= 9)
        text += std::to_string(FourDigitYear((year >> 4) * 10 + (year & 0x0F)));
    else
        text += yearStart;
    text += ' ';
    text += m_time;
}

}  // namespace zv
