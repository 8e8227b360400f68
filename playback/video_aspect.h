#pragma once
// The shape a decoded picture is meant to be seen at. A DV frame is 720 pixels wide whatever it shows; the
// decoder says through the caps' pixel aspect ratio whether those pixels make a 4:3 or a 16:9 picture
// (16/15 or 64/45 for 625 lines, 8/9 or 32/27 for 525).

#include "dvfilter/result_codes.h"

#include <gst/gst.h>
#include <gst/video/video.h>

#include <QSize>

#include <cstdint>

struct PixelAspect {
    std::int32_t n = 1;   // a pixel is n/d as wide as it is high
    std::int32_t d = 1;
};

// The picture size and pixel aspect ratio of raw video caps (square when they carry none). False for caps
// without a picture size.
bool VideoShapeOfCaps(GstCaps* caps, QSize& pixels, PixelAspect& par);
// The pixel aspect ratio of parsed video facts (square when they carry none).
PixelAspect PixelAspectOf(const GstVideoInfo& info);

// pixels as they are meant to be seen: the width scaled by the pixel aspect ratio, the height kept
// (720 x 576 at 16/15 -> 768 x 576, at 64/45 -> 1024 x 576).
QSize DisplayShape(const QSize& pixels, const PixelAspect& par);

// The display aspect ratio of a pictures's pixels, reduced: width x n : height x d (4:3, 16:9).
void DisplayAspectRatio(const QSize& pixels, const PixelAspect& par, std::int32_t* arWidth, std::int32_t* arHeight);

// The display aspect ratio of raw video caps into arWidth:arHeight, as a renderer's control reports it:
// E_POINTER without outputs, E_FAIL for caps without a picture size (or no caps yet).
HRESULT AspectRatioOfCaps(GstCaps* caps, std::int32_t* arWidth, std::int32_t* arHeight);
