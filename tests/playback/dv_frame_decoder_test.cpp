// Our own DV decoder against the framework's on the same frames: the same caps and the same bytes in every
// plane, for both systems, both aspects, both resolutions and both routes to the decoder (straight from the
// AVI splitter, and behind the DV splitter), on pictures with real detail in them; and playing, the late
// frames it leaves out.

#include "playback/plugin_preload.h"
#include "tests/fixtures/dv_pictures.h"
#include "tests/playback/clip_files.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using fixture::AviLayout;
using fixture::DvSystem;

namespace {

struct Picture {
    std::string caps;
    std::vector<std::vector<std::uint8_t>> planes;   // rows without stride padding
};

// Every picture `decoder` gives for the file, in order.
std::vector<Picture> Decode(const std::string& path, bool dvSplitter, const char* decoder, int lowres)
{
    const std::string description = "filesrc location=\"" + path + "\" ! avidemux ! "
                                  + (dvSplitter ? "dvdemux ! " : "") + decoder + " lowres=" + std::to_string(lowres)
                                  + " ! appsink name=out sync=false";
    GError* error = nullptr;
    const zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_parse_launch(description.c_str(), &error));
    const zv::GErrorPtr owner(error);
    std::vector<Picture> pictures;
    if (!pipeline || error != nullptr) {
        ADD_FAILURE() << description << ": " << (error != nullptr ? error->message : "");
        return pictures;
    }
    const zv::GstPtr<GstElement> sink = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    while (const zv::SamplePtr sample{gst_app_sink_pull_sample(GST_APP_SINK(sink.get()))}) {
        GstVideoInfo info;
        GstVideoFrame frame;
        GstCaps* caps = gst_sample_get_caps(sample.get());
        if (!gst_video_info_from_caps(&info, caps)
            || !gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample.get()), GST_MAP_READ)) {
            ADD_FAILURE() << "unreadable picture";
            break;
        }
        const zv::GCharPtr text(gst_caps_to_string(caps));
        Picture& picture = pictures.emplace_back(Picture{text.get(), {}});
        for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&frame); ++plane) {
            auto& bytes = picture.planes.emplace_back();
            const auto* data = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
            const int width = GST_VIDEO_FRAME_COMP_WIDTH(&frame, plane);
            for (int row = 0; row < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, plane); ++row) {
                const std::uint8_t* line = data + row * GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
                bytes.insert(bytes.end(), line, line + width);
            }
        }
        gst_video_frame_unmap(&frame);
    }
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return pictures;
}

// Frames another encoder made from a moving test pattern, so that every coefficient class is exercised.
std::shared_ptr<const fixture::DvPictures> PatternPictures(DvSystem system)
{
    const bool pal = fixture::Is625(system);
    const std::string raw = pipeline_test::TempPath(pal ? "pattern_pal.dv" : "pattern_ntsc.dv");
    const std::string command = std::string("ffmpeg -v error -y -f lavfi -i testsrc2=size=")
                              + (pal ? "720x576:rate=25" : "720x480:rate=30000/1001")
                              + " -frames:v 3 -c:v dvvideo -pix_fmt " + (pal ? "yuv420p" : "yuv411p") + " -f dv '"
                              + raw + "'";
    auto pictures = std::make_shared<fixture::DvPictures>();
    std::string error;
    if (std::system(command.c_str()) != 0 || !fixture::LoadDvPictures(raw, system, *pictures, &error)) {
        ADD_FAILURE() << command << " " << error;
        return nullptr;
    }
    return pictures;
}

struct DecoderCase {
    const char* name;
    DvSystem system;
    AviLayout layout;   // Type1: through the DV splitter
    fixture::DisplayAspect aspect;
};

class OwnDvDecoder : public testing::TestWithParam<DecoderCase> {};

