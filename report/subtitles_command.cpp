// --subtitles: the recording date and time of every frame as soft subtitles, one cue per run of frames that
// show the same date and time in the strip.

#include <string>

#include "export/output_check.h"
#include "export/recording_subtitles.h"
#include "report/report_commands.h"
#include "report/report_file.h"

int RunSubtitlesCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* err)
{
    std::string error;
    if (!zv::CheckOutputFile(options.path, options.output, options.force, "output name", error)) {
        std::fprintf(err, "%s\n", error.c_str());
        return 1;
    }
    ReportFile file;
    if (!file.Open(options.path.c_str(), err))
        return 1;
    const auto format = options.subtitles == SubtitleKind::WebVtt ? zv::SubtitleFormat::WebVtt : zv::SubtitleFormat::SubRip;
    std::size_t cues = 0;
    if (zv::WriteRecordingSubtitles(file.Reader(), dateOrder, format, options.output, nullptr, cues, error)
        != zv::ExportOutcome::Written) {
        std::fprintf(err, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
