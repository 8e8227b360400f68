#pragma once
// Keeps a demuxer's outputs linked across a stop. Stopping takes the pipeline to the ready state, where a
// demuxer drops its output pads; when it pauses again it makes them anew from the data. The relinker
// remembers where each output led once the graph was built and links the new pad of the same name there
// as soon as it appears, before any data leaves it.

#include "dvfilter/gst_handles.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CPadRelinker {
public:
    CPadRelinker() = default;
    ~CPadRelinker();
    CPadRelinker(const CPadRelinker&) = delete;
    CPadRelinker& operator=(const CPadRelinker&) = delete;

    // Records the demuxer's linked outputs now. relinked (optional) is told of every pad linked again,
    // unmatched (optional) of every new pad that no recorded output had: one the data only brought later.
    void Watch(GstElement* demuxer, std::function<void(GstPad*)> relinked = {},
               std::function<void(GstPad*)> unmatched = {});

private:
    struct Link {
        std::string padName;
        zv::GstPtr<GstPad> peer;
    };
    static void OnPadAdded(GstElement* element, GstPad* pad, gpointer self);

    zv::GstPtr<GstElement> m_demuxer;
    gulong m_handler = 0;
    std::mutex m_mutex;   // the links are read on the demuxer's streaming thread
    std::vector<Link> m_links;
    std::function<void(GstPad*)> m_relinked;
    std::function<void(GstPad*)> m_unmatched;
};
