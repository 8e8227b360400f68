// The playback graph on real fixture files through real GStreamer: every position the player can reach
// shows the same frame in the picture and in the strip.

#include "avi/frame_sound.h"
#include "playback/appsink_renderer.h"
#include "playback/playback_graph.h"
#include "tests/fixtures/raw_dv_writer.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <unistd.h>

using pipeline_test::ClipCase;
using fixture::AviIndex;
using fixture::AviLayout;
using fixture::DvSystem;

namespace {

// Receives the graph's notify events as the main window would.
class NotifyCounter : public QObject {
public:
    int count = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == static_cast<QEvent::Type>(WM_APP_GRAPH_NOTIFY)) {
            ++count;
            return true;
        }
        return QObject::event(e);
    }
};

class ShowsFrame {
public:
    ShowsFrame(const ClipCase& clip, bool half = false) : m_clip(clip), m_half(half) {}

    // Picture identity, strip pixels and the graph's own frame number all name `expected`.
    testing::AssertionResult operator()(CPlaybackGraph& graph, std::int64_t expected) const
    {
        auto* video = dynamic_cast<CAppSinkRenderer*>(graph.m_pVideoWC9.get());
        auto* strip = dynamic_cast<CAppSinkRenderer*>(graph.m_pMetaWC9.get());
        QImage picture;
        QImage painted;
        if (video == nullptr || !video->CurrentImage(picture)) {
            return testing::AssertionFailure() << "no picture";
        }
        if (strip == nullptr || !strip->CurrentImage(painted)) {
            return testing::AssertionFailure() << "no strip";
        }
        const int identity = pipeline_test::PictureIdentity(picture);
        if (identity != expected) {
            return testing::AssertionFailure() << "picture shows frame " << identity << ", expected " << expected;
        }
        if (painted != pipeline_test::ExpectedStrip(m_clip, expected, m_half, 1)) {
            for (std::int64_t other : {expected - 1, expected + 1}) {
                if (other >= 0 && painted == pipeline_test::ExpectedStrip(m_clip, other, m_half, 1)) {
                    return testing::AssertionFailure() << "strip shows frame " << other << ", expected " << expected;
                }
            }
            return testing::AssertionFailure() << "strip differs from frame " << expected << "'s";
        }
        std::int64_t current = -1;
        if (FAILED(graph.GetCurrentFrame(&current)) || current != expected) {
            return testing::AssertionFailure() << "graph is at frame " << current << ", expected " << expected;
        }
        return testing::AssertionSuccess();
    }

private:
    ClipCase m_clip;
    bool m_half;
};

std::unique_ptr<CPlaybackGraph> Build(const ClipCase& clip, QObject* notify = nullptr, std::int32_t res = 2)
{
    auto graph = std::make_unique<CPlaybackGraph>();
    graph->SetAudioSinkFactory("fakesink");
    graph->m_hwndNotify = notify;
    graph->m_uNotifyMsg = WM_APP_GRAPH_NOTIFY;
    const bool half = res == 1;
    const HRESULT hr = graph->BuildGraph(pipeline_test::ClipPath(clip).c_str(), 2, res, 1, half ? 350 : 700, half ? 50 : 100);
    EXPECT_EQ(hr, S_OK) << graph->m_szError << " / " << graph->ErrorDetail();
    return graph;
}

int CountElements(CPlaybackGraph& graph, const char* factoryName)
{
    int count = 0;
    zv::ForEachElement(gst_bin_iterate_recurse(GST_BIN(graph.Graph())), [&](GstElement* element) {
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory != nullptr && g_strcmp0(GST_OBJECT_NAME(factory), factoryName) == 0) {
            ++count;
        }
        return true;
    });
    return count;
}

