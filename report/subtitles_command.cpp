// --subtitles: the recording date and time of every frame as soft subtitles, one cue per run of frames that
// show the same date and time in the strip.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "avi/file_io.h"
#include "avi/fourcc.h"
#include "avi/last_error.h"
#include "avi/recording_time.h"
#include "dvmeta/dv_text.h"
#include "export/recording_stamp.h"
#include "export/subtitle_file.h"
#include "report/output_file.h"
#include "report/png_output.h"
#include "report/report_commands.h"
#include "report/report_file.h"

namespace {

constexpr std::size_t kProbeBytes = 8 + 480;   // the chunk header, then the subcode and VAUX blocks

// The strip's date and time texts of one frame, read as cheaply as they can be: when the first DIF
// sequence's subcode or VAUX holds both packs, those are the ones the strip shows; only a frame without
// them is read whole, as the strip reads it.
class FrameClock {
public:
    FrameClock(ReportFile& file, std::int32_t dateOrder) : m_file(file), m_dateOrder(dateOrder) {}

    // The cue text of frame `frame` into `text`, empty when its date or time is the placeholder.
    bool Read(std::int64_t frame, std::string& text, std::FILE* err)
    {
        const std::int64_t data = m_file.Reader().FrameOffsets()[static_cast<std::size_t>(frame)];
        std::uint8_t probe[kProbeBytes];
        const std::uint8_t* date = nullptr;
        const std::uint8_t* time = nullptr;
        // Frames of a raw DV stream have no chunk header in front: the probe starts at the frame itself.
        const std::size_t header = m_file.Reader().FrameBytes() != 0 ? 0 : 8;
        if (data >= static_cast<std::int64_t>(header)
            && ReadExactAt(m_file.Reader().Fd(), probe, sizeof probe - 8 + header, data - static_cast<std::int64_t>(header))
            && (header == 0 || zv::LoadLe32(probe + 4) >= kDifSequenceSize))
            zv::FindRecordingPacks(probe + header, date, time);
        m_packs.MarkAllEmpty();
        if (date != nullptr && time != nullptr) {
            std::memcpy(m_packs.entries[kPackRecDate].data(), date, kPackSize);
            std::memcpy(m_packs.entries[kPackRecTime].data(), time, kPackSize);
        } else {
            if (!m_file.ReadFrame(frame, err))
                return false;
            ExtractPacks(m_packs, m_timecodeMode, m_file.FrameData(), m_file.FrameLength());
        }
        Format(text);
        return true;
    }

private:
    void Format(std::string& text)
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
            text += std::to_string(zv::FourDigitYear((year >> 4) * 10 + (year & 0x0F)));
        else
            text += yearStart;
        text += ' ';
        text += m_time;
    }

    ReportFile& m_file;
    std::int32_t m_dateOrder;
    std::int32_t m_timecodeMode = zv::kTimecodeMode625;
    DvPackTable m_packs;
    DvText m_date{};
    DvText m_time{};
};

bool RefuseExisting(const ReportOptions& options, std::FILE* err)
{
    if (RefuseOutputOverInput(options.path.c_str(), options.output, err))
        return true;
    struct stat info {};
    if (::lstat(options.output.c_str(), &info) != 0 || (options.force && !S_ISDIR(info.st_mode)))
        return false;
    std::fprintf(err, "Unable to write %s\n\n%s\n", options.output.c_str(),
                 S_ISDIR(info.st_mode) ? "A folder of that name is in the way." : "The file already exists.");
    return true;
}

}  // namespace

int RunSubtitlesCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* err)
{
    if (RefuseExisting(options, err))
        return 1;
    ReportFile file;
    if (!file.Open(options.path.c_str(), err))
        return 1;
    const FirstStreamInfo& stream = file.Stream();
    if (stream.scale == 0 || stream.rate == 0) {
        std::fprintf(err, "Unable to time the subtitles\n\nThe video stream's header gives no frame rate "
                          "(dwScale %u, dwRate %u).\n", stream.scale, stream.rate);
        return 1;
    }

    FrameClock clock(file, dateOrder);
    zv::CCueCollector cues;
    std::string text;
    const std::int64_t frames = file.FrameCount();
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        if (!clock.Read(frame, text, err))
            return 1;
        cues.AddFrame(frame, text);
    }
    const auto format = options.subtitles == SubtitleKind::WebVtt ? zv::SubtitleFormat::WebVtt : zv::SubtitleFormat::SubRip;
    // A movie times its frames in its own track's units, run by run.
    const CDvAviReader& reader = file.Reader();
    const std::string body = reader.Container() == DvContainer::QuickTime
        ? zv::RenderSubtitles(cues.Finish(frames),
                              [&reader](std::int64_t frame) { return QuickTimeFrameMilliseconds(reader.QuickTimeTrack(), frame); },
                              format)
        : zv::RenderSubtitles(cues.Finish(frames), stream.scale, stream.rate, format);
    if (!zv::WriteFileReplacing(options.output, body.data(), body.size())) {
        std::fprintf(err, "%s\n", LastErrorMessage(("Unable to write " + options.output).c_str()).c_str());
        return 1;
    }
    return 0;
}
