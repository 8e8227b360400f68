#include "playback/seek_frame_gate.h"

CSeekFrameGate::~CSeekFrameGate()
{
    Detach();
}

void CSeekFrameGate::Attach(GstPad* pad)
{
    Detach();
    m_pad = zv::RefObject(pad);
    m_blockId = gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER),
                                  &CSeekFrameGate::OnBuffer, this, nullptr);
    m_flushId = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_FLUSH, &CSeekFrameGate::OnFlush, this, nullptr);
}

void CSeekFrameGate::Detach()
{
    if (m_pad) {
        gst_pad_remove_probe(m_pad.get(), m_blockId);
        gst_pad_remove_probe(m_pad.get(), m_flushId);
        m_pad.reset();
    }
}

bool CSeekFrameGate::WaitFirstFrame(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return !m_pad || m_changed.wait_for(lock, timeout, [this] { return m_frameWaiting; });
}

GstPadProbeReturn CSeekFrameGate::OnBuffer(GstPad* /*pad*/, GstPadProbeInfo* /*info*/, gpointer self)
{
    auto* gate = static_cast<CSeekFrameGate*>(self);
    const std::lock_guard lock(gate->m_mutex);
    if (gate->m_passes > 0) {
        --gate->m_passes;
        return GST_PAD_PROBE_PASS;   // this one goes on; the gate blocks again at the next
    }
    gate->m_frameWaiting = true;
    gate->m_changed.notify_all();
    return GST_PAD_PROBE_OK;         // a blocking probe that says OK keeps the frame waiting
}

GstPadProbeReturn CSeekFrameGate::OnFlush(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (event != nullptr && GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_START) {
        // The pad is flushing already: the waiting frame is dropped, and the seek's first frame may pass.
        auto* gate = static_cast<CSeekFrameGate*>(self);
        const std::lock_guard lock(gate->m_mutex);
        gate->m_frameWaiting = false;
        gate->m_passes = 1;
    }
    return GST_PAD_PROBE_OK;
}
