#include "playback/pad_relinker.h"

CPadRelinker::~CPadRelinker()
{
    if (m_demuxer && m_handler != 0) {
        g_signal_handler_disconnect(m_demuxer.get(), m_handler);
    }
}

void CPadRelinker::Watch(GstElement* demuxer, std::function<void(GstPad*)> relinked,
                         std::function<void(GstPad*)> unmatched)
{
    std::vector<Link> links;
    GST_OBJECT_LOCK(demuxer);
    for (GList* l = demuxer->srcpads; l != nullptr; l = l->next) {
        GstPad* pad = GST_PAD(l->data);
        zv::GstPtr<GstPad> peer = zv::AdoptObject(gst_pad_get_peer(pad));
        if (peer) {
            links.push_back({GST_OBJECT_NAME(pad), std::move(peer)});
        }
    }
    GST_OBJECT_UNLOCK(demuxer);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_links = std::move(links);
        m_relinked = std::move(relinked);
        m_unmatched = std::move(unmatched);
    }
    if (!m_demuxer) {
        m_demuxer = zv::RefObject(demuxer);
        m_handler = g_signal_connect(demuxer, "pad-added", G_CALLBACK(&CPadRelinker::OnPadAdded), this);
    }
}

void CPadRelinker::OnPadAdded(GstElement* /*element*/, GstPad* pad, gpointer self)
{
    auto* relinker = static_cast<CPadRelinker*>(self);
    std::lock_guard<std::mutex> lock(relinker->m_mutex);
    for (const Link& link : relinker->m_links) {
        if (link.padName == GST_OBJECT_NAME(pad)) {
            if (!gst_pad_is_linked(link.peer.get()) && gst_pad_link(pad, link.peer.get()) == GST_PAD_LINK_OK
                && relinker->m_relinked) {
                relinker->m_relinked(pad);
            }
            return;
        }
    }
    if (relinker->m_unmatched) {
        relinker->m_unmatched(pad);
    }
}