// Runs the graph until the end of the stream has come through its notify events (10 s at most).
bool PlayToTheEnd(CPlaybackGraph& graph, const NotifyCounter& notify)
{
    if (graph.Run() != S_OK) {
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    bool ended = false;
    while (!ended && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (notify.count > 0) {
            ended = graph.HandleGraphEvents();
        }
    }
    return ended;
}

// The time of the last sound buffer the sound output (the graph's only fakesink) was given; -1 when it was
// given none, or there is no sound output.
std::int64_t LastSoundTime(CPlaybackGraph& graph)
{
    std::int64_t time = -1;
    zv::ForEachElement(gst_bin_iterate_recurse(GST_BIN(graph.Graph())), [&](GstElement* element) {
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory == nullptr || g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") != 0) {
            return true;
        }
        GstSample* sample = nullptr;
        g_object_get(element, "last-sample", &sample, nullptr);
        if (sample != nullptr && gst_sample_get_buffer(sample) != nullptr) {
            time = static_cast<std::int64_t>(GST_BUFFER_PTS(gst_sample_get_buffer(sample)));
        }
        if (sample != nullptr) {
            gst_sample_unref(sample);
        }
        return false;
    });
    return time;
}

// What this process writes on its standard error while it lives (the media framework's and its libraries'
// complaints go straight there).
class StderrCapture {
public:
    StderrCapture() : m_file(std::tmpfile()), m_saved(::dup(2))
    {
        std::fflush(stderr);
        ::dup2(::fileno(m_file), 2);
    }
    ~StderrCapture()
    {
        Restore();
        std::fclose(m_file);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    std::string Take()
    {
        Restore();
        std::string text;
        std::rewind(m_file);
        for (int c = std::fgetc(m_file); c != EOF; c = std::fgetc(m_file)) {
            text += static_cast<char>(c);
        }
        return text;
    }

private:
    void Restore()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
        }
    }
    std::FILE* m_file;
    int m_saved;
};

const ClipCase kClips[] = {
    {"pal_type2_audio_idx1", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 20},
    {"pal_type1_odml", DvSystem::Pal625, AviLayout::Type1, AviIndex::OpenDml, 20},
    {"ntsc_type2_silent_idx1rel", DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1MoviRelative, 20},
    {"ntsc_type1_idx1", DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, 20},
    {"ntsc_type2_audio_odml", DvSystem::Ntsc525, AviLayout::Type2WithAudio, AviIndex::OpenDml, 20},
    {"pal_raw_dv", DvSystem::Pal625, AviLayout::Type1, AviIndex::Idx1Absolute, 20, fixture::DisplayAspect::Normal4x3,
     fixture::ClipWrapper::RawDv},
    {"ntsc_raw_dv", DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, 20, fixture::DisplayAspect::Normal4x3,
     fixture::ClipWrapper::RawDv},
    {"pal_quicktime_sound", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 20,
     fixture::DisplayAspect::Normal4x3, fixture::ClipWrapper::QuickTime},
    {"ntsc_quicktime", DvSystem::Ntsc525, AviLayout::Type2, AviIndex::Idx1Absolute, 20, fixture::DisplayAspect::Normal4x3,
     fixture::ClipWrapper::QuickTime},
};

class FrameExact : public testing::TestWithParam<ClipCase> {};