TEST_P(OwnDvDecoder, GivesTheFrameworkDecodersCapsAndPixels)
{
    const DecoderCase& c = GetParam();
    ASSERT_STREQ(DvDecoderFactory(), "dvframedecoder");
    const pipeline_test::ClipCase clip{c.name, c.system, c.layout, fixture::AviIndex::Idx1Absolute, 3, c.aspect};
    fixture::ClipOptions options = pipeline_test::OptionsOf(clip);
    options.pictures = PatternPictures(c.system);
    ASSERT_TRUE(options.pictures);
    const std::string path = pipeline_test::TempPath(std::string(c.name) + ".avi");
    std::string error;
    ASSERT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
    const bool dvSplitter = c.layout == AviLayout::Type1;
    for (const int lowres : {0, 1}) {
        SCOPED_TRACE(lowres);
        const std::vector<Picture> theirs = Decode(path, dvSplitter, "avdec_dvvideo", lowres);
        const std::vector<Picture> ours = Decode(path, dvSplitter, "dvframedecoder", lowres);
        ASSERT_EQ(theirs.size(), 3u);
        ASSERT_EQ(ours.size(), theirs.size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            EXPECT_EQ(ours[i].caps, theirs[i].caps);
            EXPECT_TRUE(ours[i].planes == theirs[i].planes) << "picture " << i << " differs";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, OwnDvDecoder,
    testing::Values(DecoderCase{"own_pal_4x3", DvSystem::Pal625, AviLayout::Type2WithAudio, fixture::DisplayAspect::Normal4x3},
                    DecoderCase{"own_pal_16x9_split", DvSystem::Pal625, AviLayout::Type1, fixture::DisplayAspect::Wide16x9},
                    DecoderCase{"own_ntsc_4x3_split", DvSystem::Ntsc525, AviLayout::Type1, fixture::DisplayAspect::Normal4x3},
                    DecoderCase{"own_ntsc_16x9", DvSystem::Ntsc525, AviLayout::Type2WithAudio, fixture::DisplayAspect::Wide16x9}),
    [](const testing::TestParamInfo<DecoderCase>& info) { return std::string(info.param.name); });

// Playing, the sink's quality reports say how late the pictures are: a frame already too late to show
// leaves no picture, and the decoder catches up; with the reports ignored (its qos property off) every
// frame is decoded. The report below says frame 5 (200 ms) is the first one still in time.
TEST(OwnDvDecoderPlaying, DropsTheFramesTheSinksReportsSayAreLate)
{
    const pipeline_test::ClipCase clip{"own_qos", DvSystem::Pal625, AviLayout::Type2, fixture::AviIndex::Idx1Absolute, 10};
    ASSERT_STREQ(DvDecoderFactory(), "dvframedecoder");
    for (const bool qos : {true, false}) {
        SCOPED_TRACE(qos);
        const std::string description = std::string("appsrc name=in format=time caps=\"video/x-dv, systemstream=(boolean)false, "
                                                     "framerate=(fraction)25/1\" ! dvframedecoder name=dec qos=")
                                      + (qos ? "true" : "false") + " ! appsink name=out sync=false";
        const zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_parse_launch(description.c_str(), nullptr));
        ASSERT_TRUE(pipeline);
        const auto named = [&](const char* name) { return zv::AdoptObject(gst_bin_get_by_name(GST_BIN(pipeline.get()), name)); };
        const zv::GstPtr<GstElement> in = named("in");
        const zv::GstPtr<GstElement> decoder = named("dec");
        const zv::GstPtr<GstElement> out = named("out");
        gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
        const zv::GstPtr<GstPad> decoderOutput = zv::AdoptObject(gst_element_get_static_pad(decoder.get(), "src"));
        // Late by 100 ms at 0: the earliest time still shown is 0 + 2 x 100 ms (before its first picture the
        // decoder knows no frame duration to add).
        gst_pad_send_event(decoderOutput.get(), gst_event_new_qos(GST_QOS_TYPE_UNDERFLOW, 1.0, 100 * GST_MSECOND, 0));
        for (int frame = 0; frame < clip.frames; ++frame) {
            const std::vector<std::uint8_t> bytes = pipeline_test::ClipFrame(clip, frame);
            GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
            GST_BUFFER_PTS(buffer) = frame * 40 * GST_MSECOND;
            GST_BUFFER_DURATION(buffer) = 40 * GST_MSECOND;
            ASSERT_EQ(gst_app_src_push_buffer(GST_APP_SRC(in.get()), buffer), GST_FLOW_OK);
        }
        gst_app_src_end_of_stream(GST_APP_SRC(in.get()));
        std::vector<GstClockTime> shown;
        while (const zv::SamplePtr sample{gst_app_sink_pull_sample(GST_APP_SINK(out.get()))}) {
            shown.push_back(GST_BUFFER_PTS(gst_sample_get_buffer(sample.get())));
        }
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.size(), qos ? 5u : 10u);
        EXPECT_EQ(shown.front(), qos ? 200 * GST_MSECOND : 0);
        EXPECT_EQ(shown.back(), 360 * GST_MSECOND);
    }
}

}  // namespace
