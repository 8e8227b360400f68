#pragma once
// Lets exactly one frame through a pad for each flushing seek and holds every other one: a still picture
// of frame N then costs one decode of frame N. Without it the pipeline would first decode and preroll
// frame 0 (or the DV splitter's discovery frame), and go on decoding the frames after N while the sinks
// sit prerolled. Held frames wait on the streaming thread until a flush or the pipeline's stop frees it.

#include "dvfilter/gst_handles.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class CSeekFrameGate {
public:
    CSeekFrameGate() = default;
    ~CSeekFrameGate();
    CSeekFrameGate(const CSeekFrameGate&) = delete;
    CSeekFrameGate& operator=(const CSeekFrameGate&) = delete;

    void Attach(GstPad* pad);
    // Waits until the first frame waits at the gate: its streaming thread has started (a demuxer feeding it
    // has announced its pads, so a seek now reaches every branch). True at once when nothing is attached.
    bool WaitFirstFrame(std::chrono::milliseconds timeout);

private:
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn OnFlush(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void Detach();

    zv::GstPtr<GstPad> m_pad;
    gulong m_blockId = 0;
    gulong m_flushId = 0;
    std::mutex m_mutex;   // the state below: written by streaming threads and the seeking thread
    std::condition_variable m_changed;
    bool m_frameWaiting = false;
    int m_passes = 0;     // frames still to let through since the last flush
};
