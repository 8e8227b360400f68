// --strip: one frame's metadata strip as the player paints it when playback starts at that frame.

#include <QImage>

#include "dvmeta/dv_metadata_strip.h"
#include "report/report_commands.h"
#include "report/png_output.h"
#include "report/report_file.h"

int RunStripCommand(const ReportOptions& options, std::int32_t dateOrder, std::FILE* err)
{
    if (RefuseOutputOverInput(options.path.c_str(), options.output, err))
        return 1;
    ReportFile file;
    if (!file.Open(options.path.c_str(), err))
        return 1;
    const std::int64_t frame = *options.frame;
    if (!file.ReadFrame(frame, err))
        return 1;

    // The same configuration the graph builder gives the filter, then the width its first offer settles on.
    CDvMetadataStrip strip;
    if (options.half)
        strip.SetOverlaySize(350, 50);
    else
        strip.SetOverlaySize(700, 100);
    strip.SetDateOrder(dateOrder);
    strip.SetIs625(file.Is625());
    strip.OfferNominalWidth();

    const std::uint8_t* pixels = strip.Transform(file.FrameData(), file.FrameLength(), &frame);
    if (!pixels) {
        std::fprintf(err, "Unable to create the metadata strip image\n");
        return 1;
    }
    const QImage image(pixels, strip.StrideWidth(), strip.Height(), strip.StrideWidth() * 4, QImage::Format_RGB32);
    return WritePng(image, options.output, err) ? 0 : 1;
}
