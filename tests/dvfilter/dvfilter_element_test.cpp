// The "dvmetadatafilter" element in small real pipelines: fixture DV frames in through appsrc, the strip
// out through whatever caps a capsfilter downstream asks for.

#include "dvfilter/gst_dv_metadata_filter.h"
#include "dvfilter/gst_handles.h"
#include "tests/playback/clip_files.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gtest/gtest.h>

#include <QImage>

using pipeline_test::ClipCase;
using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

namespace {

const ClipCase kPal{"element_pal", DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1Absolute, 8};
const ClipCase kNtsc{"element_ntsc", DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1Absolute, 8};

// appsrc ! dvmetadatafilter ! capsfilter ! appsink, fed with a clip's frames one by one.
class StripPipeline {
public:
    StripPipeline(const ClipCase& clip, std::int32_t overlayWidth, std::int32_t overlayHeight, const char* downstreamCaps)
        : m_clip(clip)
    {
        EXPECT_TRUE(RegisterDvMetadataFilter());
        m_pipeline = zv::AdoptObject(GST_PIPELINE(gst_pipeline_new(nullptr)));
        m_source = zv::AdoptObject(gst_element_factory_make("appsrc", nullptr));
        m_filter = zv::AdoptObject(gst_element_factory_make("dvmetadatafilter", nullptr));
        m_capsFilter = zv::AdoptObject(gst_element_factory_make("capsfilter", nullptr));
        m_sink = zv::AdoptObject(gst_element_factory_make("appsink", nullptr));
        CDVMetadataFilter* filter = DvMetadataFilterOf(m_filter.get());
        filter->SetOverlaySize(overlayWidth, overlayHeight);
        filter->SetDateOrder(1);
        const bool pal = fixture::Is625(clip.system);
        zv::CapsPtr input(gst_caps_new_simple("video/x-dv", "systemstream", G_TYPE_BOOLEAN, FALSE, "width", G_TYPE_INT, 720,
                                              "height", G_TYPE_INT, pal ? 576 : 480, "framerate", GST_TYPE_FRACTION,
                                              pal ? 25 : 30000, pal ? 1 : 1001, nullptr));
        g_object_set(m_source.get(), "caps", input.get(), "format", GST_FORMAT_TIME, nullptr);
        SetDownstreamCaps(downstreamCaps);
        g_object_set(m_sink.get(), "sync", FALSE, nullptr);
        gst_bin_add_many(GST_BIN(m_pipeline.get()), m_source.get(), m_filter.get(), m_capsFilter.get(), m_sink.get(), nullptr);
        m_linked = gst_element_link_many(m_source.get(), m_filter.get(), m_capsFilter.get(), m_sink.get(), nullptr);
        gst_element_set_state(GST_ELEMENT(m_pipeline.get()), GST_STATE_PLAYING);
    }
    ~StripPipeline() { gst_element_set_state(GST_ELEMENT(m_pipeline.get()), GST_STATE_NULL); }

    void SetDownstreamCaps(const char* text)
    {
        zv::CapsPtr caps(gst_caps_from_string(text));
        g_object_set(m_capsFilter.get(), "caps", caps.get(), nullptr);
    }

    // Pushes frame n with its index and time stamp; returns the strip that comes out (null sample when the
    // pipeline refused to run).
    zv::SamplePtr Push(std::int64_t n, GstClockTime timeout = 3 * GST_SECOND)
    {
        const std::vector<std::uint8_t> frame = pipeline_test::ClipFrame(m_clip, n);
        GstBuffer* buffer = gst_buffer_new_memdup(frame.data(), frame.size());
        const bool pal = fixture::Is625(m_clip.system);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(static_cast<guint64>(n), GST_SECOND * (pal ? 1 : 1001), pal ? 25 : 30000);
        GST_BUFFER_OFFSET(buffer) = static_cast<guint64>(n);
        m_lastPts = GST_BUFFER_PTS(buffer);
        gst_app_src_push_buffer(GST_APP_SRC(m_source.get()), buffer);
        return zv::SamplePtr(gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink.get()), timeout));
    }

    GstClockTime LastPts() const { return m_lastPts; }
    bool Linked() const { return m_linked; }
    // The first error the pipeline reported within the time-out, as "domain: message".
    std::string Error(GstClockTime timeout)
    {
        zv::GstPtr<GstBus> bus = zv::AdoptObject(gst_pipeline_get_bus(m_pipeline.get()));
        zv::MessagePtr message(gst_bus_timed_pop_filtered(bus.get(), timeout, GST_MESSAGE_ERROR));
        if (!message) {
            return {};
        }
        GError* error = nullptr;
        gst_message_parse_error(message.get(), &error, nullptr);
        zv::GErrorPtr owner(error);
        return error != nullptr ? error->message : "error";
    }

private:
    ClipCase m_clip;
    zv::GstPtr<GstPipeline> m_pipeline;
    zv::GstPtr<GstElement> m_source, m_filter, m_capsFilter, m_sink;
    GstClockTime m_lastPts = GST_CLOCK_TIME_NONE;
    bool m_linked = false;
};