TEST_P(FrameExact, SeekStepRewindAndEndOfStreamShowTheSameFrameInPictureAndStrip)
{
    const ClipCase clip = GetParam();
    NotifyCounter notify;
    auto graph = Build(clip, &notify);
    ASSERT_TRUE(graph->m_pVideoWC9);
    const ShowsFrame shows(clip);
    ASSERT_EQ(graph->Pause(), S_OK) << graph->m_szError;
    EXPECT_TRUE(shows(*graph, 0));

    std::int64_t count = 0;
    ASSERT_EQ(graph->GetFrameCount(&count), S_OK);
    EXPECT_EQ(count, clip.frames);
    const std::int64_t last = count - 1;

    struct Move {
        const char* what;
        std::function<HRESULT(CPlaybackGraph&)> act;
        std::int64_t expected;
    };
    const Move moves[] = {
        {"seek 7", [](CPlaybackGraph& g) { return g.SeekToFrame(7); }, 7},
        {"step forward", [](CPlaybackGraph& g) { return g.StepFrame(true); }, 8},
        {"step back", [](CPlaybackGraph& g) { return g.StepFrame(false); }, 7},
        {"seek 12 (second scene)", [](CPlaybackGraph& g) { return g.SeekToFrame(12); }, 12},
        {"seek 0", [](CPlaybackGraph& g) { return g.SeekToFrame(0); }, 0},
        {"step back at 0", [](CPlaybackGraph& g) { return g.StepFrame(false); }, 0},
        {"seek past the end", [&](CPlaybackGraph& g) { return g.SeekToFrame(count + 5); }, last},
        {"step forward at the end", [](CPlaybackGraph& g) { return g.StepFrame(true); }, last},
        // Frame numbers whose time does not fit 64 bits end at the last frame, as any frame past the end.
        {"seek the largest frame", [](CPlaybackGraph& g) { return g.SeekToFrame(INT64_MAX); }, last},
        {"seek 0 again", [](CPlaybackGraph& g) { return g.SeekToFrame(0); }, 0},
        {"seek the largest time", [](CPlaybackGraph& g) { return g.SeekToTime(INT64_MAX); }, last},
        {"seek the smallest time", [](CPlaybackGraph& g) { return g.SeekToTime(INT64_MIN); }, 0},
        {"seek negative", [](CPlaybackGraph& g) { return g.SeekToFrame(-3); }, 0},
        {"seek last", [&](CPlaybackGraph& g) { return g.SeekToFrame(last); }, last},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.what);
        EXPECT_EQ(move.act(*graph), S_OK) << graph->m_szError;
        EXPECT_TRUE(shows(*graph, move.expected));
    }

    // At the last frame playing is refused and nothing changes.
    EXPECT_EQ(graph->Run(), E_FAIL);
    std::int32_t state = -1;
    graph->GetState(500, &state);
    EXPECT_EQ(state, State_Paused);

    // Play the last few frames: the end of the stream arrives as a notify event and leaves the graph
    // paused on the last frame.
    ASSERT_EQ(graph->SeekToFrame(count - 4), S_OK);
    ASSERT_TRUE(PlayToTheEnd(*graph, notify));
    graph->GetState(500, &state);
    EXPECT_EQ(state, State_Paused);
    EXPECT_TRUE(shows(*graph, last));
    EXPECT_FALSE(graph->HandleGraphEvents());   // drained
}

INSTANTIATE_TEST_SUITE_P(Clips, FrameExact, testing::ValuesIn(kClips),
                         [](const testing::TestParamInfo<ClipCase>& info) { return std::string(info.param.name); });

TEST(PlaybackGraph, FrameDurationAndTheMiddleOfTheFrameSought)
{
    struct Case {
        ClipCase clip;
        std::int64_t frame;
        std::int64_t half;
    };
    for (const Case& c : {Case{kClips[0], 400000, 200000}, Case{kClips[2], 333666, 166833}}) {
        auto graph = Build(c.clip);
        EXPECT_EQ(graph->m_rtFrame, c.frame);
        EXPECT_EQ(graph->m_rtHalfFrame, c.half);
        ASSERT_EQ(graph->Pause(), S_OK);
        ASSERT_EQ(graph->SeekToFrame(3), S_OK);
        gint64 position = 0;
        ASSERT_TRUE(gst_element_query_position(graph->Control(), GST_FORMAT_TIME, &position));
        EXPECT_EQ(position, (3 * c.frame + c.half) * 100);   // 1,400,000 for 25 frames/s
    }
}

TEST(PlaybackGraph, FramesThatArriveAfterTheirWindowsAreGoneLeaveThemAlone)
{
    auto video = std::make_unique<QWidget>();
    auto meta = std::make_unique<QWidget>();
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.m_hwndVideo = video.get();
    graph.m_hwndMeta = meta.get();
    ASSERT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kClips[1]).c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    // The windows close while the graph still runs: the frames a seek brings ask for repaints all the same.
    video.reset();
    meta.reset();
    ASSERT_EQ(graph.SeekToFrame(5), S_OK) << graph.m_szError;
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(ShowsFrame(kClips[1])(graph, 5));
}

TEST(PlaybackGraph, BranchesFollowTheFileLayout)
{
    struct Case {
        ClipCase clip;
        int dvSplitters;
        int soundChains;
    };
    const Case cases[] = {
        {kClips[0], 0, 1},   // separate sound stream
        {kClips[1], 1, 1},   // sound inside the frames
        {kClips[2], 1, 1},   // no sound stream: the DV splitter finds the frames' own sound
        {kClips[5], 1, 1},   // raw DV: the DV splitter in the AVI splitter's place, sound from its frames
        {kClips[7], 0, 1},   // QuickTime with a sound track: the QuickTime splitter gives the sound
        {kClips[8], 1, 1},   // QuickTime without one: the sound inside the frames
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip.name);
        auto graph = Build(c.clip);
        EXPECT_EQ(CountElements(*graph, "dvdemux"), c.dvSplitters);
        EXPECT_EQ(CountElements(*graph, "audioconvert"), c.soundChains);
        EXPECT_EQ(CountElements(*graph, "dvmetadatafilter"), 1);
        EXPECT_EQ(CountElements(*graph, "appsink"), 2);
        zv::GstPtr<GstElement> second = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(graph->Graph()), "Video Mixing Renderer 9 0001"));
        EXPECT_TRUE(second);
    }
}

