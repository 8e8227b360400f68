#include "playback/pad_gate.h"

#include <cstring>

CPadGate::~CPadGate()
{
    Release();
    Detach();
}

void CPadGate::Attach(GstElement* demuxer, HoldAt where)
{
    Detach();
    m_demuxer = zv::RefObject(demuxer);
    m_where = where;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
        m_released = false;
    }
    m_padAddedId = g_signal_connect(demuxer, "pad-added", G_CALLBACK(&CPadGate::OnPadAdded), this);
    m_noMorePadsId = g_signal_connect(demuxer, "no-more-pads", G_CALLBACK(&CPadGate::OnNoMorePads), this);
}

void CPadGate::Detach()
{
    if (m_demuxer) {
        g_signal_handler_disconnect(m_demuxer.get(), m_padAddedId);
        g_signal_handler_disconnect(m_demuxer.get(), m_noMorePadsId);
        m_demuxer.reset();
    }
}

void CPadGate::OnPadAdded(GstElement* /*element*/, GstPad* pad, gpointer self)
{
    auto* gate = static_cast<CPadGate*>(self);
    if (gate->m_where != HoldAt::VideoPad) {
        return;
    }
    zv::GCharPtr name(gst_pad_get_name(pad));
    if (name && std::strncmp(name.get(), "video", 5) == 0) {
        gate->Hold();
    }
}

void CPadGate::OnNoMorePads(GstElement* /*element*/, gpointer self)
{
    auto* gate = static_cast<CPadGate*>(self);
    if (gate->m_where == HoldAt::NoMorePads) {
        gate->Hold();
    }
}

void CPadGate::Hold()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_released) {
        return;   // a seek re-announcing pads after the build passes straight through
    }
    m_held = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_released; });
}

bool CPadGate::WaitHeld(std::chrono::milliseconds timeout, const std::function<bool()>& stop)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_held) {
        if ((stop && stop()) || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    return true;
}

void CPadGate::Release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

CBufferValve::~CBufferValve()
{
    Release();
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
    }
}

void CBufferValve::Attach(GstPad* pad, int allowance)
{
    m_pad = zv::RefObject(pad);
    m_allowance = allowance;
    m_released = false;
    m_endOfStream = false;
    // Events are watched too: a stream that ends before its first frame must not leave the builder waiting
    // for pads that only a frame would create.
    m_probeId = gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                                  &CBufferValve::OnBuffer, this, nullptr);
}

bool CBufferValve::EndOfStream()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_endOfStream;
}

GstPadProbeReturn CBufferValve::OnBuffer(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
{
    auto* valve = static_cast<CBufferValve*>(self);
    std::unique_lock<std::mutex> lock(valve->m_mutex);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS) {
            valve->m_endOfStream = true;
        }
        return GST_PAD_PROBE_OK;
    }
    if (valve->m_allowance > 0) {
        --valve->m_allowance;
        return GST_PAD_PROBE_OK;
    }
    valve->m_changed.wait(lock, [valve] { return valve->m_released; });
    return GST_PAD_PROBE_OK;
}

void CBufferValve::Release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}
