// The renderer's own conversion of the decoder's YUV gives the colour converter's pixels, bit for bit:
// whole frames and row segments that start and end anywhere, for both systems' sampling, with the chroma
// rows of interlaced and progressive frames.

#include "playback/video_frame.h"

#include "tests/playback/clip_files.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct ConversionCase {
    const char* name;
    GstVideoFormat format;
    GstVideoInterlaceMode interlace;
    QSize size;
};

const ConversionCase kCases[] = {
    {"pal_dv", GST_VIDEO_FORMAT_I420, GST_VIDEO_INTERLACE_MODE_INTERLEAVED, {720, 576}},
    {"ntsc_dv", GST_VIDEO_FORMAT_Y41B, GST_VIDEO_INTERLACE_MODE_INTERLEAVED, {720, 480}},
    {"i420_progressive", GST_VIDEO_FORMAT_I420, GST_VIDEO_INTERLACE_MODE_PROGRESSIVE, {720, 576}},
    {"half_resolution_pal", GST_VIDEO_FORMAT_I420, GST_VIDEO_INTERLACE_MODE_INTERLEAVED, {360, 288}},
    {"narrow_odd_i420", GST_VIDEO_FORMAT_I420, GST_VIDEO_INTERLACE_MODE_PROGRESSIVE, {46, 10}},
    {"narrow_odd_y41b", GST_VIDEO_FORMAT_Y41B, GST_VIDEO_INTERLACE_MODE_INTERLEAVED, {38, 8}},
};

// The frame through the colour converter as the built-in chain sets it up, to BGRx.
QImage ThroughTheConverter(GstSample* sample)
{
    GError* error = nullptr;
    const zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_parse_launch(
        "appsrc name=in format=time ! videoconvert chroma-mode=none dither=none ! video/x-raw,format=BGRx "
        "! appsink name=out sync=false",
        &error));
    const zv::GErrorPtr owner(error);
    if (!pipeline || error != nullptr) {
        return QImage();
    }
    const zv::GstPtr<GstElement> in = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(pipeline.get()), "in"));
    const zv::GstPtr<GstElement> out = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    gst_app_src_push_sample(GST_APP_SRC(in.get()), sample);
    gst_app_src_end_of_stream(GST_APP_SRC(in.get()));
    const zv::SamplePtr converted(gst_app_sink_try_pull_sample(GST_APP_SINK(out.get()), 10 * GST_SECOND));
    const QImage image = CVideoFrame(converted.get()).Copy();
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return image;
}

class YuvToBgrx : public testing::TestWithParam<ConversionCase> {};

TEST_P(YuvToBgrx, GivesTheConvertersPixels)
{
    const ConversionCase& c = GetParam();
    const zv::SamplePtr sample = pipeline_test::NoiseFrame(c.size, c.format, c.interlace);
    const QImage expected = ThroughTheConverter(sample.get());
    ASSERT_EQ(expected.size(), c.size);
    const CVideoFrame frame(sample.get());
    ASSERT_TRUE(frame.IsValid());
    EXPECT_TRUE(frame.Copy() == expected);

    // Segments that start between chroma samples and end before a whole block of pixels.
    const int width = c.size.width();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    for (const int from : {1, 3, 5, 17}) {
        const int count = std::max(0, width - 2 * from - 1);
        for (int y = 0; y < c.size.height(); ++y) {
            frame.Row(y, from, count, row.data());
            ASSERT_EQ(std::memcmp(row.data(), expected.constScanLine(y) + 4 * from, 4 * static_cast<std::size_t>(count)), 0)
                << "row " << y << " from " << from;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samplings, YuvToBgrx, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ConversionCase>& info) { return std::string(info.param.name); });

}  // namespace