QImage StripImage(GstSample* sample)
{
    GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    int width = 0;
    int height = 0;
    gst_structure_get_int(s, "width", &width);
    gst_structure_get_int(s, "height", &height);
    GstMapInfo map;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        return QImage();
    }
    QImage image = QImage(map.data, width, height, width * 4, QImage::Format_RGB32).copy();
    gst_buffer_unmap(buffer, &map);
    return image;
}

TEST(DvMetadataFilterElement, IsRegisteredUnderItsNames)
{
    ASSERT_TRUE(RegisterDvMetadataFilter());
    zv::GstPtr<GstElementFactory> factory = zv::AdoptObject(gst_element_factory_find("dvmetadatafilter"));
    ASSERT_TRUE(factory);
    EXPECT_STREQ(gst_element_factory_get_metadata(factory.get(), GST_ELEMENT_METADATA_LONGNAME), "DV Metadata Filter");
    zv::GstPtr<GstElement> other = zv::AdoptObject(gst_element_factory_make("identity", nullptr));
    EXPECT_EQ(DvMetadataFilterOf(other.get()), nullptr);
}

TEST(DvMetadataFilterElement, StripSizeFollowsTheLineSystemAndOverlaySize)
{
    struct Case {
        const ClipCase* clip;
        std::int32_t overlayWidth, overlayHeight;
        int width, height;
    };
    for (const Case& c : {Case{&kPal, 700, 100, 768, 100}, Case{&kNtsc, 700, 100, 640, 100}, Case{&kPal, 350, 50, 384, 50},
                          Case{&kNtsc, 350, 50, 320, 50}}) {
        SCOPED_TRACE(c.clip->name + std::to_string(c.overlayWidth));
        StripPipeline pipeline(*c.clip, c.overlayWidth, c.overlayHeight, "video/x-raw");
        ASSERT_TRUE(pipeline.Linked());
        for (std::int64_t n : {0, 5}) {
            zv::SamplePtr sample = pipeline.Push(n);
            ASSERT_TRUE(sample);
            const QImage strip = StripImage(sample.get());
            EXPECT_EQ(strip.width(), c.width);
            EXPECT_EQ(strip.height(), c.height);
            EXPECT_EQ(gst_buffer_get_size(gst_sample_get_buffer(sample.get())), static_cast<gsize>(c.width * c.height * 4));
            // The strip travels with its frame's time stamp and shows that frame.
            EXPECT_EQ(GST_BUFFER_PTS(gst_sample_get_buffer(sample.get())), pipeline.LastPts());
            EXPECT_EQ(strip, pipeline_test::ExpectedStrip(*c.clip, n, c.overlayHeight < 100, 1));
        }
    }
}

TEST(DvMetadataFilterElement, DownstreamWidthChangeRemakesTheStripAtTheNewWidth)
{
    StripPipeline pipeline(kNtsc, 700, 100, "video/x-raw");
    zv::SamplePtr before = pipeline.Push(1);
    ASSERT_TRUE(before);
    EXPECT_EQ(StripImage(before.get()).width(), 640);

    pipeline.SetDownstreamCaps("video/x-raw, width=(int)704");
    zv::SamplePtr after = pipeline.Push(2);
    ASSERT_TRUE(after);
    const QImage wide = StripImage(after.get());
    ASSERT_EQ(wide.width(), 704);
    EXPECT_EQ(gst_buffer_get_size(gst_sample_get_buffer(after.get())), static_cast<gsize>(704 * 100 * 4));
    // Same layout: the texts sit where the 640-wide strip has them, the extra columns stay black.
    EXPECT_EQ(wide.copy(0, 0, 640, 100), pipeline_test::ExpectedStrip(kNtsc, 2, false, 1));
    QImage black(64, 100, QImage::Format_RGB32);
    black.fill(0);
    EXPECT_EQ(wide.copy(640, 0, 64, 100), black);
}

TEST(DvMetadataFilterElement, RefusedProposalsAreRefusedAtLinkOrAtNegotiation)
{
    // (A top-down bitmap has no caps form: raw video rows always run top-down here.)
    struct Case {
        const char* proposal;
        bool linkRefused;   // nothing the filter offers fits: the connection itself fails
    };
    for (const Case& c : {Case{"video/x-raw, height=(int)99", true}, Case{"video/x-raw, width=(int)639, height=(int)100", true},
                          Case{"video/x-raw, format=(string)BGR", false}}) {
        SCOPED_TRACE(c.proposal);
        StripPipeline pipeline(kNtsc, 700, 100, c.proposal);
        EXPECT_EQ(pipeline.Linked(), !c.linkRefused);
        if (pipeline.Linked()) {
            // The 24-bit type is offered, chosen by a downstream that takes nothing else, and refused.
            EXPECT_FALSE(pipeline.Push(0, 200 * GST_MSECOND));
            EXPECT_FALSE(pipeline.Error(2 * GST_SECOND).empty());
        }
    }
}

}  // namespace