TEST(PlaybackGraph, HalfResolutionDecodesA360WidePictureAndAHalfStrip)
{
    auto graph = Build(kClips[0], nullptr, 1);
    ASSERT_EQ(graph->Pause(), S_OK);
    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_EQ(graph->GetNativeVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 360);
    EXPECT_EQ(height, 288);
    std::int32_t stripWidth = 0;
    std::int32_t stripHeight = 0;
    ASSERT_EQ(graph->m_pMetaWC9->GetNativeVideoSize(&stripWidth, &stripHeight), S_OK);
    EXPECT_EQ(stripWidth, 384);
    EXPECT_EQ(stripHeight, 50);
    ASSERT_EQ(graph->SeekToFrame(5), S_OK);
    EXPECT_TRUE(ShowsFrame(kClips[0], true)(*graph, 5));
}

struct AspectCase {
    ClipCase clip;
    std::int32_t arWidth;
    std::int32_t arHeight;
};

const AspectCase kAspectCases[] = {
    {{"pal_4x3", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 12}, 4, 3},
    {{"pal_16x9", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 12,
      fixture::DisplayAspect::Wide16x9}, 16, 9},
    {{"ntsc_4x3_type1", DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, 12}, 4, 3},
    {{"ntsc_16x9_type1", DvSystem::Ntsc525, AviLayout::Type1, AviIndex::Idx1Absolute, 12,
      fixture::DisplayAspect::Wide16x9}, 16, 9},
};

class DisplayAspect : public testing::TestWithParam<AspectCase> {};

