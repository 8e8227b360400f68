#include "export/recording_subtitles.h"

#include "avi/last_error.h"
#include "avi/quicktime_index.h"
#include "avi/stream_info.h"
#include "export/frame_clock.h"
#include "export/temporary_output.h"

namespace zv {
namespace {

bool ReadFrameRate(int fd, std::uint32_t& scale, std::uint32_t& rate, std::string& error)
{
    FirstStreamInfo stream{};
    ReadFirstStreamInfo(fd, stream);   // a header that cannot be read gives no rate, refused below
    scale = stream.scale;
    rate = stream.rate;
    if (scale != 0 && rate != 0)
        return true;
    error = "Unable to time the subtitles\n\nThe video stream's header gives no frame rate (dwScale "
          + std::to_string(scale) + ", dwRate " + std::to_string(rate) + ").";
    return false;
}

}  // namespace

ExportOutcome WriteRecordingSubtitles(const CDvAviReader& reader, std::int32_t dateOrder, SubtitleFormat format,
                                      const std::string& output, IExportProgress* progress, std::size_t& cues,
                                      std::string& error)
{
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    if (!ReadFrameRate(reader.Fd(), scale, rate, error))
        return ExportOutcome::Failed;

    CFrameClock clock(reader, dateOrder);
    CCueCollector collector;
    std::string text;
    const auto frames = static_cast<std::int64_t>(reader.FrameOffsets().size());
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        if (!clock.Read(frame, text, error))
            return ExportOutcome::Failed;
        collector.AddFrame(frame, text);
        if (progress != nullptr && !progress->Advance(static_cast<std::uint64_t>(frame + 1), static_cast<std::uint64_t>(frames)))
            return ExportOutcome::Cancelled;
    }
    const std::vector<SubtitleCue> list = collector.Finish(frames);
    cues = list.size();
    // A movie times its frames in its own track's units, run by run.
    const std::string body = reader.Container() == DvContainer::QuickTime
        ? RenderSubtitles(list, [&reader](std::int64_t frame) { return QuickTimeFrameMilliseconds(reader.QuickTimeTrack(), frame); },
                          format)
        : RenderSubtitles(list, scale, rate, format);
    CTemporaryOutput out;
    if (!out.Create(output, body.size()) || !out.Write(body.data(), body.size()) || !out.Commit()) {
        error = LastErrorMessage(("Unable to write " + output).c_str());
        return ExportOutcome::Failed;
    }
    return ExportOutcome::Written;
}

}  // namespace zv
