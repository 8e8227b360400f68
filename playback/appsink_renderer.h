#pragma once
// The built-in renderer (kind 2): an appsink receiving frames in time (the decoder's YUV, the strip's BGRx), whose latest frame the owning
// window paints itself with QPainter, letter-boxed in the destination rectangle. Works everywhere,
// headless included (without a window it simply keeps the latest frame).

#include "dvfilter/gst_handles.h"
#include "playback/row_runs.h"
#include "playback/windowless_control.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class CRepaintWake;
class QImage;

class CAppSinkRenderer final : public IWindowlessControl {
public:
    explicit CAppSinkRenderer(GstElement* appsink);   // takes its own reference
    ~CAppSinkRenderer() override;
    CAppSinkRenderer(const CAppSinkRenderer&) = delete;
    CAppSinkRenderer& operator=(const CAppSinkRenderer&) = delete;

    HRESULT GetNativeVideoSize(std::int32_t* width, std::int32_t* height) override;
    HRESULT GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight) override;
    HRESULT SetVideoPosition(const QRect* source, const QRect* destination) override;
    HRESULT RepaintVideo(QWidget* window, QPainter* painter) override;
    HRESULT SetAspectRatioMode(std::int32_t mode) override;
    HRESULT SetVideoClippingWindow(QWidget* window) override;

    // Where a new frame's repaint goes, on the window's thread: handler(window, area) instead of
    // window->update(area), for a window that gathers the frames of several renderers into one paint.
    // An empty handler goes back to updating the window straight away. The window's thread alone calls this.
    using RepaintHandler = std::function<void(QWidget* window, const QRect& area)>;
    void SetRepaintHandler(RepaintHandler handler);

    // A deep copy of the frame the renderer shows now (Format_RGB32 at its native size); false before
    // the first frame.
    bool CurrentImage(QImage& image) const;

private:
    static GstFlowReturn OnPreroll(GstAppSink* sink, gpointer self);
    static GstFlowReturn OnSample(GstAppSink* sink, gpointer self);
    void Keep(GstSample* sample);
    zv::SamplePtr LatestSample() const;   // a reference of its own, or null before the first frame
    QPointer<QWidget> Window() const;
    // From a streaming thread: asks the window, if it still exists, to paint again, on its own thread.
    void RequestRepaint() const;
    void RepaintNow();   // the window's thread: the request's answer
    // The video facts of the sample's caps, parsed once per caps rather than once per paint; null for
    // caps without them. The window's thread alone calls this.
    const GstVideoInfo* PaintInfo(GstSample* sample);

    zv::GstPtr<GstElement> m_sink;
    // Guards what follows: the sample is written by streaming threads, the rest read by them.
    mutable std::mutex m_mutex;
    zv::SamplePtr m_sample;
    QPointer<QWidget> m_window;          // empties itself when the window is destroyed
    QRect m_source;
    QRect m_destination;
    std::int32_t m_aspectMode = VMR_ARMODE_NONE;
    QRect m_painted;   // where the last paint put the picture: a new frame repaints that alone
    // Carries a streaming thread's repaint request to the window's thread; made with the first window.
    std::unique_ptr<CRepaintWake> m_wake;
    RepaintHandler m_repaintHandler;   // the window's thread alone uses it
    // The window's thread alone paints, and alone uses these.
    CRowRuns m_rows;
    zv::CapsPtr m_paintCaps;
    GstVideoInfo m_paintInfo{};
};

// Letter-boxing: the largest rectangle of the source's shape centred in destination.
QRect LetterBox(const QRect& source, const QRect& destination);
