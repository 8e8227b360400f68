#include "playback/sound_guard.h"

#include "avi/frame_sound.h"

CSoundGuard::~CSoundGuard()
{
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
    }
}

void CSoundGuard::Attach(GstPad* splitterInput, bool is625)
{
    if (m_pad && m_probeId != 0) {
        gst_pad_remove_probe(m_pad.get(), m_probeId);
    }
    m_pad = zv::RefObject(splitterInput);
    // The system travels in the probe's own data: nothing of this object is read on the streaming thread.
    m_probeId = gst_pad_add_probe(splitterInput, GST_PAD_PROBE_TYPE_BUFFER, &CSoundGuard::OnBuffer,
                                  GINT_TO_POINTER(is625 ? 1 : 0), nullptr);
}

GstPadProbeReturn CSoundGuard::OnBuffer(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer is625)
{
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstMapInfo map;
    if (buffer == nullptr || !gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        return GST_PAD_PROBE_OK;
    }
    const bool decodable = DvFrameSoundIsDecodable(map.data, map.size, GPOINTER_TO_INT(is625) != 0);
    gst_buffer_unmap(buffer, &map);
    if (decodable) {
        return GST_PAD_PROBE_OK;
    }
    buffer = gst_buffer_make_writable(buffer);   // the probe's reference, exchanged for one it may change
    if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        SilenceDvFrame(map.data, map.size);
        gst_buffer_unmap(buffer, &map);
    }
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}
