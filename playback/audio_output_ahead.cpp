#include "playback/audio_output_ahead.h"

#include "playback/element_factory.h"

#include <condition_variable>
#include <mutex>

namespace {

// An output at READY goes back to NULL before it is released.
struct OpenedOutput {
    zv::GstPtr<GstElement> element;
    ~OpenedOutput() { Close(); }
    void Close()
    {
        if (element) {
            gst_element_set_state(element.get(), GST_STATE_NULL);
            element.reset();
        }
    }
};

struct Handoff {
    std::mutex lock;
    std::condition_variable opened;
    bool coming = false;
    bool unwanted = false;   // dropped while coming: closed as soon as it is open
    OpenedOutput output;
};

Handoff& TheHandoff()
{
    static Handoff handoff;
    return handoff;
}

}  // namespace

void ExpectAudioOutputAhead()
{
    Handoff& h = TheHandoff();
    const std::lock_guard guard(h.lock);
    h.coming = true;
}

void OpenAudioOutputAhead()
{
    zv::GstPtr<GstElement> output = ElementFactory().Make("autoaudiosink");
    if (output && gst_element_set_state(output.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(output.get(), GST_STATE_NULL);
        output.reset();
    }
    Handoff& h = TheHandoff();
    {
        const std::lock_guard guard(h.lock);
        if (!h.unwanted) {
            h.output.element = std::move(output);
        }
        h.unwanted = false;
        h.coming = false;
    }
    OpenedOutput unwanted{std::move(output)};
    h.opened.notify_all();
}

zv::GstPtr<GstElement> TakeAudioOutputOpenedAhead()
{
    Handoff& h = TheHandoff();
    std::unique_lock guard(h.lock);
    h.opened.wait(guard, [&h] { return !h.coming; });
    return std::move(h.output.element);
}

void DropAudioOutputOpenedAhead()
{
    Handoff& h = TheHandoff();
    OpenedOutput unused;
    const std::lock_guard guard(h.lock);
    h.unwanted = h.coming;
    unused.element = std::move(h.output.element);
}
