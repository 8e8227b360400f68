#pragma once
// The video overlay renderer (kind 1): a native X11 sink (glimagesink, else ximagesink behind a scaler)
// that draws straight into the window's native handle through GstVideoOverlay. The window only asks it
// to expose (repaint) and tells it where to draw.

#include "dvfilter/gst_handles.h"
#include "playback/windowless_control.h"

class COverlayRenderer final : public IWindowlessControl {
public:
    // renderer: the renderer element as it sits in the pipeline (its sink pad sees the pictures);
    // overlaySink: the element implementing GstVideoOverlay inside it. Both referenced.
    COverlayRenderer(GstElement* renderer, GstElement* overlaySink);

    HRESULT GetNativeVideoSize(std::int32_t* width, std::int32_t* height) override;
    HRESULT GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight) override;
    HRESULT SetVideoPosition(const QRect* source, const QRect* destination) override;
    HRESULT RepaintVideo(QWidget* window, QPainter* painter) override;
    HRESULT SetAspectRatioMode(std::int32_t mode) override;
    HRESULT SetVideoClippingWindow(QWidget* window) override;

private:
    zv::CapsPtr InputCaps() const;   // what the renderer receives now; null before negotiation

    zv::GstPtr<GstElement> m_renderer;
    zv::GstPtr<GstElement> m_sink;
};
