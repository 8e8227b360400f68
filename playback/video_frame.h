#pragma once
// A frame as the built-in renderer's sink hands it over, mapped for reading while this lives: the strip's
// BGRx pixels, or the DV decoder's own planar YUV (I420 for 625/50, Y41B for 525/60), which is converted
// only when and where it is drawn.

#include "playback/yuv_to_bgrx.h"

#include <gst/video/video.h>

#include <QImage>
#include <QSize>

#include <cstdint>

class CVideoFrame {
public:
    // info: the sample's caps parsed already (the painting renderer keeps them), else they are parsed here.
    explicit CVideoFrame(GstSample* sample, const GstVideoInfo* info = nullptr);
    ~CVideoFrame();
    CVideoFrame(const CVideoFrame&) = delete;
    CVideoFrame& operator=(const CVideoFrame&) = delete;

    // Whether the sample held a frame of a format this reads.
    bool IsValid() const { return m_mapped; }
    QSize Size() const { return m_size; }

    // Columns [x, x + count) of row y as 0xFFRRGGBB pixels into out; the range must lie inside the frame.
    void Row(int y, int x, int count, std::uint32_t* out) const;

    // The frame as a Format_RGB32 image: over the mapped pixels when they are BGRx already, else converted
    // into scratch, which is allocated again only when the frame's size changes. Valid while both live.
    const QImage& Image(QImage& scratch) const;

    // A deep copy as a Format_RGB32 image of its own; null when the frame is not valid.
    QImage Copy() const;

private:
    void Fill(QImage& image) const;

    GstVideoInfo m_info{};
    GstVideoFrame m_frame{};
    bool m_mapped = false;
    bool m_bgrx = false;
    QSize m_size;
    yuv::Planes m_planes;
    QImage m_image;   // over the mapped pixels of a BGRx frame
};
