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

using pipeline_test::ClipCase;

namespace {

const ClipCase kClip{"overlay_pal", fixture::DvSystem::Pal625, fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute, 10};

// GStreamer's elements, minus the GL sink when the fallback is under test.
class Factory : public IElementFactory {
public:
    explicit Factory(bool withoutGl) : m_withoutGl(withoutGl) {}
    zv::GstPtr<GstElement> Make(const char* factoryName) override
    {
        if (m_withoutGl && std::string(factoryName) == "glimagesink") {
            return {};
        }
        return m_real.Make(factoryName);
    }

private:
    bool m_withoutGl;
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

class OverlayRenderer : public testing::TestWithParam<bool> {};

TEST_P(OverlayRenderer, DrawsTheSoughtFrameIntoTheWindow)
{
    Factory factory(GetParam());
    IElementFactory* previous = SetElementFactory(&factory);
    struct Restore {
        IElementFactory* factory;
        ~Restore() { SetElementFactory(factory); }
    } restore{previous};
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "the video overlay needs an X11 display (platform is " << qPrintable(QGuiApplication::platformName()) << ")";
    }
    QWidget video;
    QWidget meta;
    for (QWidget* w : {&video, &meta}) {
        w->setAttribute(Qt::WA_NativeWindow);
        w->setAttribute(Qt::WA_PaintOnScreen);
    }
    // Side by side, so a grab of one never shows the other.
    video.setGeometry(0, 0, 720, 576);
    meta.setGeometry(0, 700, 768, 100);
    video.show();
    meta.show();
    Settle(200);

    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.m_hwndVideo = &video;
    graph.m_hwndMeta = &meta;
    ASSERT_EQ(graph.BuildGraph(pipeline_test::ClipPath(kClip).c_str(), 1, 2, 1, 700, 100), S_OK) << graph.m_szError;
    EXPECT_TRUE(graph.m_pVideoWC7);
    EXPECT_FALSE(graph.m_pVideoWC9);
    EXPECT_TRUE(graph.m_pMetaWC7);
    ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
    std::int32_t width = 0;
    std::int32_t height = 0;
    ASSERT_EQ(graph.GetNativeVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 576);
    const QRect whole(0, 0, 720, 576);
    EXPECT_EQ(graph.m_pVideoWC7->SetVideoPosition(&whole, &whole), S_OK);

    ASSERT_EQ(graph.SeekToFrame(6), S_OK) << graph.m_szError;
    EXPECT_EQ(graph.m_pVideoWC7->RepaintVideo(&video, nullptr), S_OK);
    Settle(300);
    QImage shown = video.screen()->grabWindow(video.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(pipeline_test::PictureIdentity(shown), 6);
}

INSTANTIATE_TEST_SUITE_P(Sinks, OverlayRenderer, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "XImageSink" : "GlImageSink"; });

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
