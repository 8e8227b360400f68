// The DV splitter's gate on a real raw DV file through the real splitter: once the gate says the thread is
// held, a seek's flush reaches the video pad the builder is about to link. Held any earlier (while the
// splitter is still announcing the pad) the flush passes that pad by, and the frame the splitter is sending
// on it follows the flush into the picture's branch: the seek that sent the flush then deadlocks.

#include "playback/pad_gate.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

namespace {

using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

TEST(DvSplitterGate, AFlushWhileHeldReachesTheVideoPad)
{
    for (const DvSystem system : {DvSystem::Pal625, DvSystem::Ntsc525}) {
        const pipeline_test::ClipCase clip{"gate_raw_dv", system, AviLayout::Type1, AviIndex::Idx1Absolute, 3,
                                           fixture::DisplayAspect::Normal4x3, fixture::ClipWrapper::RawDv};
        const zv::GstPtr<GstElement> pipeline = zv::AdoptObject(gst_pipeline_new(nullptr));
        GstElement* reader = gst_element_factory_make("filesrc", nullptr);
        GstElement* splitter = gst_element_factory_make("dvdemux", nullptr);
        ASSERT_NE(reader, nullptr);
        ASSERT_NE(splitter, nullptr);
        gst_bin_add_many(GST_BIN(pipeline.get()), reader, splitter, nullptr);
        ASSERT_TRUE(gst_element_link(reader, splitter));
        g_object_set(reader, "location", pipeline_test::ClipPath(clip).c_str(), nullptr);
        CPadGate gate;
        gate.Attach(splitter, CPadGate::HoldAt::VideoPad);
        gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
        ASSERT_TRUE(gate.WaitHeld(std::chrono::seconds(10), {}));
        const zv::GstPtr<GstPad> video = zv::AdoptObject(gst_element_get_static_pad(splitter, "video"));
        const zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(splitter, "sink"));
        ASSERT_TRUE(video && input);
        EXPECT_FALSE(GST_PAD_IS_FLUSHING(video.get()));
        gst_pad_send_event(input.get(), gst_event_new_flush_start());
        EXPECT_TRUE(GST_PAD_IS_FLUSHING(video.get())) << "the flush passed the video pad by";
        gate.Release();
        gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    }
}

}  // namespace
