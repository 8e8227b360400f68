#pragma once
// What every bench program shares: the scratch folder, medians, the page cache, and the rows of the table
// `make bench` ends with.
//
// A row is one line on stdout:  row<TAB>metric<TAB>ours<TAB>peer<TAB>goal[<TAB>why]
// with ours and peer in the same unit (named in the metric) and goal a bound on ours / peer ("<=1.5",
// ">=4"); bench/run.sh collects the rows of every bench, works out the ratio and says whether it is met.
// `why` is what the bench measured that explains a miss (where the rest of the cost lies); the table
// shows it under a goal not met.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// argv[1] when given, else $ZV_BENCH_DIR, else /tmp.
std::string Folder(int argc, char** argv);

double Median(std::vector<double> values);
double Milliseconds(std::chrono::steady_clock::duration d);

// Wall milliseconds work() takes.
template <class Work>
double TimeMs(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

// User plus system CPU seconds of this process (self) or of its waited-for children.
double CpuSeconds(bool children);

// Writes the file's dirty pages out, then drops all its pages from the page cache, so the next read comes
// from the disk. False when the file cannot be opened or synced.
bool EvictFromCache(const std::string& path);

// How many of the file's pages are in the page cache (mincore over a mapping of it), or -1 when it cannot
// be mapped: what proves an eviction evicted.
std::int64_t ResidentPages(const std::string& path);

void PrintRow(const std::string& metric, double ours, double peer, const std::string& goal,
              const std::string& why = "");

// printf into a std::string, for a row's why.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace bench
