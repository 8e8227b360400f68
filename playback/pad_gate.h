#pragma once
// Holds a demuxer's streaming thread at the point where it has announced its output pads, so the graph
// builder can link those pads one step at a time before any data flows. Must be released before the
// pipeline leaves the paused state, or the held thread deadlocks the state change.

#include "dvfilter/gst_handles.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <mutex>

class CPadGate {
public:
    enum class HoldAt {
        NoMorePads,   // the demuxer says all pads are there (the AVI splitter, before its first buffer)
        // The first picture leaves the demuxer's video pad (the DV splitter, which adds pads from data).
        // Not the pad's announcement: the splitter takes the new pad as its own only after announcing it,
        // and until then a seek's flush passes that pad by while the frame it is sending still follows.
        VideoPad,
    };

    CPadGate() = default;
    ~CPadGate();
    CPadGate(const CPadGate&) = delete;
    CPadGate& operator=(const CPadGate&) = delete;

    void Attach(GstElement* demuxer, HoldAt where);
    // Waits until the demuxer's thread is held at the gate. False on time-out, as soon as stop() says so
    // (an error on the bus), or once the demuxer's input has ended without the pads: a demuxer that makes
    // its pads from data has then seen every byte it will get.
    bool WaitHeld(std::chrono::milliseconds timeout, const std::function<bool()>& stop);
    void Release();

private:
    static void OnPadAdded(GstElement* element, GstPad* pad, gpointer self);
    static void OnNoMorePads(GstElement* element, gpointer self);
    static GstPadProbeReturn OnInputEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn OnFirstPicture(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void Hold();
    void Detach();

    zv::GstPtr<GstElement> m_demuxer;
    zv::GstPtr<GstPad> m_input;   // the demuxer's sink pad, watched for the end of its stream
    HoldAt m_where = HoldAt::NoMorePads;
    gulong m_padAddedId = 0;
    gulong m_noMorePadsId = 0;
    gulong m_inputProbeId = 0;
    zv::GstPtr<GstPad> m_video;   // the video pad until its first picture came (guarded by m_mutex)
    gulong m_videoProbeId = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_released = false;
    bool m_inputEnded = false;
};

// Lets a given number of buffers through a pad, then holds the streaming thread, with the buffer it
// brought, until more are allowed or the valve is released.
class CBufferValve {
public:
    CBufferValve() = default;
    ~CBufferValve();
    CBufferValve(const CBufferValve&) = delete;
    CBufferValve& operator=(const CBufferValve&) = delete;

    void Attach(GstPad* pad, int allowance);
    // Waits until a buffer is held at the valve. False on time-out, once the stream has ended before
    // one came, or as soon as stop() says so.
    bool WaitHeld(std::chrono::milliseconds timeout, const std::function<bool()>& stop);
    // test(data, size) on the buffer being held; false when none is.
    bool TestHeld(const std::function<bool(const std::uint8_t*, std::size_t)>& test);
    // Lets `count` more buffers through, the one being held first.
    void Allow(int count);
    void Release();
    // True once the end of the stream passed the valve: no further frame will come through it.
    bool EndOfStream();

private:
    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    zv::GstPtr<GstPad> m_pad;
    gulong m_probeId = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_allowance = 0;
    GstBuffer* m_held = nullptr;   // owned by the streaming thread waiting in OnBuffer
    bool m_released = false;
    bool m_endOfStream = false;
};
