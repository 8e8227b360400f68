#pragma once
// Graph events from the pipeline's bus to the window that owns the graph. A sync handler, running on
// whichever thread posts, takes the two messages the player acts on (end of stream, error) into a queue
// of its own and only then posts the notify event (type 0x8001) to the notify object; every other
// message is dropped there, so nothing piles up. The window then drains the queue on its own thread.
// The message is queued before the notify event exists, so a window that handles the event at once
// always finds it (left on the bus, it would land there only after the handler had looked).

#include "dvfilter/gst_handles.h"

#include <QObject>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

inline constexpr std::uint32_t WM_APP_GRAPH_NOTIFY = 0x8001;   // WM_APP + 1
inline constexpr long EC_COMPLETE = 1;
inline constexpr long EC_USERABORT = 2;
inline constexpr long EC_ERRORABORT = 3;

class CGraphEvents {
public:
    CGraphEvents() = default;
    ~CGraphEvents();
    CGraphEvents(const CGraphEvents&) = delete;
    CGraphEvents& operator=(const CGraphEvents&) = delete;

    void Attach(GstBus* bus);
    void Detach();
    // Receiver of the notify event and its type; nullptr stops notification.
    void SetNotifyWindow(QObject* receiver, std::uint32_t type);
    // The first error any element reported, in the user's words (see graph_error_text.h); empty when none.
    std::string FirstError() const;
    bool HasError() const;

    // Pops the next queued event without waiting: true with its code, false when none is queued.
    bool GetEvent(long& code);
    // Drops the end-of-stream messages already waiting (errors stay): while the end of one stream is being
    // handled, its sinks can report it again, and that is not a second end.
    void DiscardEndOfStream();

private:
    static GstBusSyncReply OnMessage(GstBus* bus, GstMessage* message, gpointer self);

    zv::GstPtr<GstBus> m_bus;
    mutable std::mutex m_mutex;
    QObject* m_receiver = nullptr;
    std::uint32_t m_type = 0;
    std::string m_firstError;
    std::deque<zv::MessagePtr> m_queued;   // messages hold their element: cleared by Detach
};
