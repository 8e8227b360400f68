// A build that cannot finish names the step that failed, whatever the cause: an element GStreamer cannot
// make, a file that is not what its name says, a stream the filter will not take.

#include "playback/appsink_renderer.h"
#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <cstring>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using pipeline_test::ClipCase;
using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

namespace {

const ClipCase kWithSound{"fail_pal_type2_audio", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 8};
const ClipCase kSilent{"fail_pal_type2_silent", DvSystem::Pal625, AviLayout::Type2, AviIndex::Idx1Absolute, 8};

// GStreamer's elements, except one that "is not installed".
class RefusingFactory : public IElementFactory {
public:
    explicit RefusingFactory(const char* refused) : m_refused(refused) {}
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        if (std::strcmp(factoryName, m_refused) == 0) {
            return {};
        }
        return m_real.Make(factoryName);
    }

private:
    const char* m_refused;
    CGstElementFactory m_real;
};

class FactoryInPlace {
public:
    explicit FactoryInPlace(IElementFactory* factory) : m_previous(SetElementFactory(factory)) {}
    ~FactoryInPlace() { SetElementFactory(m_previous); }

private:
    IElementFactory* m_previous;
};

HRESULT BuildFile(CPlaybackGraph& graph, const std::string& path)
{
    graph.SetAudioSinkFactory("fakesink");
    return graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100);
}

