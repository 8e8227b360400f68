// A streaming thread's repaint requests reach the window's thread: each burst is answered by one run on
// that thread, and a request made after a run (or during it) is never lost.
#include "playback/repaint_wake.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <thread>

#include <gtest/gtest.h>

namespace {

// Runs the event loop until runs reaches want or a second has passed.
void PumpUntil(const int& runs, int want)
{
    QElapsedTimer waited;
    waited.start();
    while (runs < want && waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
}

TEST(RepaintWake, BurstsFromAnotherThreadRunOnceEachOnTheOwnersThread)
{
    int runs = 0;
    bool onOwner = true;
    QThread* const owner = QThread::currentThread();
    CRepaintWake wake([&] {
        ++runs;
        onOwner = onOwner && QThread::currentThread() == owner;
    });
    ASSERT_TRUE(wake.Ok());
    for (int burst = 1; burst <= 3; ++burst) {
        std::thread frames([&] {
            for (int i = 0; i < 500; ++i) {
                wake.Request();
            }
        });
        frames.join();
        PumpUntil(runs, burst);
        QCoreApplication::processEvents();   // a second run would come now
        EXPECT_EQ(runs, burst) << "one run answers a whole burst, and the next burst is not lost";
    }
    EXPECT_TRUE(onOwner);
}

TEST(RepaintWake, ARequestDuringTheRunIsAnsweredByAnother)
{
    int runs = 0;
    CRepaintWake* self = nullptr;
    CRepaintWake wake([&] {
        if (++runs == 1) {
            self->Request();   // a frame arriving while the window paints
        }
    });
    self = &wake;
    wake.Request();
    PumpUntil(runs, 2);
    EXPECT_EQ(runs, 2);
}

}  // namespace
