// Without an audio output the player plays in silence; it says so once per process on stderr, naming the
// packages that give one. The saying is per process, so it is watched in a child run of this binary.

#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "tests/playback/clip_files.h"
#include "tests/support/run_process.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The real autoaudiosink, told to accept no output at all: the same fallback to a fake sink as on a
// machine without any.
class FactoryWithoutAudioOutput final : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        zv::GstPtr<GstElement> element = m_installed.Make(factoryName);
        if (element && std::strcmp(factoryName, "autoaudiosink") == 0) {
            zv::CapsPtr none(gst_caps_from_string("audio/x-zv-no-such-output"));
            g_object_set(element.get(), "filter-caps", none.get(), nullptr);
        }
        return element;
    }

private:
    CGstElementFactory m_installed;
};

const pipeline_test::ClipCase kNoticeClip{"notice_pal_type2_audio", fixture::DvSystem::Pal625,
                                         fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute, 4};

// Run only as the child of the test below (disabled in a plain run).
TEST(AudioOutputNoticeChild, DISABLED_BuildsTwiceWithoutAnAudioOutput)
{
    FactoryWithoutAudioOutput factory;
    IElementFactory* previous = SetElementFactory(&factory);
    for (int build = 0; build < 2; ++build) {
        CPlaybackGraph graph;
        EXPECT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kNoticeClip).c_str(), 2, 2, 1, 700, 100), S_OK)
            << graph.m_szError;
    }
    SetElementFactory(previous);
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

TEST(AudioOutputNotice, IsSaidOnceOverTwoBuildsAndNamesThePackages)
{
    const ProcessResult child = RunProcess({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                            "--gtest_filter=AudioOutputNoticeChild.*"});
    ASSERT_EQ(child.status, 0) << child.out << child.err;
    EXPECT_EQ(Count(child.err, "No audio output was found"), 1u) << child.err;
    EXPECT_NE(child.err.find("gstreamer1.0-pulseaudio"), std::string::npos) << child.err;
    EXPECT_NE(child.err.find("gstreamer1.0-alsa"), std::string::npos) << child.err;
}

}  // namespace
