#include "tests/hardening/resource_probe.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
#define ZV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZV_ADDRESS_SANITIZER 1
#endif
#endif
#if ZV_ADDRESS_SANITIZER
// The sanitizer runtime's own count of live heap bytes (GCC ships no header declaring it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace hardening {

namespace {

std::int64_t StatusField(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::stoll(line.substr(length + 1));
    }
    return -1;
}

int CountEntries(const char* folder)
{
    DIR* dir = ::opendir(folder);
    if (dir == nullptr)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ++count;
    }
    ::closedir(dir);
    return count;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool ResetPeakMemory()
{
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return ok;
}

std::int64_t ResidentKiB() { return StatusField("VmRSS"); }
std::int64_t PeakResidentKiB() { return StatusField("VmHWM"); }
std::int64_t VirtualKiB() { return StatusField("VmSize"); }
std::int64_t PeakVirtualKiB() { return StatusField("VmPeak"); }

std::int64_t MemoryInUseKiB()
{
#if ZV_ADDRESS_SANITIZER
    return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return ResidentKiB();
#endif
}

std::int64_t PeakRiseKiB(const std::function<void()>& body)
{
    ResetPeakMemory();
    const std::int64_t before = ResidentKiB();
    body();
    return PeakResidentKiB() - before;
}

// The directory stream's own descriptor is listed while it is read.
int OpenDescriptorCount() { return CountEntries("/proc/self/fd") - 1; }
int ThreadCount() { return CountEntries("/proc/self/task"); }

ChildOutcome RunInChild(const std::function<std::string()>& body, double timeLimitSeconds)
{
    ChildOutcome outcome;
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return outcome;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return outcome;
    }
    if (pid == 0) {
        ::close(channel[0]);
        std::int64_t rises[2] = {-1, -1};
        std::string text;
        if (ResetPeakMemory()) {
            const std::int64_t before = ResidentKiB();
            const std::int64_t virtualBefore = VirtualKiB();
            text = body();
            rises[0] = PeakResidentKiB() - before;
            rises[1] = PeakVirtualKiB() - virtualBefore;
        } else {
            text = "cannot reset the memory high-water mark";
        }
        const bool sent = WriteAll(channel[1], rises, sizeof rises) && WriteAll(channel[1], text.data(), text.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    std::string received;
    char buffer[4096];
    bool open = true;
    while (open) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeLimitSeconds) {
            ::kill(pid, SIGKILL);
            outcome.timedOut = true;
            break;
        }
        pollfd wait{channel[0], POLLIN, 0};
        if (::poll(&wait, 1, 100) > 0) {
            const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
            if (n <= 0)
                open = false;
            else
                received.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
        outcome.finished = !outcome.timedOut;
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    if (received.size() >= 2 * sizeof(std::int64_t)) {
        std::memcpy(&outcome.peakRiseKiB, received.data(), sizeof(std::int64_t));
        std::memcpy(&outcome.peakVirtualRiseKiB, received.data() + sizeof(std::int64_t), sizeof(std::int64_t));
        outcome.report = received.substr(2 * sizeof(std::int64_t));
    }
    return outcome;
}

}  // namespace hardening
