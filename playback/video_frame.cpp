#include "playback/video_frame.h"

#include <algorithm>

namespace {

const std::uint8_t* Plane(const GstVideoFrame& frame, int plane)
{
    return static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
}

}  // namespace

CVideoFrame::CVideoFrame(GstSample* sample, const GstVideoInfo* info)
{
    GstCaps* caps = sample != nullptr ? gst_sample_get_caps(sample) : nullptr;
    GstBuffer* buffer = sample != nullptr ? gst_sample_get_buffer(sample) : nullptr;
    if (caps == nullptr || buffer == nullptr) {
        return;
    }
    if (info != nullptr) {
        m_info = *info;
    } else if (!gst_video_info_from_caps(&m_info, caps)) {
        return;
    }
    const GstVideoFormat format = GST_VIDEO_INFO_FORMAT(&m_info);
    if (format != GST_VIDEO_FORMAT_BGRx && format != GST_VIDEO_FORMAT_I420 && format != GST_VIDEO_FORMAT_Y41B) {
        return;
    }
    m_mapped = gst_video_frame_map(&m_frame, &m_info, buffer, GST_MAP_READ);
    if (!m_mapped) {
        return;
    }
    m_size = QSize(GST_VIDEO_FRAME_WIDTH(&m_frame), GST_VIDEO_FRAME_HEIGHT(&m_frame));
    m_bgrx = format == GST_VIDEO_FORMAT_BGRx;
    if (m_bgrx) {
        m_image = QImage(Plane(m_frame, 0), m_size.width(), m_size.height(), GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 0),
                         QImage::Format_RGB32);
        return;
    }
    m_planes.y = Plane(m_frame, 0);
    m_planes.u = Plane(m_frame, 1);
    m_planes.v = Plane(m_frame, 2);
    m_planes.strideY = GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 0);
    m_planes.strideU = GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 1);
    m_planes.strideV = GST_VIDEO_FRAME_PLANE_STRIDE(&m_frame, 2);
    m_planes.sampling = format == GST_VIDEO_FORMAT_I420 ? yuv::Sampling::Yuv420 : yuv::Sampling::Yuv411;
    m_planes.interlaced = GST_VIDEO_FRAME_IS_INTERLACED(&m_frame);
}

CVideoFrame::~CVideoFrame()
{
    m_image = QImage();
    if (m_mapped) {
        gst_video_frame_unmap(&m_frame);
    }
}

void CVideoFrame::Row(int y, int x, int count, std::uint32_t* out) const
{
    if (m_bgrx) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(m_image.constScanLine(y));
        std::copy_n(row + x, count, out);
        return;
    }
    yuv::ConvertRow(m_planes, y, x, count, out);
}

void CVideoFrame::Fill(QImage& image) const
{
    for (int y = 0; y < m_size.height(); ++y) {
        Row(y, 0, m_size.width(), reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
}

const QImage& CVideoFrame::Image(QImage& scratch) const
{
    if (m_bgrx || !m_mapped) {
        return m_image;
    }
    if (scratch.size() != m_size || scratch.format() != QImage::Format_RGB32) {
        scratch = QImage(m_size, QImage::Format_RGB32);
    }
    if (!scratch.isNull()) {
        Fill(scratch);
    }
    return scratch;
}

QImage CVideoFrame::Copy() const
{
    if (!m_mapped) {
        return QImage();
    }
    if (m_bgrx) {
        return m_image.copy();
    }
    QImage image(m_size, QImage::Format_RGB32);
    if (!image.isNull()) {
        Fill(image);
    }
    return image;
}