// The built-in renderer letter-boxes the picture at the shape the stream says it has, whatever its pixel
// count: a 720-pixel-wide frame is 4:3 or 16:9 on screen, with black bars in the rest of the destination.
TEST_P(DisplayAspect, TheBuiltInRendererLetterBoxesThePictureAtTheStreamsDisplayAspect)
{
    const AspectCase& c = GetParam();
    auto graph = Build(c.clip);
    ASSERT_EQ(graph->Pause(), S_OK);
    ASSERT_EQ(graph->SeekToFrame(9), S_OK);
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t arWidth = 0;
    std::int32_t arHeight = 0;
    ASSERT_EQ(graph->GetNativeVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 720);   // the frame's own size stays what the decoder delivers
    ASSERT_EQ(graph->GetVideoAspectRatio(&arWidth, &arHeight), S_OK);
    EXPECT_EQ(arWidth, c.arWidth);
    EXPECT_EQ(arHeight, c.arHeight);

    // Wider than either shape (bars left and right), then taller (bars above and below).
    for (const QSize area : {QSize(1000, 360), QSize(600, 700)}) {
        SCOPED_TRACE(area.width());
        const QRect source(0, 0, width, height);
        const QRect destination(QPoint(0, 0), area);
        ASSERT_EQ(graph->m_pVideoWC9->SetVideoPosition(&source, &destination), S_OK);
        QImage window(area, QImage::Format_RGB32);
        window.fill(Qt::white);
        {
            QPainter painter(&window);
            ASSERT_EQ(graph->m_pVideoWC9->RepaintVideo(nullptr, &painter), S_OK);
        }
        const QRect picture = pipeline_test::NonBlackArea(window);
        ASSERT_FALSE(picture.isEmpty());
        EXPECT_NEAR(static_cast<double>(picture.width()) / picture.height(),
                    static_cast<double>(c.arWidth) / c.arHeight, 0.01) << picture.width() << "x" << picture.height();
        // Centred, touching the destination on the two sides the shape fills.
        EXPECT_LE(std::abs(picture.center().x() - destination.center().x()), 1);
        EXPECT_LE(std::abs(picture.center().y() - destination.center().y()), 1);
        EXPECT_TRUE(picture.width() == area.width() || picture.height() == area.height());
        EXPECT_EQ(pipeline_test::PictureIdentity(window.copy(picture)), 9);
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, DisplayAspect, testing::ValuesIn(kAspectCases),
                         [](const testing::TestParamInfo<AspectCase>& info) { return std::string(info.param.clip.name); });

TEST(PlaybackGraph, ACutMovieEndsAtTheLastFrameItHolds)
{
    const ClipCase& clip = kClips[7];   // twenty frames, the movie box before them
    std::ifstream in(pipeline_test::ClipPath(clip), std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string path = pipeline_test::TempPath("cut.mov");
    // Thirteen frames with their sound, and the start of the fourteenth.
    std::ofstream(path, std::ios::binary) << whole.substr(0, whole.size() - 7 * (144000 + 1920 * 4) + 5000);
    NotifyCounter notify;
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
    ASSERT_EQ(graph.Pause(), S_OK);
    std::int64_t count = 0;
    ASSERT_EQ(graph.GetFrameCount(&count), S_OK);
    EXPECT_EQ(count, 13);
    const ShowsFrame shows(clip);
    for (const std::int64_t frame : {std::int64_t{12}, std::int64_t{19}}) {
        EXPECT_EQ(graph.SeekToFrame(frame), S_OK) << graph.m_szError;
        EXPECT_TRUE(shows(graph, 12));
    }
}

TEST(PlaybackGraph, FrameCountRoundsTheDurationToTheNearestFrame)
{
    // Ten frames of picture; the index gives the last sound chunk more bytes, so the sound (and the file)
    // lasts a little longer. Under half a frame more still counts ten frames, half a frame or more eleven.
    const ClipCase clip{"ten_frames", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, 10};
    std::ifstream in(pipeline_test::ClipPath(clip), std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t idx1 = original.rfind("idx1");
    ASSERT_NE(idx1, std::string::npos);
    std::size_t lastSound = std::string::npos;
    for (std::size_t entry = idx1 + 8; entry + 16 <= original.size(); entry += 16) {
        if (original.compare(entry, 4, "01wb") == 0) {
            lastSound = entry;
        }
    }
    ASSERT_NE(lastSound, std::string::npos);
    std::uint32_t size = 0;
    std::memcpy(&size, original.data() + lastSound + 12, 4);
    constexpr std::uint32_t kBytesPerFrame = 48000 / 25 * 4;
    for (auto [extra, frames] : {std::pair<std::uint32_t, std::int64_t>{kBytesPerFrame * 4 / 10, 10}, {kBytesPerFrame / 2, 11}}) {
        SCOPED_TRACE(extra);
        std::string bytes = original;
        const std::uint32_t longer = size + extra;
        bytes.replace(lastSound + 12, 4, reinterpret_cast<const char*>(&longer), 4);
        const std::string path = pipeline_test::TempPath("longer_sound_" + std::to_string(extra) + ".avi");
        std::ofstream(path, std::ios::binary) << bytes;
        CPlaybackGraph graph;
        graph.SetAudioSinkFactory("fakesink");
        ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
        ASSERT_EQ(graph.Pause(), S_OK);
        std::int64_t count = 0;
        ASSERT_EQ(graph.GetFrameCount(&count), S_OK);
        EXPECT_EQ(count, frames) << "stop " << graph.m_rtStop;
    }
}

TEST(PlaybackGraph, StatesFollowRunPauseAndStopAndAStoppedGraphPlaysAgain)
{
    for (const ClipCase& clip : {kClips[0], kClips[1]}) {   // the AVI splitter alone, and with the DV splitter
        SCOPED_TRACE(clip.name);
        auto graph = Build(clip);
        struct Step {
            const char* what;
            std::function<HRESULT(CPlaybackGraph&)> act;
            std::int32_t state;
        };
        const Step steps[] = {
            {"pause", [](CPlaybackGraph& g) { return g.Pause(); }, State_Paused},
            {"run", [](CPlaybackGraph& g) { return g.Run(); }, State_Running},
            {"pause again", [](CPlaybackGraph& g) { return g.Pause(); }, State_Paused},
            {"stop", [](CPlaybackGraph& g) { return g.Stop(); }, State_Stopped},
            {"pause after stop", [](CPlaybackGraph& g) { return g.Pause(); }, State_Paused},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            EXPECT_EQ(step.act(*graph), S_OK) << graph->m_szError;
            std::int32_t state = -1;
            EXPECT_EQ(graph->GetState(5000, &state), S_OK);
            EXPECT_EQ(state, step.state);
        }
        // Stopped and paused again: the graph is whole and still frame-exact.
        EXPECT_TRUE(ShowsFrame(clip)(*graph, 0));
        ASSERT_EQ(graph->SeekToFrame(5), S_OK) << graph->m_szError;
        EXPECT_TRUE(ShowsFrame(clip)(*graph, 5));
    }
}

// Counts the frames reaching the strip that carry sound packs where their frame number says they should
// not, or lack them where it says they should: the strip must see each frame's packs as recorded.
struct StripSoundWatch {
    std::int64_t silentFrom = 0;
    std::int64_t silentTo = 0;
    std::int64_t frameNs = 1;
    std::atomic<int> frames{0};
    std::atomic<int> wrong{0};

    static GstPadProbeReturn OnBuffer(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
    {
        auto* watch = static_cast<StripSoundWatch*>(self);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstMapInfo map;
        if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const std::int64_t frame = static_cast<std::int64_t>(GST_BUFFER_PTS(buffer)) / watch->frameNs;
            const bool silent = frame >= watch->silentFrom && frame < watch->silentTo;
            watch->wrong += DvFrameCarriesSound(map.data, map.size) == silent ? 1 : 0;
            ++watch->frames;
            gst_buffer_unmap(buffer, &map);
        }
        return GST_PAD_PROBE_OK;
    }
};

// Frames whose sound packs are removed (every AAUX pack absent) over a stretch: with no sound anywhere in
// an AVI file there is nothing for the DV splitter to find and the frames go to the decoder directly; a
// capture that starts on blank tape or has silent gaps still gets the DV splitter and its sound, and so
// does a raw stream, whose own DV splitter gives it (one splitter, never two in a row; no sound output for
// a raw stream without sound). Either way the picture plays, the sound that is there reaches the sound
// output to the last frame, the strip sees each frame's packs as recorded, and the terminal stays clean:
// the DV library would print a line for each silent frame its splitter were given as it is.
TEST(PlaybackGraph, TheDvSplitterIsThereOnlyWhenSomeFramesCarrySound)
{
    struct Case {
        const char* name;
        std::int64_t silentFrom;
        std::int64_t silentTo;
        int dvSplitters;
        fixture::ClipWrapper wrapper = fixture::ClipWrapper::Avi;
        DvSystem system = DvSystem::Pal625;
        AviLayout layout = AviLayout::Type2;
    };
    constexpr std::int64_t kFrames = 80;
    const Case cases[] = {
        {"no_sound_anywhere", 0, kFrames, 0},
        {"blank_tape_then_sound", 0, 70, 1},
        {"sound_from_the_first_frame", 0, 0, 1},
        {"type1_sound_with_a_silent_gap", 30, 70, 1, fixture::ClipWrapper::Avi, DvSystem::Pal625, AviLayout::Type1},
        {"raw_blank_tape", 0, kFrames, 1, fixture::ClipWrapper::RawDv},
        {"raw_ntsc_blank_tape", 0, kFrames, 1, fixture::ClipWrapper::RawDv, DvSystem::Ntsc525},
        {"raw_blank_tape_then_sound", 0, 70, 1, fixture::ClipWrapper::RawDv},
        {"raw_sound_from_the_first_frame", 0, 0, 1, fixture::ClipWrapper::RawDv},
        {"raw_ntsc_sound_with_a_silent_gap", 30, 70, 1, fixture::ClipWrapper::RawDv, DvSystem::Ntsc525},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClipCase clip{c.name, c.system, c.layout, AviIndex::Idx1Absolute, kFrames,
                            fixture::DisplayAspect::Normal4x3, c.wrapper};
        const fixture::ClipOptions options = pipeline_test::OptionsOf(clip);
        const fixture::FrameSource camcorder = fixture::MakeCamcorderFrameSource(options);
        const fixture::FrameSource silent = [&](std::int64_t frame, std::size_t needed, std::vector<std::uint8_t>& data) {
            if (!camcorder(frame, needed, data)) {
                return false;
            }
            const bool blank = frame >= c.silentFrom && frame < c.silentTo;
            for (std::size_t sequence = 0; blank && (sequence + 1) * 12000 <= data.size(); ++sequence) {
                for (int block = 0; block < 9; ++block) {
                    data[sequence * 12000 + 480 + 1280 * static_cast<std::size_t>(block) + 3] = 0xFF;   // pack absent
                }
            }
            return true;
        };
        const bool raw = c.wrapper == fixture::ClipWrapper::RawDv;
        const std::string path = pipeline_test::TempPath(std::string(c.name) + (raw ? ".dv" : ".avi"));
        std::string error;
        ASSERT_TRUE(raw ? fixture::WriteRawDv(path, fixture::ClipWriterOptions(options), silent, &error)
                        : fixture::WriteDvAvi(path, fixture::ClipWriterOptions(options), silent, nullptr, &error))
            << error;
        const std::int64_t frameNs = c.system == DvSystem::Pal625 ? GST_SECOND / 25 : GST_SECOND * 1001 / 30000;
        StderrCapture terminal;
        NotifyCounter notify;
        CPlaybackGraph graph;
        graph.SetAudioSinkFactory("fakesink");
        graph.m_hwndNotify = &notify;
        graph.m_uNotifyMsg = WM_APP_GRAPH_NOTIFY;
        ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
        EXPECT_EQ(CountElements(graph, "dvdemux"), c.dvSplitters);
        StripSoundWatch strip;
        strip.silentFrom = c.silentFrom;
        strip.silentTo = c.silentTo;
        strip.frameNs = frameNs;
        const zv::GstPtr<GstElement> filter = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(graph.Graph()), "DV Metadata Filter"));
        const zv::GstPtr<GstPad> stripInput = zv::AdoptObject(gst_element_get_static_pad(filter.get(), "sink"));
        gst_pad_add_probe(stripInput.get(), GST_PAD_PROBE_TYPE_BUFFER, &StripSoundWatch::OnBuffer, &strip, nullptr);
        ASSERT_EQ(graph.Pause(), S_OK);
        ASSERT_EQ(graph.SeekToFrame(4), S_OK);
        auto* video = dynamic_cast<CAppSinkRenderer*>(graph.m_pVideoWC9.get());
        QImage picture;
        ASSERT_TRUE(video->CurrentImage(picture));
        EXPECT_EQ(pipeline_test::PictureIdentity(picture), 4);
        // Through the last silent frames into the sound, which plays to the last frame.
        ASSERT_EQ(graph.SeekToFrame(c.silentTo > 5 && c.silentTo < kFrames ? c.silentTo - 5 : 60), S_OK);
        EXPECT_TRUE(PlayToTheEnd(graph, notify));
        const std::int64_t lastSound = LastSoundTime(graph);
        if (c.silentFrom > 0 || c.silentTo < kFrames) {
            EXPECT_GE(lastSound, (kFrames - 1) * frameNs) << "the sound stopped at " << lastSound << " ns";
        } else {
            EXPECT_EQ(lastSound, -1);
        }
        graph.Stop();
        EXPECT_GT(strip.frames.load(), 10);
        EXPECT_EQ(strip.wrong.load(), 0);
        EXPECT_EQ(terminal.Take(), "");
    }
}

// The most DV frames one of the graph's queues holds (the sound's queue left out).
int MostFramesInAQueue(CPlaybackGraph& graph)
{
    int most = 0;
    zv::ForEachElement(gst_bin_iterate_recurse(GST_BIN(graph.Graph())), [&](GstElement* element) {
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory == nullptr || g_strcmp0(GST_OBJECT_NAME(factory), "queue") != 0) {
            return true;
        }
        const zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(element, "sink"));
        const zv::CapsPtr caps(gst_pad_get_current_caps(input.get()));
        if (caps && gst_structure_has_name(gst_caps_get_structure(caps.get(), 0), "audio/x-raw")) {
            return true;
        }
        guint buffers = 0;
        g_object_get(element, "current-level-buffers", &buffers, nullptr);
        most = std::max(most, static_cast<int>(buffers));
        return true;
    });
    return most;
}

