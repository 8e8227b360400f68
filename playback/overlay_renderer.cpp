#include "playback/overlay_renderer.h"

#include "playback/video_aspect.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QRect>
#include <QWidget>

COverlayRenderer::COverlayRenderer(GstElement* renderer, GstElement* overlaySink)
    : m_renderer(zv::RefObject(renderer)), m_sink(zv::RefObject(overlaySink))
{
}

zv::CapsPtr COverlayRenderer::InputCaps() const
{
    zv::GstPtr<GstPad> pad = zv::AdoptObject(gst_element_get_static_pad(m_renderer.get(), "sink"));
    return zv::CapsPtr(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
}

HRESULT COverlayRenderer::GetNativeVideoSize(std::int32_t* width, std::int32_t* height)
{
    if (width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    const zv::CapsPtr caps = InputCaps();
    GstVideoInfo info;
    if (!caps || !gst_video_info_from_caps(&info, caps.get())) {
        return E_FAIL;
    }
    *width = GST_VIDEO_INFO_WIDTH(&info);
    *height = GST_VIDEO_INFO_HEIGHT(&info);
    return S_OK;
}

HRESULT COverlayRenderer::GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight)
{
    const zv::CapsPtr caps = InputCaps();
    return AspectRatioOfCaps(caps.get(), arWidth, arHeight);
}

HRESULT COverlayRenderer::SetVideoPosition(const QRect* /*source*/, const QRect* destination)
{
    // The sink always shows the whole picture; only the destination moves.
    if (destination != nullptr && !destination->isEmpty()) {
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(m_sink.get()), destination->x(), destination->y(),
                                               destination->width(), destination->height());
    }
    return S_OK;
}

HRESULT COverlayRenderer::RepaintVideo(QWidget* /*window*/, QPainter* /*painter*/)
{
    gst_video_overlay_expose(GST_VIDEO_OVERLAY(m_sink.get()));
    return S_OK;
}

HRESULT COverlayRenderer::SetAspectRatioMode(std::int32_t mode)
{
    if (mode != VMR_ARMODE_NONE && mode != VMR_ARMODE_LETTER_BOX) {
        return E_INVALIDARG;
    }
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(m_sink.get()), "force-aspect-ratio") != nullptr) {
        g_object_set(m_sink.get(), "force-aspect-ratio", mode == VMR_ARMODE_LETTER_BOX ? TRUE : FALSE, nullptr);
    }
    return S_OK;
}

HRESULT COverlayRenderer::SetVideoClippingWindow(QWidget* window)
{
    // Creates the native window now, on the window's own thread, so the sink never has to ask for it.
    const guintptr handle = window != nullptr ? static_cast<guintptr>(window->winId()) : 0;
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(m_sink.get()), handle);
    return S_OK;
}
