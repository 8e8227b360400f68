#include "playback/appsink_renderer.h"

#include "playback/repaint_wake.h"
#include "playback/video_aspect.h"
#include "playback/video_frame.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QImage>
#include <QMetaObject>
#include <QPainter>
#include <QWidget>

namespace {

// Black where destination shows no picture: the picture itself covers the rest, so it is not filled first.
void FillBars(QPainter& painter, const QRect& destination, const QRect& picture)
{
    const QRect shown = picture.intersected(destination);
    if (shown.isEmpty()) {
        painter.fillRect(destination, Qt::black);
        return;
    }
    const QRect bars[] = {
        QRect(QPoint(destination.left(), destination.top()), QPoint(destination.right(), shown.top() - 1)),
        QRect(QPoint(destination.left(), shown.bottom() + 1), QPoint(destination.right(), destination.bottom())),
        QRect(QPoint(destination.left(), shown.top()), QPoint(shown.left() - 1, shown.bottom())),
        QRect(QPoint(shown.right() + 1, shown.top()), QPoint(destination.right(), shown.bottom())),
    };
    for (const QRect& bar : bars) {
        if (bar.isValid()) {
            painter.fillRect(bar, Qt::black);
        }
    }
}

}  // namespace

QRect LetterBox(const QRect& source, const QRect& destination)
{
    if (source.width() <= 0 || source.height() <= 0 || destination.isEmpty()) {
        return destination;
    }
    const qint64 sw = source.width();
    const qint64 sh = source.height();
    qint64 w = destination.width();
    qint64 h = w * sh / sw;
    if (h > destination.height()) {
        h = destination.height();
        w = h * sw / sh;
    }
    const int x = destination.x() + static_cast<int>((destination.width() - w) / 2);
    const int y = destination.y() + static_cast<int>((destination.height() - h) / 2);
    return QRect(x, y, static_cast<int>(w), static_cast<int>(h));
}

CAppSinkRenderer::CAppSinkRenderer(GstElement* appsink) : m_sink(zv::RefObject(appsink))
{
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &CAppSinkRenderer::OnPreroll;
    callbacks.new_sample = &CAppSinkRenderer::OnSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(m_sink.get()), &callbacks, this, nullptr);
}

CAppSinkRenderer::~CAppSinkRenderer()
{
    // The sink may outlive us inside its pipeline: it must not call back into a dead object.
    GstAppSinkCallbacks none{};
    gst_app_sink_set_callbacks(GST_APP_SINK(m_sink.get()), &none, nullptr, nullptr);
}

GstFlowReturn CAppSinkRenderer::OnPreroll(GstAppSink* sink, gpointer self)
{
    zv::SamplePtr sample(gst_app_sink_pull_preroll(sink));
    static_cast<CAppSinkRenderer*>(self)->Keep(sample.get());
    return GST_FLOW_OK;
}

GstFlowReturn CAppSinkRenderer::OnSample(GstAppSink* sink, gpointer self)
{
    zv::SamplePtr sample(gst_app_sink_pull_sample(sink));
    static_cast<CAppSinkRenderer*>(self)->Keep(sample.get());
    return GST_FLOW_OK;
}

void CAppSinkRenderer::Keep(GstSample* sample)
{
    if (sample == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sample.reset(gst_sample_ref(sample));
    }
    RequestRepaint();
}

QPointer<QWidget> CAppSinkRenderer::Window() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_window;
}

void CAppSinkRenderer::RequestRepaint() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_window.isNull()) {
        return;
    }
    if (m_wake && m_wake->Ok()) {
        m_wake->Request();
    } else {
        // No eventfd to wake the window with: a queued call, which the window's end cancels.
        QMetaObject::invokeMethod(m_window.data(), "update", Qt::QueuedConnection);
    }
}

void CAppSinkRenderer::RepaintNow()
{
    QPointer<QWidget> window;
    QRect painted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        window = m_window;
        painted = m_painted;
    }
    if (!window) {
        return;
    }
    // A new frame changes the picture alone; the bars around it stay as the last paint left them.
    const QRect area = painted.isEmpty() ? window->rect() : painted;
    if (m_repaintHandler) {
        m_repaintHandler(window.data(), area);
    } else {
        window->update(area);
    }
}

zv::SamplePtr CAppSinkRenderer::LatestSample() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return zv::SamplePtr(m_sample ? gst_sample_ref(m_sample.get()) : nullptr);
}

