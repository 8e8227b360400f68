#include "playback/graph_events.h"

#include "playback/graph_error_text.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

CGraphEvents::~CGraphEvents()
{
    Detach();
}

void CGraphEvents::Attach(GstBus* bus)
{
    Detach();
    m_bus = zv::RefObject(bus);
    gst_bus_set_sync_handler(bus, &CGraphEvents::OnMessage, this, nullptr);
}

void CGraphEvents::Detach()
{
    if (m_bus) {
        gst_bus_set_sync_handler(m_bus.get(), nullptr, nullptr, nullptr);
        m_bus.reset();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queued.clear();
}

void CGraphEvents::SetNotifyWindow(QObject* receiver, std::uint32_t type)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_receiver = receiver;
    m_type = type;
}

std::string CGraphEvents::FirstError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_firstError;
}

bool CGraphEvents::HasError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_firstError.empty();
}

GstBusSyncReply CGraphEvents::OnMessage(GstBus* /*bus*/, GstMessage* message, gpointer self)
{
    // A sync handler that drops a message owns it: kept or released here, never left to the bus. Kept
    // there, every state change would hold a reference on its element and the pipeline would never be
    // freed.
    zv::MessagePtr owned(message);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_EOS && type != GST_MESSAGE_ERROR) {
        return GST_BUS_DROP;
    }
    auto* events = static_cast<CGraphEvents*>(self);
    std::lock_guard<std::mutex> lock(events->m_mutex);
    if (type == GST_MESSAGE_ERROR && events->m_firstError.empty()) {
        // The box shows what failed and what to do; the framework's message and its developer notes
        // (source file, function, internal state) mean nothing to the user.
        events->m_firstError = GraphErrorText(message);
    }
    events->m_queued.push_back(std::move(owned));
    if (events->m_receiver != nullptr) {
        QCoreApplication::postEvent(events->m_receiver, new QEvent(static_cast<QEvent::Type>(events->m_type)));
    }
    return GST_BUS_DROP;
}

bool CGraphEvents::GetEvent(long& code)
{
    zv::MessagePtr message;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queued.empty()) {
            return false;
        }
        message = std::move(m_queued.front());
        m_queued.pop_front();
    }
    code = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS ? EC_COMPLETE : EC_ERRORABORT;
    return true;
}

void CGraphEvents::DiscardEndOfStream()
{
    std::deque<zv::MessagePtr> dropped;   // released outside the lock
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_queued.begin(); it != m_queued.end();) {
        if (GST_MESSAGE_TYPE(it->get()) == GST_MESSAGE_EOS) {
            dropped.push_back(std::move(*it));
            it = m_queued.erase(it);
        } else {
            ++it;
        }
    }
}