// Paused, the splitter runs as far ahead as the queues let it: a fifth of a second in each of the two to
// four queues in front of a renderer, not a second (50 to 75 frames in all on these clips). The smaller
// lead still plays the picture and the sound through to the last frame.
TEST(PlaybackGraph, TheQueuesHoldAFewFramesAndTheSoundStillPlaysToTheEnd)
{
    constexpr int kFrames = 60;
    constexpr int kMostQueued = 6;   // a fifth of a second, and a frame over
    const ClipCase clips[] = {
        {"lead_type2_audio", DvSystem::Pal625, AviLayout::Type2WithAudio, AviIndex::Idx1Absolute, kFrames},
        {"lead_type1", DvSystem::Pal625, AviLayout::Type1, AviIndex::OpenDml, kFrames},
    };
    for (const ClipCase& clip : clips) {
        SCOPED_TRACE(clip.name);
        NotifyCounter notify;
        auto graph = Build(clip, &notify);
        ASSERT_EQ(graph->Pause(), S_OK) << graph->m_szError;
        std::int32_t state = -1;
        ASSERT_EQ(graph->GetState(5000, &state), S_OK);
        EXPECT_LE(MostFramesInAQueue(*graph), kMostQueued);
        ASSERT_EQ(graph->SeekToFrame(kFrames / 2), S_OK) << graph->m_szError;
        EXPECT_TRUE(PlayToTheEnd(*graph, notify));
        EXPECT_GE(LastSoundTime(*graph), (kFrames - 1) * GST_SECOND / 25);
        EXPECT_TRUE(ShowsFrame(clip)(*graph, kFrames - 1));
        graph->Stop();
    }
}

