// Without an audio output the player plays in silence; it says so once per process on stderr, naming the
// packages that give one, whether the build opened the output or took one opened ahead. The saying is per
// process, so it is watched in a child run of this binary. And the output opened ahead goes to the first
// build that wants it, and to no one after.

#include "playback/audio_output_ahead.h"
#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "tests/playback/clip_files.h"
#include "tests/support/run_process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

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

void BuildTwiceWithoutAnAudioOutput(bool openedAhead)
{
    FactoryWithoutAudioOutput factory;
    IElementFactory* previous = SetElementFactory(&factory);
    if (openedAhead) {
        ExpectAudioOutputAhead();
        OpenAudioOutputAhead();
    }
    for (int build = 0; build < 2; ++build) {
        CPlaybackGraph graph;
        EXPECT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kNoticeClip).c_str(), 2, 2, 1, 700, 100), S_OK)
            << graph.m_szError;
    }
    SetElementFactory(previous);
}

// Run only as children of the test below (disabled in a plain run).
TEST(AudioOutputNoticeChild, DISABLED_BuildsTwiceWithoutAnAudioOutput)
{
    BuildTwiceWithoutAnAudioOutput(false);
}

TEST(AudioOutputNoticeChild, DISABLED_BuildsTwiceWithTheOutputOpenedAhead)
{
    BuildTwiceWithoutAnAudioOutput(true);
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++n;
    }
    return n;
}

class AudioOutputNotice : public testing::TestWithParam<const char*> {};

TEST_P(AudioOutputNotice, IsSaidOnceOverTwoBuildsAndNamesThePackages)
{
    const ProcessResult child = RunProcess({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                            std::string("--gtest_filter=AudioOutputNoticeChild.DISABLED_") + GetParam()});
    ASSERT_EQ(child.status, 0) << child.out << child.err;
    EXPECT_EQ(Count(child.err, "No audio output was found"), 1u) << child.err;
    EXPECT_NE(child.err.find("gstreamer1.0-pulseaudio"), std::string::npos) << child.err;
    EXPECT_NE(child.err.find("gstreamer1.0-alsa"), std::string::npos) << child.err;
}

INSTANTIATE_TEST_SUITE_P(Opens, AudioOutputNotice,
                         testing::Values("BuildsTwiceWithoutAnAudioOutput", "BuildsTwiceWithTheOutputOpenedAhead"));

// The installed elements, counting the automatic sound outputs made.
class CountingFactory final : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        outputs += std::strcmp(factoryName, "autoaudiosink") == 0 ? 1 : 0;
        return m_installed.Make(factoryName);
    }
    int outputs = 0;

private:
    CGstElementFactory m_installed;
};

enum class Ahead { None, OpenedWhileBuilding, DroppedBeforeBuilding };

struct AheadCase {
    const char* name;
    Ahead ahead;
    int outputsMade;   // by the open ahead and the build together
};

class AudioOutputAhead : public testing::TestWithParam<AheadCase> {};

TEST_P(AudioOutputAhead, GoesToTheFirstBuildThatWantsItAndToNoOneAfter)
{
    const AheadCase& c = GetParam();
    CountingFactory factory;
    IElementFactory* previous = SetElementFactory(&factory);
    std::thread opener;
    if (c.ahead != Ahead::None) {
        ExpectAudioOutputAhead();
        // The build may ask before the open ends: it waits for it rather than opening a second output.
        opener = std::thread(OpenAudioOutputAhead);
    }
    if (c.ahead == Ahead::DroppedBeforeBuilding) {
        DropAudioOutputOpenedAhead();
    }
    {
        CPlaybackGraph graph;
        EXPECT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kNoticeClip).c_str(), 2, 2, 1, 700, 100), S_OK)
            << graph.m_szError;
        EXPECT_EQ(graph.Pause(), S_OK);
    }
    if (opener.joinable()) {
        opener.join();
    }
    SetElementFactory(previous);
    EXPECT_EQ(factory.outputs, c.outputsMade);
    EXPECT_FALSE(TakeAudioOutputOpenedAhead());
}

INSTANTIATE_TEST_SUITE_P(Cases, AudioOutputAhead,
                         testing::Values(AheadCase{"none", Ahead::None, 1},
                                         AheadCase{"opened_while_building", Ahead::OpenedWhileBuilding, 1},
                                         AheadCase{"dropped_before_building", Ahead::DroppedBeforeBuilding, 2}),
                         [](const testing::TestParamInfo<AheadCase>& info) { return std::string(info.param.name); });

}  // namespace
