#pragma once
// CRepaintWake: a streaming thread's "paint again" carried to the window's thread without allocating
// anything per frame. A queued call would allocate its functor and its event for every frame; this writes
// to an eventfd that the window's event loop watches instead. At most one request is on its way: requests
// made before it runs are answered by that one run.

#include "avi/file_io.h"

#include <QSocketNotifier>

#include <atomic>
#include <functional>
#include <memory>

class CRepaintWake {
public:
    // Made on the thread whose event loop is to call run (the window's), and destroyed there.
    explicit CRepaintWake(std::function<void()> run);
    CRepaintWake(const CRepaintWake&) = delete;
    CRepaintWake& operator=(const CRepaintWake&) = delete;

    // False when the system gave no eventfd: Request then does nothing.
    bool Ok() const { return m_notifier != nullptr; }

    // From any thread.
    void Request();

private:
    void OnActivated();

    zv::UniqueFd m_fd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::atomic<bool> m_pending{false};
    std::function<void()> m_run;
};