// A file of one frame, with the camcorder's packs or as blank tape leaves it (not one pack, so no sound in
// the frame either), in each layout: it builds, pauses and shows its decoded picture at once, every time.
// Frames without sound skip the DV splitter, whose audio decoder would complain about each of them.
TEST(PlaybackGraph, OneFrameFilesOpenAtOnceAndShowTheirPicture)
{
    struct Case {
        const char* name;
        DvSystem system;
        AviLayout layout;
        bool blank;
        int dvSplitters;
    };
    const Case cases[] = {
        {"one_type2_packs", DvSystem::Pal625, AviLayout::Type2, false, 1},
        {"one_type2_blank", DvSystem::Pal625, AviLayout::Type2, true, 0},
        {"one_type2_audio_blank", DvSystem::Pal625, AviLayout::Type2WithAudio, true, 0},
        {"one_type1_packs", DvSystem::Pal625, AviLayout::Type1, false, 1},
        {"one_type1_blank", DvSystem::Pal625, AviLayout::Type1, true, 0},
        {"one_ntsc_type2_blank", DvSystem::Ntsc525, AviLayout::Type2, true, 0},
    };
    constexpr int kOpens = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::ClipOptions options;
        options.system = c.system;
        options.layout = c.layout;
        options.blank = c.blank;
        options.scenes = {{{2004, 7, 14, 10, 30, 58}, 1}};
        const std::string path = pipeline_test::TempPath(std::string(c.name) + ".avi");
        std::string error;
        ASSERT_TRUE(fixture::WriteCamcorderClip(path, options, &error)) << error;
        qint64 slowest = 0;
        qint64 total = 0;
        for (int open = 0; open < kOpens; ++open) {
            QElapsedTimer timer;
            timer.start();
            CPlaybackGraph graph;
            graph.SetAudioSinkFactory("fakesink");
            ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK)
                << "open " << open << ": " << graph.m_szError << " / " << graph.ErrorDetail();
            ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
            const qint64 elapsed = timer.elapsed();
            slowest = std::max(slowest, elapsed);
            total += elapsed;
            auto* video = dynamic_cast<CAppSinkRenderer*>(graph.m_pVideoWC9.get());
            QImage picture;
            ASSERT_TRUE(video != nullptr && video->CurrentImage(picture)) << "open " << open;
            EXPECT_EQ(pipeline_test::PictureIdentity(picture), 0) << "open " << open;
            EXPECT_EQ(CountElements(graph, "dvdemux"), c.dvSplitters);
        }
        // Far from the ten seconds a wait for a preroll that cannot come would take, even on a loaded machine.
        EXPECT_LT(slowest, 3000);
        std::printf("[ one-frame ] %s: mean %lld ms, slowest %lld ms over %d opens\n", c.name,
                    static_cast<long long>(total / kOpens), static_cast<long long>(slowest), kOpens);
    }
}

}  // namespace
