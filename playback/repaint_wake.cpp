#include "playback/repaint_wake.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

CRepaintWake::CRepaintWake(std::function<void()> run)
    : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), m_run(std::move(run))
{
    if (m_fd) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd.Get(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { OnActivated(); });
    }
}

void CRepaintWake::Request()
{
    if (!Ok() || m_pending.exchange(true)) {
        return;
    }
    const std::uint64_t one = 1;
    if (::write(m_fd.Get(), &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
        m_pending.store(false);   // the counter is full only if nobody reads it: the next frame tries again
    }
}

void CRepaintWake::OnActivated()
{
    std::uint64_t count = 0;
    static_cast<void>(::read(m_fd.Get(), &count, sizeof count));
    // Cleared before the run: a frame arriving during the paint asks again rather than being lost.
    m_pending.store(false);
    m_run();
}
