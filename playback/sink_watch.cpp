#include "playback/sink_watch.h"

CSinkWatch::~CSinkWatch()
{
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
    }
}

void CSinkWatch::Attach(GstPad* pad)
{
    m_pad = zv::RefObject(pad);
    m_probeId = gst_pad_add_probe(pad, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                                  &CSinkWatch::OnData, this, nullptr);
}

GstPadProbeReturn CSinkWatch::OnData(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer self)
{
    auto* watch = static_cast<CSinkWatch*>(self);
    if ((info->type & GST_PAD_PROBE_TYPE_BUFFER) != 0) {
        watch->m_framesSinceFlush.fetch_add(1);
    } else if (GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info); event != nullptr && GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        watch->m_framesSinceFlush.store(0);
    }
    return GST_PAD_PROBE_OK;
}
