#pragma once
// Watches the pictures reaching a renderer: how many arrived since the last flush. A seek flushes, so "none since the flush" after the pipeline has prerolled again means the
// seek showed no new frame (it ran past the end of the data).

#include "dvfilter/gst_handles.h"

#include <atomic>
#include <cstdint>

class CSinkWatch {
public:
    CSinkWatch() = default;
    ~CSinkWatch();
    CSinkWatch(const CSinkWatch&) = delete;
    CSinkWatch& operator=(const CSinkWatch&) = delete;

    void Attach(GstPad* pad);
    std::uint64_t FramesSinceFlush() const { return m_framesSinceFlush.load(); }

private:
    static GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    zv::GstPtr<GstPad> m_pad;
    gulong m_probeId = 0;
    std::atomic<std::uint64_t> m_framesSinceFlush{0};
};
