// The video overlay renderer (kind 1) draws into the window's own native X11 window. Needs an X display
// (ctest runs it under xvfb-run); skipped without one.

#include "playback/element_factory.h"
#include "playback/playback_graph.h"
#include "tests/playback/clip_files.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <string>

using pipeline_test::ClipCase;

namespace {

const ClipCase kClip{"overlay_pal", fixture::DvSystem::Pal625, fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute, 10};

// GStreamer's elements, minus the GL sink when the fallback is under test (and the X sink too when
// neither is to be found).
class Factory : public IElementFactory {
public:
    explicit Factory(bool withoutGl, bool withoutX = false) : m_withoutGl(withoutGl), m_withoutX(withoutX) {}
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        if ((m_withoutGl && std::string(factoryName) == "glimagesink")
            || (m_withoutX && std::string(factoryName) == "ximagesink")) {
            return {};
        }
        return m_real.Make(factoryName);
    }

private:
    bool m_withoutGl;
    bool m_withoutX;
    CGstElementFactory m_real;
};

void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

struct OverlayCase {
    bool withoutGl;            // the fallback: ximagesink behind a scaler
    fixture::DisplayAspect aspect;
};

std::string CaseName(const testing::TestParamInfo<OverlayCase>& info)
{
    return std::string(info.param.withoutGl ? "XImageSink" : "GlImageSink") +
           (info.param.aspect == fixture::DisplayAspect::Wide16x9 ? "_16x9" : "_4x3");
}

class OverlayRenderer : public testing::TestWithParam<OverlayCase> {};

// The sought frame on screen, letter-boxed at the display aspect the stream carries (4:3 or 16:9) in a
// video area wider than either shape.
TEST_P(OverlayRenderer, DrawsTheSoughtFrameIntoTheWindowAtItsDisplayAspect)
{
    const OverlayCase& c = GetParam();
    Factory factory(c.withoutGl);
    IElementFactory* previous = SetElementFactory(&factory);
    struct Restore {
        IElementFactory* factory;
        ~Restore() { SetElementFactory(factory); }
    } restore{previous};
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "the video overlay needs an X11 display (platform is " << qPrintable(QGuiApplication::platformName()) << ")";
    }
    const bool wide = c.aspect == fixture::DisplayAspect::Wide16x9;
    const ClipCase clip{wide ? "overlay_pal_16x9" : "overlay_pal_4x3", fixture::DvSystem::Pal625,
                        fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute, 10, c.aspect};
    QWidget video;
    QWidget meta;
    for (QWidget* w : {&video, &meta}) {
        w->setAttribute(Qt::WA_NativeWindow);
        w->setAttribute(Qt::WA_PaintOnScreen);
    }
    // Side by side, so a grab of one never shows the other.
    const QRect area(0, 0, 1100, 576);
    video.setGeometry(area);
    meta.setGeometry(0, 700, 768, 100);
    video.show();
    meta.show();
    Settle(200);

    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.m_hwndVideo = &video;
    graph.m_hwndMeta = &meta;
    ASSERT_EQ(graph.BuildGraph(pipeline_test::ClipPath(clip).c_str(), 1, 2, 1, 700, 100), S_OK) << graph.m_szError;
    EXPECT_TRUE(graph.m_pVideoWC7);
    EXPECT_FALSE(graph.m_pVideoWC9);
    EXPECT_TRUE(graph.m_pMetaWC7);
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_EQ(graph.GetNativeVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 576);
    std::int32_t arWidth = 0;
    std::int32_t arHeight = 0;
    ASSERT_EQ(graph.GetVideoAspectRatio(&arWidth, &arHeight), S_OK);
    EXPECT_EQ(arWidth, wide ? 16 : 4);
    EXPECT_EQ(arHeight, wide ? 9 : 3);
    const QRect source(0, 0, width, height);
    EXPECT_EQ(graph.m_pVideoWC7->SetVideoPosition(&source, &area), S_OK);

    ASSERT_EQ(graph.SeekToFrame(6), S_OK) << graph.m_szError;
    EXPECT_EQ(graph.m_pVideoWC7->RepaintVideo(&video, nullptr), S_OK);
    Settle(300);
    const QImage shown = video.screen()->grabWindow(video.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QRect picture = pipeline_test::NonBlackArea(shown);
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_NEAR(static_cast<double>(picture.width()) / picture.height(), wide ? 16.0 / 9 : 4.0 / 3, 0.01)
        << picture.x() << "," << picture.y() << " " << picture.width() << "x" << picture.height();
    EXPECT_EQ(picture.height(), area.height());
    EXPECT_LE(std::abs(picture.center().x() - area.center().x()), 1);
    EXPECT_EQ(pipeline_test::PictureIdentity(shown.copy(picture)), 6);
}

INSTANTIATE_TEST_SUITE_P(Sinks, OverlayRenderer,
                         testing::Values(OverlayCase{false, fixture::DisplayAspect::Normal4x3},
                                         OverlayCase{false, fixture::DisplayAspect::Wide16x9},
                                         OverlayCase{true, fixture::DisplayAspect::Normal4x3},
                                         OverlayCase{true, fixture::DisplayAspect::Wide16x9}),
                         CaseName);

TEST(OverlayRendererMissing, WithoutEitherSinkTheBuildNamesBothPackages)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "the video overlay needs an X11 display";
    }
    Factory factory(true, true);
    IElementFactory* previous = SetElementFactory(&factory);
    QWidget video;
    video.setAttribute(Qt::WA_NativeWindow);
    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.m_hwndVideo = &video;
    graph.m_hwndMeta = &video;
    EXPECT_TRUE(FAILED(graph.BuildGraph(pipeline_test::ClipPath(kClip).c_str(), 1, 2, 1, 700, 100)));
    SetElementFactory(previous);
    EXPECT_STREQ(graph.m_szError, "Could not add renderer");
    EXPECT_EQ(graph.ErrorDetail(), "Neither GStreamer element \"glimagesink\" nor \"ximagesink\" is installed "
                                   "(Debian package gstreamer1.0-gl or gstreamer1.0-x).");
}

}  // namespace

int main(int argc, char** argv)
{
    // Without an X server the tests skip (and ctest says so) rather than the application failing to start.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
