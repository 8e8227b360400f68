#pragma once
// Restores each picture's duration behind the DV splitter. After a seek the splitter recounts its frame
// number from the time stamp with a truncating division; at 30000/1001 frames/s that lands one frame low
// and the first picture after the seek leaves with a duration of zero, so the decoder clips it away and
// the renderer shows the next frame instead. The probe gives every picture the interval of the frame its
// time stamp lies in.

#include "dvfilter/gst_handles.h"

#include <cstdint>
#include <mutex>

class CFrameTimingProbe {
public:
    CFrameTimingProbe() = default;
    ~CFrameTimingProbe();
    CFrameTimingProbe(const CFrameTimingProbe&) = delete;
    CFrameTimingProbe& operator=(const CFrameTimingProbe&) = delete;

    // rate / scale: the stream's frame rate. Attaching again moves the probe to the new pad. wholeFrames:
    // every picture also starts where its frame starts. A DV splitter reading a raw DV stream itself
    // stamps the first frame after a seek with the time sought, half-way into that frame; behind an AVI
    // splitter frames always start on their own start.
    void Attach(GstPad* pad, std::uint32_t rate, std::uint32_t scale, bool wholeFrames = false);
    // The same probe on a pad that replaced the first one (the splitter remade it after a stop). Called on
    // the splitter's streaming thread while buffers may be passing the probe.
    void MoveTo(GstPad* pad);

private:
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void AttachLocked(GstPad* pad, std::uint32_t rate, std::uint32_t scale, bool wholeFrames);

    // Guards every member: the build and the relinking move the probe while streaming threads read the rate.
    std::mutex m_mutex;
    zv::GstPtr<GstPad> m_pad;
    gulong m_probeId = 0;
    std::uint32_t m_rate = 0;
    std::uint32_t m_scale = 0;
    bool m_wholeFrames = false;
};
