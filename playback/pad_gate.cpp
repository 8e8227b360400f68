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
        m_inputEnded = false;
    }
    m_padAddedId = g_signal_connect(demuxer, "pad-added", G_CALLBACK(&CPadGate::OnPadAdded), this);
    m_noMorePadsId = g_signal_connect(demuxer, "no-more-pads", G_CALLBACK(&CPadGate::OnNoMorePads), this);
    // The end of the stream reaches the demuxer's input only after every frame before it went through
    // the demuxer: the frame that would have made the pads included.
    m_input = zv::AdoptObject(gst_element_get_static_pad(demuxer, "sink"));
    if (m_input) {
        m_inputProbeId = gst_pad_add_probe(m_input.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &CPadGate::OnInputEvent,
                                           this, nullptr);
    }
}

void CPadGate::Detach()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_video && m_videoProbeId != 0) {
            gst_pad_remove_probe(m_video.get(), m_videoProbeId);
        }
        m_video.reset();
        m_videoProbeId = 0;
    }
    if (m_input) {
        gst_pad_remove_probe(m_input.get(), m_inputProbeId);
        m_input.reset();
        m_inputProbeId = 0;
    }
    if (m_demuxer) {
        g_signal_handler_disconnect(m_demuxer.get(), m_padAddedId);
        g_signal_handler_disconnect(m_demuxer.get(), m_noMorePadsId);
        m_demuxer.reset();
    }
}

GstPadProbeReturn CPadGate::OnInputEvent(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
{
    auto* gate = static_cast<CPadGate*>(self);
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS) {
        std::lock_guard<std::mutex> lock(gate->m_mutex);
        gate->m_inputEnded = true;
        gate->m_changed.notify_all();
    }
    return GST_PAD_PROBE_OK;
}

// The streaming thread is not held here: the demuxer has yet to take the pad as its own. It is held as the
// pad's first picture leaves, when the demuxer has every pad that frame made (the sound's comes first).
void CPadGate::OnPadAdded(GstElement* /*element*/, GstPad* pad, gpointer self)
{
    auto* gate = static_cast<CPadGate*>(self);
    if (gate->m_where != HoldAt::VideoPad) {
        return;
    }
    zv::GCharPtr name(gst_pad_get_name(pad));
    if (!name || std::strncmp(name.get(), "video", 5) != 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(gate->m_mutex);
    if (gate->m_released || gate->m_video) {
        return;   // a seek re-announcing pads after the build passes straight through
    }
    gate->m_video = zv::RefObject(pad);
    gate->m_videoProbeId = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &CPadGate::OnFirstPicture, gate, nullptr);
}

GstPadProbeReturn CPadGate::OnFirstPicture(GstPad* /*pad*/, GstPadProbeInfo* /*info*/, gpointer self)
{
    auto* gate = static_cast<CPadGate*>(self);
    gate->Hold();
    std::lock_guard<std::mutex> lock(gate->m_mutex);
    gate->m_videoProbeId = 0;   // removed by the return below
    return GST_PAD_PROBE_REMOVE;
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
        return;
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
        if (m_inputEnded || (stop && stop()) || std::chrono::steady_clock::now() >= deadline) {
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
    m_held = nullptr;
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
            valve->m_changed.notify_all();
        }
        return GST_PAD_PROBE_OK;
    }
    if (valve->m_allowance > 0 || valve->m_released) {
        valve->m_allowance = valve->m_allowance > 0 ? valve->m_allowance - 1 : 0;
        return GST_PAD_PROBE_OK;
    }
    valve->m_held = GST_PAD_PROBE_INFO_BUFFER(info);
    valve->m_changed.notify_all();
    valve->m_changed.wait(lock, [valve] { return valve->m_released || valve->m_allowance > 0; });
    valve->m_held = nullptr;
    if (!valve->m_released) {
        --valve->m_allowance;
    }
    return GST_PAD_PROBE_OK;
}

bool CBufferValve::WaitHeld(std::chrono::milliseconds timeout, const std::function<bool()>& stop)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_held == nullptr) {
        if (m_endOfStream || (stop && stop()) || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
    }
    return true;
}

bool CBufferValve::TestHeld(const std::function<bool(const std::uint8_t*, std::size_t)>& test)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    GstMapInfo map;
    if (m_held == nullptr || !gst_buffer_map(m_held, &map, GST_MAP_READ)) {
        return false;
    }
    const bool result = test(map.data, map.size);
    gst_buffer_unmap(m_held, &map);
    return result;
}

void CBufferValve::Allow(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_allowance += count;
    m_changed.notify_all();
}

void CBufferValve::Release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}
