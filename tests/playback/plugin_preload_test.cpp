// The plugins loaded ahead are those the graph then makes its elements from: an element from a plugin
// left off the list would load its plugin on the GUI thread again, in the middle of the build.

#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "playback/plugin_preload.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>

using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;
using pipeline_test::ClipCase;

namespace {

// GStreamer's elements, remembering the name of each one that comes from a plugin file (not the core's
// own elements, nor ours, which are registered without one).
class RecordingFactory : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        zv::GstPtr<GstElement> element = m_real.Make(factoryName);
        GstElementFactory* factory = element ? gst_element_get_factory(element.get()) : nullptr;
        const zv::GstPtr<GstPlugin> plugin(factory != nullptr ? gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory))
                                                              : nullptr);
        if (plugin && gst_plugin_get_filename(plugin.get()) != nullptr) {
            made.insert(factoryName);
        }
        return element;
    }
    std::set<std::string> made;

private:
    CGstElementFactory m_real;
};

struct PreloadCase {
    ClipCase clip;
    GraphUse use;
};

class PluginPreload : public testing::TestWithParam<PreloadCase> {};

TEST_P(PluginPreload, ListsEveryPluginTheGraphMakesAnElementFrom)
{
    const PreloadCase& c = GetParam();
    RecordingFactory factory;
    IElementFactory* previous = SetElementFactory(&factory);
    {
        CPlaybackGraph graph;
        graph.SetAudioSinkFactory(c.use == GraphUse::Snapshot ? "fakesink" : "autoaudiosink");
        if (c.use == GraphUse::Snapshot) {
            graph.HoldFramesUntilFirstSeek();
        }
        EXPECT_EQ(graph.BuildGraph(pipeline_test::ClipPath(c.clip).c_str(), 2, 2, 1, 700, 100), S_OK);
    }
    SetElementFactory(previous);
    const auto listed = GraphElements(c.use);
    for (const std::string& name : factory.made) {
        EXPECT_TRUE(std::find(listed.begin(), listed.end(), name) != listed.end()) << name << " is not loaded ahead";
    }
    EXPECT_FALSE(factory.made.empty());
}

const ClipCase kType2{"preload_type2_audio", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 4};
const ClipCase kType1{"preload_type1", DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, 4};

INSTANTIATE_TEST_SUITE_P(Layouts, PluginPreload,
                         testing::Values(PreloadCase{kType2, GraphUse::Player}, PreloadCase{kType1, GraphUse::Player},
                                         PreloadCase{kType2, GraphUse::Snapshot}, PreloadCase{kType1, GraphUse::Snapshot}),
                         [](const testing::TestParamInfo<PreloadCase>& info) {
                             return std::string(info.param.clip.name)
                                 + (info.param.use == GraphUse::Player ? "_player" : "_snapshot");
                         });

// Without our own plugin file (not installed, or a file that is no plugin) a graph takes the framework's
// decoder, and a file still opens at its first picture.
class WithoutOwnPluginFile : public testing::TestWithParam<const char*> {};

TEST_P(WithoutOwnPluginFile, TheGraphDecodesWithTheFrameworksDecoder)
{
    const std::string file = pipeline_test::TempPath(GetParam());
    if (std::string_view(GetParam()) == "not_a_plugin.so") {
        std::ofstream(file) << "no plugin here\n";
    }
    const char* decoder = DvDecoderFactoryWith(file);
    ASSERT_STREQ(decoder, "avdec_dvvideo");
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.SetDecoderFactory(decoder);
    ASSERT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kType2).c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_EQ(graph.GetNativeVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 576);
}

INSTANTIATE_TEST_SUITE_P(Files, WithoutOwnPluginFile, testing::Values("absent_plugin.so", "not_a_plugin.so"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, std::string_view(info.param).find('.'));
                         });

}  // namespace
