#pragma once
// Stands in front of a DV splitter and keeps frames its audio decoder cannot take safely (a frame of the
// other system on damaged tape, a frame's worth of bytes that starts mid-frame in a raw stream) from
// reaching that decoder with their sound packs: such a frame goes on silent, its picture untouched. Frames
// that pass cost one look at their packs and no copy.

#include "dvfilter/gst_handles.h"

class CSoundGuard {
public:
    CSoundGuard() = default;
    ~CSoundGuard();
    CSoundGuard(const CSoundGuard&) = delete;
    CSoundGuard& operator=(const CSoundGuard&) = delete;

    // On the splitter's input pad, pushed to or pulled from; is625: the stream's system.
    void Attach(GstPad* splitterInput, bool is625);

private:
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer is625);

    zv::GstPtr<GstPad> m_pad;
    gulong m_probeId = 0;
};
