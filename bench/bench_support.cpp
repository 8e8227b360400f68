#include "bench/bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace bench {

std::string Folder(int argc, char** argv)
{
    const char* dir = std::getenv("ZV_BENCH_DIR");
    return argc > 1 ? argv[1] : dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds(bool children)
{
    rusage usage{};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool EvictFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Dirty pages cannot be dropped: the file the bench just wrote must reach the disk first.
    const bool synced = ::fdatasync(fd) == 0;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    return synced;
}

void PrintRow(const std::string& metric, double ours, double peer, const std::string& goal)
{
    std::printf("row\t%s\t%.4g\t%.4g\t%s\n", metric.c_str(), ours, peer, goal.c_str());
    std::fflush(stdout);
}

}  // namespace bench
