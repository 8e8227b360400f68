#include "tests/playback/clip_files.h"

#include "dvmeta/dv_metadata_strip.h"
#include "tests/fixtures/frame_identity.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <random>
#include <stdexcept>

namespace pipeline_test {

namespace {

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

}  // namespace

fixture::ClipOptions OptionsOf(const ClipCase& clip)
{
    fixture::ClipOptions options;
    options.system = clip.system;
    options.layout = clip.layout;
    options.index = clip.index;
    options.aspect = clip.aspect;
    options.wrapper = clip.wrapper;
    // Two scenes so recorded time jumps inside the clip.
    const int first = clip.frames / 2;
    options.scenes = {{{2004, 7, 14, 10, 30, 58}, first}, {{2004, 7, 15, 9, 0, 0}, clip.frames - first}};
    return options;
}

std::string TempPath(const std::string& name)
{
    return QDir(Folder().path()).filePath(QString::fromStdString(name)).toStdString();
}

std::string ClipPath(const ClipCase& clip)
{
    static std::map<std::string, std::string> written;
    const auto found = written.find(clip.name);
    if (found != written.end()) {
        return found->second;
    }
    const bool raw = clip.wrapper == fixture::ClipWrapper::RawDv;
    const bool movie = clip.wrapper == fixture::ClipWrapper::QuickTime;
    const std::string path = TempPath(std::string(clip.name) + (raw ? ".dv" : movie ? ".mov" : ".avi"));
    std::string error;
    if (!fixture::WriteCamcorderClip(path, OptionsOf(clip), &error)) {
        throw std::runtime_error("cannot write " + path + ": " + error);
    }
    written[clip.name] = path;
    return path;
}

std::vector<std::uint8_t> ClipFrame(const ClipCase& clip, std::int64_t frame)
{
    std::vector<std::uint8_t> data;
    const fixture::FrameSource source = fixture::MakeCamcorderFrameSource(OptionsOf(clip));
    source(frame, fixture::FrameBytes(clip.system), data);
    return data;
}

QImage ExpectedStrip(const ClipCase& clip, std::int64_t frame, bool half, std::int32_t dateOrder)
{
    const std::vector<std::uint8_t> data = ClipFrame(clip, frame);
    CDvMetadataStrip strip;
    strip.SetOverlaySize(half ? 350 : 700, half ? 50 : 100);
    strip.SetDateOrder(dateOrder);
    strip.SetIs625(fixture::Is625(clip.system));
    strip.OfferNominalWidth();
    const std::uint8_t* pixels = strip.Transform(data.data(), data.size(), &frame);
    if (pixels == nullptr) {
        return QImage();
    }
    return QImage(pixels, strip.StrideWidth(), strip.Height(), strip.StrideWidth() * 4, QImage::Format_RGB32).copy();
}

int PictureIdentity(const QImage& picture)
{
    if (picture.isNull() || picture.format() != QImage::Format_RGB32) {
        return -1;
    }
    return fixture::DecodedFrameIdentity(picture.constBits(), picture.width(), picture.height(),
                                         static_cast<std::size_t>(picture.bytesPerLine()), fixture::PixelLayout::Rgbx32);
}

QRect NonBlackArea(const QImage& image)
{
    // The pictures' darkest cells decode to about 19 of 255; black bars are 0 and the decoder's edges
    // stay well above this threshold.
    constexpr int kBlack = 8;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width();
    int right = -1;
    int top = rgb.height();
    int bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(line[x]) > kBlack || qGreen(line[x]) > kBlack || qBlue(line[x]) > kBlack) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

zv::SamplePtr NoiseFrame(QSize size, GstVideoFormat format, GstVideoInterlaceMode interlace)
{
    GstVideoInfo info;
    gst_video_info_set_interlaced_format(&info, format, interlace, static_cast<guint>(size.width()),
                                         static_cast<guint>(size.height()));
    const std::unique_ptr<GstBuffer, zv::GstMiniObjectUnref> buffer(
        gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info), nullptr));
    GstMapInfo map;
    gst_buffer_map(buffer.get(), &map, GST_MAP_WRITE);
    std::mt19937 noise(static_cast<unsigned>(size.width() * 31 + format));
    std::generate_n(map.data, map.size, [&] { return static_cast<std::uint8_t>(noise()); });
    gst_buffer_unmap(buffer.get(), &map);
    const zv::CapsPtr caps(gst_video_info_to_caps(&info));
    return zv::SamplePtr(gst_sample_new(buffer.get(), caps.get(), nullptr, nullptr));
}

}  // namespace pipeline_test
