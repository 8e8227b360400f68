// --scenes: the recording runs of a file, found by the same scan as the scene buttons use.

#include <cerrno>

#include "avi/last_error.h"
#include "dvmeta/dv_metadata_strip.h"
#include "report/report_commands.h"
#include "report/report_file.h"

int RunScenesCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* out, std::FILE* err)
{
    ReportFile file;
    if (!file.Open(options.path.c_str(), err))
        return 1;

    errno = 0;
    if (!file.Reader().ScanScenes(nullptr)) {
        const std::string detail = errno != 0 ? GetLastErrorText() : std::string("The file ends inside a frame.");
        std::fprintf(err, "Unable to scan the AVI file for scene changes\n\n%s\n", detail.c_str());
        return 1;
    }

    CDvMetadataStrip strip;
    strip.SetDateOrder(dateOrder);
    strip.SetIs625(file.Is625());

    std::fputs("scene\tframe\trec_date\trec_time\n", out);
    auto writeScene = [&](std::int64_t scene, std::int64_t frame) {
        if (!file.ReadFrame(frame, err))
            return false;
        strip.ReadFrame(file.FrameData(), file.FrameLength(), frame);
        std::fprintf(out, "%lld\t%lld\t", static_cast<long long>(scene), static_cast<long long>(frame));
        std::fprintf(out, "%s\t", strip.FormatField(DvField::RecDate));
        std::fprintf(out, "%s\n", strip.FormatField(DvField::RecTime));
        return true;
    };
    if (!writeScene(1, 0))
        return 1;
    std::int64_t scene = 2;
    for (const std::int32_t start : file.Reader().SceneStarts())
        if (!writeScene(scene++, start))
            return 1;
    return 0;
}
