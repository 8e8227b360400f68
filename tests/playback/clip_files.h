#pragma once
// Fixture clips for the pipeline tests: written once per test binary into a private temporary folder, plus
// the strip the filter must paint for any of their frames.

#include "dvfilter/gst_handles.h"
#include "tests/fixtures/camcorder_clip.h"

#include <gst/video/video.h>

#include <QImage>

#include <cstdint>
#include <string>

namespace pipeline_test {

struct ClipCase {
    const char* name;
    fixture::DvSystem system;
    fixture::AviLayout layout;
    fixture::AviIndex index;
    int frames;
    fixture::DisplayAspect aspect = fixture::DisplayAspect::Normal4x3;
    fixture::ClipWrapper wrapper = fixture::ClipWrapper::Avi;   // RawDv: layout and index do not apply
};

fixture::ClipOptions OptionsOf(const ClipCase& clip);
// The clip as a file (written on first use).
std::string ClipPath(const ClipCase& clip);
// A file in the temporary folder (not created).
std::string TempPath(const std::string& name);
// The DV bytes of one frame of the clip.
std::vector<std::uint8_t> ClipFrame(const ClipCase& clip, std::int64_t frame);
// The strip the filter paints for frame `frame` when configured as the graph builder does.
QImage ExpectedStrip(const ClipCase& clip, std::int64_t frame, bool half, std::int32_t dateOrder);
// Frame identity drawn in a decoded picture, -1 when unreadable.
int PictureIdentity(const QImage& picture);
// The smallest rectangle holding every pixel of image that is not black: where a letter-boxed picture landed.
QRect NonBlackArea(const QImage& image);
// A frame of noise in the given raw format, as a sample a renderer's sink would hand over.
zv::SamplePtr NoiseFrame(QSize size, GstVideoFormat format, GstVideoInterlaceMode interlace);

}  // namespace pipeline_test