HRESULT CAppSinkRenderer::GetNativeVideoSize(std::int32_t* width, std::int32_t* height)
{
    if (width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    const zv::SamplePtr sample = LatestSample();
    GstCaps* caps = sample ? gst_sample_get_caps(sample.get()) : nullptr;
    GstVideoInfo info;
    if (caps == nullptr || !gst_video_info_from_caps(&info, caps)) {
        return E_FAIL;
    }
    *width = GST_VIDEO_INFO_WIDTH(&info);
    *height = GST_VIDEO_INFO_HEIGHT(&info);
    return S_OK;
}

HRESULT CAppSinkRenderer::GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight)
{
    const zv::SamplePtr sample = LatestSample();
    return AspectRatioOfCaps(sample ? gst_sample_get_caps(sample.get()) : nullptr, arWidth, arHeight);
}

HRESULT CAppSinkRenderer::SetVideoPosition(const QRect* source, const QRect* destination)
{
    if (source == nullptr && destination == nullptr) {
        return E_POINTER;
    }
    bool moved = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (source != nullptr && *source != m_source) {
            m_source = *source;
            moved = true;
        }
        if (destination != nullptr && *destination != m_destination) {
            m_destination = *destination;
            moved = true;
        }
        if (moved) {
            m_painted = QRect();   // the next frame repaints the bars in their new places as well
        }
    }
    // The picture on screen was painted for the old rectangles: while paused no new frame would ever
    // replace it, so the window paints the frame it has again, in its new place. Called on the window's
    // own thread, where it cannot go away meanwhile.
    if (const QPointer<QWidget> window = Window(); moved && window) {
        QMetaObject::invokeMethod(window.data(), "update", Qt::AutoConnection);
    }
    return S_OK;
}

HRESULT CAppSinkRenderer::RepaintVideo(QWidget* window, QPainter* painter)
{
    if (painter == nullptr) {
        return E_POINTER;
    }
    // The streaming thread may hand over the next frame meanwhile: the paint works on its own reference
    // and holds no lock while it scales.
    QRect source;
    QRect destination;
    std::int32_t aspectMode = VMR_ARMODE_NONE;
    zv::SamplePtr sample;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_sample) {
            return E_FAIL;
        }
        sample.reset(gst_sample_ref(m_sample.get()));
        source = m_source;
        destination = m_destination;
        aspectMode = m_aspectMode;
    }
    const GstVideoInfo* info = PaintInfo(sample.get());
    const CVideoFrame frame(sample.get(), info);
    if (info == nullptr || !frame.IsValid()) {
        return E_FAIL;
    }
    if (source.isEmpty()) {
        source = QRect(QPoint(0, 0), frame.Size());
    }
    if (destination.isEmpty()) {
        destination = source;
    }
    QRect target = destination;
    if (aspectMode == VMR_ARMODE_LETTER_BOX) {
        // Letter-boxed at the shape the picture is meant to be seen at, not at its pixel count.
        target = LetterBox(QRect(QPoint(0, 0), DisplayShape(source.size(), PixelAspectOf(*info))), destination);
    }
    FillBars(*painter, destination, target);
    m_rows.Draw(*painter, target, frame, source);
    const QRect painted = target.intersected(destination);
    bool moved = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        moved = !m_painted.isEmpty() && painted != m_painted;
        m_painted = painted;
    }
    // A frame of another shape than the last (its caps changed midstream) was painted inside the old
    // picture's rectangle alone: the whole area follows, bars included.
    if (moved && window != nullptr) {
        window->update();
    }
    return S_OK;
}

const GstVideoInfo* CAppSinkRenderer::PaintInfo(GstSample* sample)
{
    GstCaps* caps = gst_sample_get_caps(sample);
    if (caps == nullptr) {
        return nullptr;
    }
    if (caps != m_paintCaps.get()) {
        m_paintCaps.reset();
        if (!gst_video_info_from_caps(&m_paintInfo, caps)) {
            return nullptr;
        }
        m_paintCaps.reset(gst_caps_ref(caps));
    }
    return &m_paintInfo;
}

HRESULT CAppSinkRenderer::SetAspectRatioMode(std::int32_t mode)
{
    if (mode != VMR_ARMODE_NONE && mode != VMR_ARMODE_LETTER_BOX) {
        return E_INVALIDARG;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aspectMode = mode;
    return S_OK;
}

HRESULT CAppSinkRenderer::SetVideoClippingWindow(QWidget* window)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_window = window;
    if (window != nullptr && !m_wake) {
        m_wake = std::make_unique<CRepaintWake>([this] { RepaintNow(); });   // on the window's thread
    }
    return S_OK;
}

void CAppSinkRenderer::SetRepaintHandler(RepaintHandler handler)
{
    m_repaintHandler = std::move(handler);
}

bool CAppSinkRenderer::CurrentImage(QImage& image) const
{
    // Copied from a reference of its own: the streaming thread is not kept waiting while the frame is copied.
    const zv::SamplePtr sample = LatestSample();
    if (!sample) {
        return false;
    }
    const CVideoFrame frame(sample.get());
    image = frame.Copy();
    return !image.isNull();
}
