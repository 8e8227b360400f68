#include "playback/graph_events.h"

#include "playback/graph_error_text.h"

#include <QCoreApplication>
#include <QEvent>

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
    auto* events = static_cast<CGraphEvents*>(self);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_EOS && type != GST_MESSAGE_ERROR) {
        // A sync handler that drops a message owns it: the bus does not unref it. Kept, every state change
        // would hold a reference on its element and the pipeline would never be freed.
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
    std::lock_guard<std::mutex> lock(events->m_mutex);
    if (type == GST_MESSAGE_ERROR && events->m_firstError.empty()) {
        // The box shows what failed and what to do; the framework's message and its developer notes
        // (source file, function, internal state) mean nothing to the user.
        events->m_firstError = GraphErrorText(message);
    }
    if (events->m_receiver != nullptr) {
        QCoreApplication::postEvent(events->m_receiver, new QEvent(static_cast<QEvent::Type>(events->m_type)));
    }
    return GST_BUS_PASS;
}

bool CGraphEvents::GetEvent(long& code)
{
    if (!m_bus) {
        return false;
    }
    zv::MessagePtr message(gst_bus_pop_filtered(m_bus.get(), static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!message) {
        return false;
    }
    code = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS ? EC_COMPLETE : EC_ERRORABORT;
    return true;
}

void CGraphEvents::DiscardEndOfStream()
{
    while (m_bus) {
        zv::MessagePtr message(gst_bus_pop_filtered(m_bus.get(), GST_MESSAGE_EOS));
        if (!message) {
            return;
        }
    }
}
