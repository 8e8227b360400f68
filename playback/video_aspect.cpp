#include "playback/video_aspect.h"

#include <gst/video/video.h>

#include <numeric>

bool VideoShapeOfCaps(GstCaps* caps, QSize& pixels, PixelAspect& par)
{
    GstVideoInfo info;
    if (caps == nullptr || !gst_video_info_from_caps(&info, caps) || GST_VIDEO_INFO_WIDTH(&info) <= 0
        || GST_VIDEO_INFO_HEIGHT(&info) <= 0) {
        return false;
    }
    pixels = QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info));
    par = PixelAspectOf(info);
    return true;
}

PixelAspect PixelAspectOf(const GstVideoInfo& info)
{
    if (GST_VIDEO_INFO_PAR_N(&info) > 0 && GST_VIDEO_INFO_PAR_D(&info) > 0) {
        return PixelAspect{GST_VIDEO_INFO_PAR_N(&info), GST_VIDEO_INFO_PAR_D(&info)};
    }
    return PixelAspect{};
}

QSize DisplayShape(const QSize& pixels, const PixelAspect& par)
{
    if (par.n <= 0 || par.d <= 0) {
        return pixels;
    }
    const std::int64_t width = (static_cast<std::int64_t>(pixels.width()) * par.n + par.d / 2) / par.d;
    return QSize(static_cast<int>(width), pixels.height());
}

void DisplayAspectRatio(const QSize& pixels, const PixelAspect& par, std::int32_t* arWidth, std::int32_t* arHeight)
{
    const std::int64_t w = static_cast<std::int64_t>(pixels.width()) * par.n;
    const std::int64_t h = static_cast<std::int64_t>(pixels.height()) * par.d;
    const std::int64_t divisor = std::gcd(w, h) > 0 ? std::gcd(w, h) : 1;
    *arWidth = static_cast<std::int32_t>(w / divisor);
    *arHeight = static_cast<std::int32_t>(h / divisor);
}

HRESULT AspectRatioOfCaps(GstCaps* caps, std::int32_t* arWidth, std::int32_t* arHeight)
{
    if (arWidth == nullptr || arHeight == nullptr) {
        return E_POINTER;
    }
    QSize pixels;
    PixelAspect par;
    if (caps == nullptr || !VideoShapeOfCaps(caps, pixels, par)) {
        return E_FAIL;
    }
    DisplayAspectRatio(pixels, par, arWidth, arHeight);
    return S_OK;
}
