#include "report/report_file.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "avi/dv_avi_check.h"
#include "avi/file_io.h"
#include "avi/last_error.h"

namespace {

// The largest frame chunk the report reads. A standard-definition DV frame is 144000 bytes; this leaves room
// for odd writers while keeping a hostile size field from claiming gigabytes.
constexpr std::uint32_t kMaxFrameChunk = 4u * 1024u * 1024u;

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::string Printf(const char* format, const char* arg)
{
    const int n = std::snprintf(nullptr, 0, format, arg);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, arg);
    return text;
}

void WriteFrameReadFailure(std::int64_t frame, const char* why, std::FILE* err)
{
    // A short read leaves no system code; name the real cause instead of the text for "no error".
    const std::string detail = errno != 0 ? GetLastErrorText() : std::string(why);
    std::fprintf(err, "Unable to read frame %lld of the AVI file\n\n%s\n", static_cast<long long>(frame),
                 detail.c_str());
}

}  // namespace

void WriteRefusal(int checkResult, const char* path, std::FILE* err)
{
    const auto result = static_cast<DvAviCheckResult>(checkResult);
    const char* format = DvAviCheckMessage(result);
    if (!format)
        return;
    const std::string message = Printf(format, path);
    if (DvAviCheckNeedsSystemText(result))
        std::fprintf(err, "%s\n", LastErrorMessage(message.c_str()).c_str());
    else
        std::fprintf(err, "%s\n", message.c_str());
}

void WriteFrameOutsideFile(std::int64_t frame, std::int64_t frameCount, std::FILE* err)
{
    std::fprintf(err, "Frame %lld is outside the file (0 to %lld)\n", static_cast<long long>(frame),
                 static_cast<long long>(frameCount) - 1);
}

bool ReportFile::Open(const char* path, std::FILE* err)
{
    const DvAviCheckResult check = CheckDvAviFile(path);
    if (check != Recognised) {
        WriteRefusal(check, path, err);
        return false;
    }
    if (!OpenAndIndex(m_reader, path)) {
        std::fprintf(err, "%s\n", LastErrorMessage("Unable to index the AVI file", m_reader.IndexProblem()).c_str());
        m_reader.Close();
        return false;
    }
    if (!ReadFirstStreamInfo(path, m_stream))
        m_stream.is625 = true;  // the check already read these bytes; a failure here leaves the 625 default
    if (m_reader.TrailingBytes() > 0)
        std::fprintf(err, "The file ends with %lld bytes of a partial frame after frame %lld; they are ignored.\n",
                     static_cast<long long>(m_reader.TrailingBytes()), static_cast<long long>(FrameCount()) - 1);
    const std::uint64_t claimed = m_reader.QuickTimeTrack().claimedFrames;
    if (m_reader.Container() == DvContainer::QuickTime && claimed != static_cast<std::uint64_t>(FrameCount()))
        std::fprintf(err, "The movie's sample tables list %llu frames; the file holds %lld of them, which are read.\n",
                     static_cast<unsigned long long>(claimed), static_cast<long long>(FrameCount()));
    return true;
}

bool ReportFile::ReadFrame(std::int64_t frame, std::FILE* err)
{
    const std::vector<std::int64_t>& offsets = m_reader.FrameOffsets();
    if (frame < 0 || frame >= static_cast<std::int64_t>(offsets.size())) {
        WriteFrameOutsideFile(frame, static_cast<std::int64_t>(offsets.size()), err);
        return false;
    }
    const std::int64_t data = offsets[static_cast<std::size_t>(frame)];
    std::uint32_t size = m_reader.FrameBytes();
    errno = 0;
    if (size == 0) {
        std::uint8_t header[8];
        if (data < 8 || SeekTo(m_reader.Fd(), data - 8, SEEK_SET) < 0 || !ReadExact(m_reader.Fd(), header, 8)) {
            WriteFrameReadFailure(frame, "The file ends before the frame's chunk header.", err);
            return false;
        }
        size = Le32(header + 4);
    } else if (SeekTo(m_reader.Fd(), data, SEEK_SET) < 0) {
        WriteFrameReadFailure(frame, "The frame cannot be reached.", err);
        return false;
    }
    if (size > kMaxFrameChunk) {
        std::fprintf(err, "Unable to read frame %lld of the AVI file\n\nIts chunk claims %u bytes; a DV frame "
                          "is at most 144000.\n", static_cast<long long>(frame), size);
        return false;
    }
    if (m_frame.size() < size)
        m_frame.resize(size);
    errno = 0;
    if (size > 0 && !ReadExact(m_reader.Fd(), m_frame.data(), size)) {
        WriteFrameReadFailure(frame, "The file ends inside the frame.", err);
        return false;
    }
    m_frameLength = size;
    return true;
}