// A copy of a clip with four bytes replaced at a file offset.
std::string PatchedCopy(const ClipCase& clip, const std::string& name, long offset, const char (&bytes)[5])
{
    std::ifstream in(pipeline_test::ClipPath(clip), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    data.replace(static_cast<std::size_t>(offset), 4, bytes, 4);
    const std::string path = pipeline_test::TempPath(name);
    std::ofstream(path, std::ios::binary) << data;
    return path;
}

struct MissingElement {
    const char* element;
    const ClipCase* clip;
    const char* message;
    const char* package;   // named in the detail; nullptr for our own element, which has none
};

class BuildWithout : public testing::TestWithParam<MissingElement> {};

TEST_P(BuildWithout, NamesTheStepThatNeededIt)
{
    const MissingElement c = GetParam();
    RefusingFactory factory(c.element);
    FactoryInPlace inPlace(&factory);
    CPlaybackGraph graph;
    if (std::strcmp(c.element, "avdec_dvvideo") == 0) {
        graph.SetDecoderFactory(c.element);   // as without our own plugin file
    }
    const HRESULT hr = BuildFile(graph, pipeline_test::ClipPath(*c.clip));
    EXPECT_TRUE(FAILED(hr));
    EXPECT_STREQ(graph.m_szError, c.message);
    const std::string name = std::string("The GStreamer element \"") + c.element + "\"";
    EXPECT_EQ(graph.ErrorDetail(), c.package != nullptr ? name + " is not installed (Debian package " + c.package + ")."
                                                        : name + " could not be made.");
}

const char* const kCore = "libgstreamer1.0-0";
const char* const kBase = "gstreamer1.0-plugins-base";
const char* const kGood = "gstreamer1.0-plugins-good";

const MissingElement kMissing[] = {
    {"pipeline", &kWithSound, "Could not create the Filter Graph Manager", kCore},
    {"bin", &kWithSound, "Could not add renderer", kCore},
    {"appsink", &kWithSound, "Could not add renderer", kBase},
    {"videoconvert", &kWithSound, "Could not add renderer", kBase},
    {"filesrc", &kWithSound, "Could not create the file reader", kCore},
    {"avidemux", &kWithSound, "Could not create AVI splitter", kGood},
    {"tee", &kWithSound, "Could not create Tee filter", kCore},
    {"queue", &kWithSound, "Could not render Avi Splitter audio output", kCore},
    {"avdec_dvvideo", &kWithSound, "Could not create DV decoder", "gstreamer1.0-libav"},
    {"dvframedecoder", &kWithSound, "Could not create DV decoder", nullptr},
    {"audioresample", &kWithSound, "Could not render Avi Splitter audio output", kBase},
    {"fakesink", &kWithSound, "Could not render Avi Splitter audio output", kCore},
    {"dvdemux", &kSilent, "Could not create DV splitter", kGood},
    {"capssetter", &kSilent, "Could not connect Tee to DV splitter", kGood},
    {"dvmetadatafilter", &kWithSound, "Could not add Meta filter", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Elements, BuildWithout, testing::ValuesIn(kMissing),
                         [](const testing::TestParamInfo<MissingElement>& info) {
                             std::string name = info.param.element;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

// The element list is what the install script is checked against: the factory makes nothing else, not
// even an element the tests list for their own pipelines.
TEST(ElementFactory, MakesOnlyTheProgramsListedElements)
{
    CGstElementFactory factory;
    EXPECT_TRUE(factory.Make("queue"));
    EXPECT_FALSE(factory.Make("identity"));
    EXPECT_FALSE(factory.Make("xvimagesink"));
}

TEST(BuildFailure, ATextFileNamedAviFailsAtTheSplitterWithGStreamersWords)
{
    const std::string path = pipeline_test::TempPath("notes.avi");
    std::ofstream(path) << "These are not the frames you are looking for.\n";
    CPlaybackGraph graph;
    EXPECT_TRUE(FAILED(BuildFile(graph, path)));
    EXPECT_STREQ(graph.m_szError, "Could not connect from source filter");
    EXPECT_FALSE(graph.ErrorDetail().empty());
}

// Headers intact, frames cut away: the DV splitter would never see a frame to make its pads from, so the
// build must end at once rather than wait out its pad time-out.
TEST(BuildFailure, AFileCutBeforeItsFirstFrameFailsAtOnce)
{
    std::ifstream in(pipeline_test::ClipPath(kSilent), std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string path = pipeline_test::TempPath("headers_only.avi");
    std::ofstream(path, std::ios::binary) << data.substr(0, 3000);

    CPlaybackGraph graph;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(FAILED(BuildFile(graph, path)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_STREQ(graph.m_szError, "Could not connect DV splitter to DV decoder");
    EXPECT_EQ(graph.ErrorDetail(), "The stream ends before its first DV frame.");
}

TEST(BuildFailure, AFileThatCannotBeOpenedFailsAtTheSource)
{
    CPlaybackGraph graph;
    EXPECT_TRUE(FAILED(BuildFile(graph, pipeline_test::TempPath("absent.avi"))));
    EXPECT_STREQ(graph.m_szError, "Could not add source filter");
    EXPECT_FALSE(graph.ErrorDetail().empty());
}

// The graph is never handed a FIFO: opening one to read waits for a writer, so the build would hang in
// open(). Should it hang after all, opening the writing end releases it and the case fails instead.
TEST(BuildFailure, AFifoIsRefusedAtTheSourceWithoutWaiting)
{
    const std::string path = pipeline_test::TempPath("pipe.avi");
    ::unlink(path.c_str());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    CPlaybackGraph graph;
    auto build = std::async(std::launch::async, [&] { return BuildFile(graph, path); });
    if (build.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        build.wait();
        if (writer >= 0)
            ::close(writer);
        FAIL() << "the build waited on the FIFO";
    }
    EXPECT_TRUE(FAILED(build.get()));
    EXPECT_STREQ(graph.m_szError, "Could not add source filter");
    EXPECT_EQ(graph.ErrorDetail(), "Not a regular file: a pipe, socket or device cannot be played");
    ::unlink(path.c_str());
}

TEST(BuildFailure, AnUpperCaseDvCodeIsRefusedByTheMetadataFilter)
{
    // The handler still says dvsd, as the open command's check requires; the compression says DVSD.
    const std::string path = PatchedCopy(kWithSound, "upper.avi", 188, "DVSD");
    CPlaybackGraph graph;
    EXPECT_EQ(BuildFile(graph, path), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_STREQ(graph.m_szError, "Could not connect Tee to Meta filter");
}

TEST(BuildFailure, ACdvcStreamBuildsOnlyTheMetadataBranch)
{
    const std::string path = PatchedCopy(kWithSound, "cdvc.avi", 188, "CDVC");
    CPlaybackGraph graph;
    ASSERT_EQ(BuildFile(graph, path), S_OK) << graph.m_szError;
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    std::int32_t width = 0;
    std::int32_t height = 0;
    EXPECT_TRUE(FAILED(graph.GetNativeVideoSize(&width, &height)));   // the video area stays empty
    ASSERT_EQ(graph.SeekToFrame(5), S_OK) << graph.m_szError;
    QImage strip;
    ASSERT_TRUE(dynamic_cast<CAppSinkRenderer*>(graph.m_pMetaWC9.get())->CurrentImage(strip));
    EXPECT_EQ(strip, pipeline_test::ExpectedStrip(kWithSound, 5, false, 1));
}

}  // namespace

namespace {

TEST(SeekFailure, ASeekThatShowsNoNewFrameFails)
{
    // The index lists a last frame whose data lies beyond the end of the file.
    const ClipCase clip{"cut_last_frame", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 8};
    const fixture::ClipOptions options = pipeline_test::OptionsOf(clip);
    const std::string path = pipeline_test::TempPath("cut_last_frame.avi");
    fixture::AviWriteResult written;
    std::string error;
    ASSERT_TRUE(fixture::WriteDvAvi(path, fixture::ClipWriterOptions(options), fixture::MakeCamcorderFrameSource(options),
                                    &written, &error)) << error;
    ASSERT_GE(written.idx1, 0);
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        // idx1 entries (16 bytes: id, flags, offset, size) follow the 8-byte chunk header; find the last
        // video entry and move its chunk to the last 8 bytes of the file, so that its data lies past the end.
        const std::int64_t entries = static_cast<std::int64_t>(written.videoChunks.size() + written.audioChunks.size());
        for (std::int64_t i = entries - 1; i >= 0; --i) {
            char entry[16];
            file.seekg(written.idx1 + 8 + i * 16);
            file.read(entry, sizeof entry);
            if (std::memcmp(entry, "00dc", 4) == 0) {
                const auto lastBytes = static_cast<std::uint32_t>(written.fileSize - 8);
                file.seekp(written.idx1 + 8 + i * 16 + 8);
                file.write(reinterpret_cast<const char*>(&lastBytes), 4);
                break;
            }
        }
    }
    CPlaybackGraph graph;
    ASSERT_EQ(BuildFile(graph, path), S_OK) << graph.m_szError;
    ASSERT_EQ(graph.Pause(), S_OK);
    std::int64_t count = 0;
    ASSERT_EQ(graph.GetFrameCount(&count), S_OK);
    ASSERT_EQ(graph.SeekToFrame(2), S_OK);
    EXPECT_TRUE(FAILED(graph.SeekToFrame(count - 1))) << "frames: " << count;
    EXPECT_STREQ(graph.m_szError, "Could not set position");
}

}  // namespace

namespace {

TEST(BuildFailure, AStreamHeaderWithoutRateTakesTheFrameDurationFromTheStreamType)
{
    // Stream header rate 0: the frame duration comes from the splitter's caps instead (a build that
    // finds none anywhere fails with "Could not get frame rate" rather than dividing by zero later).
    const std::string path = PatchedCopy(kWithSound, "no_rate.avi", 132, "\0\0\0\0");
    CPlaybackGraph graph;
    ASSERT_EQ(BuildFile(graph, path), S_OK) << graph.m_szError;
    EXPECT_EQ(graph.m_rtFrame, 400000);
    EXPECT_EQ(graph.m_rtHalfFrame, 200000);
}

}  // namespace
