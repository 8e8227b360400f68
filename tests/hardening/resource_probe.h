#pragma once
// What a hostile input costs the process: memory high-water mark since a reset, open descriptors, threads;
// and a way to run a case in a child process so its memory and time cannot spill into the next one.

#include <cstdint>
#include <functional>
#include <string>

namespace hardening {

// Resets the kernel's resident high-water mark of this process (VmHWM). False when the kernel refuses.
bool ResetPeakMemory();
// Resident memory now and its high-water mark, in KiB (from /proc/self/status); -1 when unreadable.
std::int64_t ResidentKiB();
std::int64_t PeakResidentKiB();
// Address space now and its high-water mark (VmSize, VmPeak), in KiB: a reservation counts here before it
// is touched. The mark cannot be reset, but a forked child starts with its own.
std::int64_t VirtualKiB();
std::int64_t PeakVirtualKiB();

// Memory the process holds, in KiB, for growth checks over many runs: the resident set; under AddressSanitizer,
// whose quarantine and shadow swell the resident set with memory already freed, the live heap it counts.
std::int64_t MemoryInUseKiB();

// Runs `body`, returning how far resident memory rose above its level at the start, in KiB.
std::int64_t PeakRiseKiB(const std::function<void()>& body);

int OpenDescriptorCount();   // entries of /proc/self/fd
int ThreadCount();           // entries of /proc/self/task

struct ChildOutcome {
    bool finished = false;       // exited normally within the time limit
    int exitCode = -1;
    int signal = 0;              // the signal that ended it, 0 when it exited
    bool timedOut = false;       // killed at the time limit
    std::int64_t peakRiseKiB = -1;          // resident, reported by the child itself
    std::int64_t peakVirtualRiseKiB = -1;   // address space, likewise
    double seconds = 0;
    std::string report;          // text the child sent back (its findings)
};

// Forks; the child resets its high-water mark, runs body (whose return text is sent back) and exits 0.
// The child is killed after timeLimitSeconds. Only for code that starts no threads of its own.
ChildOutcome RunInChild(const std::function<std::string()>& body, double timeLimitSeconds);

}  // namespace hardening
