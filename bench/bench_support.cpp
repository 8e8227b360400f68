#include "bench/bench_support.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
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

std::int64_t ResidentPages(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    const bool sized = ::fstat(fd, &info) == 0;
    const auto bytes = sized ? static_cast<std::size_t>(info.st_size) : 0;
    void* map = bytes > 0 ? ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED, fd, 0) : nullptr;
    ::close(fd);
    if (map == MAP_FAILED || map == nullptr)
        return bytes == 0 && sized ? 0 : -1;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((bytes + page - 1) / page);
    const bool asked = ::mincore(map, bytes, resident.data()) == 0;
    ::munmap(map, bytes);
    if (!asked)
        return -1;
    return std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return (r & 1) != 0; });
}

void PrintRow(const std::string& metric, double ours, double peer, const std::string& goal, const std::string& why)
{
    std::printf("row\t%s\t%.4g\t%.4g\t%s%s%s\n", metric.c_str(), ours, peer, goal.c_str(), why.empty() ? "" : "\t",
                why.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

}  // namespace bench
