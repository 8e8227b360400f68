// --metadata: every frame's twelve strip texts, as the strip shows them when the file plays from frame 0.

#include "dvmeta/dv_metadata_strip.h"
#include "report/report_commands.h"
#include "report/report_file.h"

int RunMetadataCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* out, std::FILE* err)
{
    ReportFile file;
    if (!file.Open(options.path.c_str(), err))
        return 1;

    // One strip object for the whole run, as in playback: the timecode mode and the shutter cache carry over
    // from frame to frame.
    CDvMetadataStrip strip;
    strip.SetDateOrder(dateOrder);
    strip.SetIs625(file.Is625());

    std::fputs("frame\ttimecode\trec_time\trec_date\tshutter\tiris\tstabiliser\tgain\texposure\twb_mode\t"
               "white_balance\taudio\tcounter\n", out);
    const std::int64_t count = file.FrameCount();
    for (std::int64_t frame = 0; frame < count; ++frame) {
        if (!file.ReadFrame(frame, err))
            return 1;
        strip.ReadFrame(file.FrameData(), file.FrameLength(), frame);
        std::fprintf(out, "%lld", static_cast<long long>(frame));
        for (int field = 0; field < kDvFieldCount; ++field)
            std::fprintf(out, "\t%s", strip.FormatField(static_cast<DvField>(field)));
        std::fputc('\n', out);
    }
    return 0;
}
