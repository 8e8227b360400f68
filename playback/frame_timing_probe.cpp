#include "playback/frame_timing_probe.h"

#include "dvfilter/dv_metadata_filter.h"

CFrameTimingProbe::~CFrameTimingProbe()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
    }
}

void CFrameTimingProbe::Attach(GstPad* pad, std::uint32_t rate, std::uint32_t scale, bool wholeFrames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    AttachLocked(pad, rate, scale, wholeFrames);
}

void CFrameTimingProbe::MoveTo(GstPad* pad)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    AttachLocked(pad, m_rate, m_scale, m_wholeFrames);
}

// The probe's callback takes the same lock only after the pad has let go of its own, so removing the
// probe here, under this lock, cannot wait on a callback that waits for us.
void CFrameTimingProbe::AttachLocked(GstPad* pad, std::uint32_t rate, std::uint32_t scale, bool wholeFrames)
{
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
        m_probeId = 0;
    }
    m_pad = zv::RefObject(pad);
    m_rate = rate;
    m_scale = scale;
    m_wholeFrames = wholeFrames;
    if (rate != 0 && scale != 0) {
        m_probeId = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &CFrameTimingProbe::OnBuffer, this, nullptr);
    }
}

GstPadProbeReturn CFrameTimingProbe::OnBuffer(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
{
    auto* probe = static_cast<CFrameTimingProbe*>(self);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer == nullptr || !GST_BUFFER_PTS_IS_VALID(buffer)) {
        return GST_PAD_PROBE_OK;
    }
    std::uint32_t rate = 0;
    std::uint32_t scale = 0;
    bool wholeFrames = false;
    {
        std::lock_guard<std::mutex> lock(probe->m_mutex);
        rate = probe->m_rate;
        scale = probe->m_scale;
        wholeFrames = probe->m_wholeFrames;
    }
    const std::int64_t frame = FrameOfTimestamp(static_cast<std::int64_t>(GST_BUFFER_PTS(buffer)), rate, scale);
    if (frame < 0) {
        return GST_PAD_PROBE_OK;
    }
    const GstClockTime end = gst_util_uint64_scale(static_cast<guint64>(frame) + 1,
                                                   static_cast<guint64>(scale) * GST_SECOND, rate);
    const GstClockTime start = wholeFrames ? gst_util_uint64_scale(static_cast<guint64>(frame),
                                                                   static_cast<guint64>(scale) * GST_SECOND, rate)
                                           : GST_BUFFER_PTS(buffer);
    const GstClockTime duration = end > start ? end - start : 0;
    if (GST_BUFFER_DURATION(buffer) == duration && GST_BUFFER_PTS(buffer) == start) {
        return GST_PAD_PROBE_OK;
    }
    // The splitter hands its only reference downstream, so this normally changes the buffer in place.
    buffer = gst_buffer_make_writable(buffer);
    GST_BUFFER_PTS(buffer) = start;
    GST_BUFFER_DURATION(buffer) = duration;
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}
