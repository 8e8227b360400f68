// Thousands of damaged files through everything that reads a file: each must end in a clear result or a
// message, within bounded memory and time. Memory is the rise of the resident high-water mark over the
// level before the case; cases whose claims the file really backs (sparse files of gigabytes) run in a
// child process so their high-water mark is their own.

#include "playback/framework_complaints.h"
#include "tests/hardening/case_runner.h"
#include "tests/hardening/hostile_cases.h"
#include "tests/hardening/resource_probe.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <glib.h>

#include <chrono>
#include <mutex>
#include <utility>
#include <vector>
#include <cstdio>
#include <unistd.h>

namespace hardening {
namespace {

constexpr std::int64_t kMemoryBoundKiB = 64 * 1024;
constexpr double kFileLevelSeconds = 10;
constexpr double kHeavySeconds = 90;
constexpr double kPlaybackSeconds = 45;

struct Suite {
    QTemporaryDir folder;
    std::vector<HostileCase> cases;
};

Suite& TheSuite()
{
    static Suite* suite = [] {
        auto* s = new Suite;
        s->cases = HostileCases(s->folder.path().toStdString());
        return s;
    }();
    return *suite;
}

std::string CasePath(const std::string& file)
{
    return TheSuite().folder.filePath(QString::fromStdString(file)).toStdString();
}

bool Expected(ExpectIndex expect, bool indexed)
{
    return expect == ExpectIndex::Any || (expect == ExpectIndex::Built) == indexed;
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(HostileFiles, FileLevelReadersGiveAClearResultWithinBoundedMemoryAndTime)
{
    ASSERT_TRUE(ResetPeakMemory()) << "the kernel does not let the high-water mark be reset";
    const std::string path = CasePath("case.avi");
    int count = 0;
    std::int64_t worstRise = 0;
    std::string worstRiseCase;
    double slowest = 0;
    for (const HostileCase& c : TheSuite().cases) {
        if (c.heavy)
            continue;
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteHostileFile(path, c.make()));
        FileLevelVerdict verdict;
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t rise = PeakRiseKiB([&] { verdict = RunFileLevel(path); });
        const double seconds = Since(start);
        ++count;
        EXPECT_TRUE(verdict.problems.empty()) << Describe(verdict);
        EXPECT_TRUE(Expected(c.index, verdict.indexed)) << Describe(verdict) << "\n" << verdict.metadataError;
        if (!c.refusal.empty()) {
            EXPECT_NE(verdict.metadataError.find(c.refusal), std::string::npos) << verdict.metadataError;
        }
        EXPECT_LT(rise, kMemoryBoundKiB);
        EXPECT_LT(seconds, kFileLevelSeconds);
        if (rise > worstRise) {
            worstRise = rise;
            worstRiseCase = c.name;
        }
        slowest = std::max(slowest, seconds);
    }
    ::unlink(path.c_str());
    std::printf("[hostile] %d file-level cases (check, reader, --metadata, --scenes); peak memory rise %lld KiB (%s); "
                "slowest %.3f s\n", count, static_cast<long long>(worstRise), worstRiseCase.c_str(), slowest);
    EXPECT_GT(count, 8000);
}

TEST(HostileFiles, LargeBackedClaimsStayWithinBoundedMemoryAndTime)
{
    const std::string path = CasePath("heavy.avi");
    int count = 0;
    for (const HostileCase& c : TheSuite().cases) {
        if (!c.heavy)
            continue;
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteHostileFile(path, c.make()));
        const ChildOutcome outcome = RunInChild(
            [&] {
                const FileLevelVerdict verdict = RunFileLevel(path);
                bool refused = c.refusal.empty() || verdict.metadataError.find(c.refusal) != std::string::npos;
                std::string graph;
                if (c.playback && !c.refusal.empty()) {
                    // The same rule before the pipeline: refused, with the same sentence, before it sizes anything.
                    const PlaybackVerdict played = RunPlayback(path);
                    refused = refused && played.build < 0 && played.detail.find(c.refusal) != std::string::npos;
                    graph = " graph: \"" + played.message + "\" " + played.detail;
                }
                return std::string(verdict.problems.empty() && Expected(c.index, verdict.indexed) && refused ? "ok " : "PROBLEM ")
                    + Describe(verdict) + " metadata: " + verdict.metadataError + graph;
            },
            kHeavySeconds);
        ++count;
        std::printf("[hostile] heavy case %s: %.2f s, peak memory rise %lld KiB resident, %lld KiB address space: %s\n",
                    c.name.c_str(), outcome.seconds, static_cast<long long>(outcome.peakRiseKiB),
                    static_cast<long long>(outcome.peakVirtualRiseKiB), outcome.report.c_str());
        EXPECT_TRUE(outcome.finished) << (outcome.timedOut ? "killed at the time limit" : "ended by a signal")
                                      << " (signal " << outcome.signal << ")";
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.report.compare(0, 3, "ok "), 0) << outcome.report;
        EXPECT_GE(outcome.peakRiseKiB, 0);
        EXPECT_LT(outcome.peakRiseKiB, kMemoryBoundKiB + c.declaredFramesKiB);
        EXPECT_LT(outcome.peakVirtualRiseKiB, kMemoryBoundKiB + c.declaredFramesKiB);
    }
    ::unlink(path.c_str());
    std::printf("[hostile] %d heavy cases in child processes\n", count);
    EXPECT_GT(count, 0);
}

// What GStreamer and GLib would print on the terminal while a graph runs: a hostile file must be refused
// before the pipeline meets it, or handled so that nothing reaches the terminal.
struct FrameworkComplaints {
    FrameworkComplaints()
    {
        for (const char* domain : kDomains)
            handlers.push_back(g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                                                 &FrameworkComplaints::Record, this));
    }
    ~FrameworkComplaints()
    {
        for (std::size_t i = 0; i < handlers.size(); ++i)
            g_log_remove_handler(kDomains[i], handlers[i]);
    }
    FrameworkComplaints(const FrameworkComplaints&) = delete;
    FrameworkComplaints& operator=(const FrameworkComplaints&) = delete;
    static void Record(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer self)
    {
        if (!OwnWordsFor(message != nullptr ? message : "").empty())
            return;   // the player tells this one in words of its own
        auto* complaints = static_cast<FrameworkComplaints*>(self);
        const std::lock_guard<std::mutex> lock(complaints->mutex);
        complaints->texts += std::string(domain ? domain : "") + ": " + (message ? message : "") + "\n";
    }
    std::string Take()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(texts, std::string());
    }
    static constexpr const char* kDomains[] = {"GStreamer", "GStreamer-Base", "GLib-GObject", "GLib"};
    std::vector<guint> handlers;
    std::mutex mutex;
    std::string texts;
};

TEST(HostileFiles, PlaybackGraphBuildsOrFailsWithAMessageWithinBoundedMemoryAndTime)
{
    // The first graph loads GStreamer's plugins: that cost belongs to no case.
    const std::string path = CasePath("play.avi");
    ASSERT_TRUE(WriteHostileFile(path, TheSuite().cases.front().make()));
    const PlaybackVerdict warmUp = RunPlayback(path);
    ASSERT_EQ(warmUp.build, 0) << warmUp.message;
    FrameworkComplaints complaints;   // after the graph's own handler, so it hears every complaint first

    int count = 0;
    std::int64_t worstRise = 0;
    std::string worstRiseCase;
    double slowest = 0;
    std::string slowestCase;
    for (const HostileCase& c : TheSuite().cases) {
        if (!c.playback || c.heavy)
            continue;   // heavy cases go through the graph in their own child process
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteHostileFile(path, c.make()));
        PlaybackVerdict verdict;
        const std::int64_t rise = PeakRiseKiB([&] { verdict = RunPlayback(path); });
        ++count;
        std::string problems;
        for (const std::string& p : verdict.problems)
            problems += p + "; ";
        EXPECT_TRUE(verdict.problems.empty()) << problems;
        EXPECT_EQ(complaints.Take(), "");
        if (c.overclaims || !c.refusal.empty()) {
            EXPECT_NE(verdict.build, 0);
            EXPECT_EQ(verdict.message, "Could not connect from source filter");
            const std::string expected = c.overclaims ? " entries; its chunk holds " : c.refusal;
            EXPECT_NE(verdict.detail.find(expected), std::string::npos) << verdict.detail;
        }
        EXPECT_LT(rise, kMemoryBoundKiB);
        EXPECT_LT(verdict.seconds, kPlaybackSeconds);
        if (verdict.seconds > 2)
            std::printf("[hostile] slow playback case %s: %.2f s, build 0x%08lx pause 0x%08lx seek 0x%08lx \"%s\"\n",
                        c.name.c_str(), verdict.seconds, static_cast<unsigned long>(verdict.build),
                        static_cast<unsigned long>(verdict.pause), static_cast<unsigned long>(verdict.seek),
                        verdict.message.c_str());
        if (rise > worstRise) {
            worstRise = rise;
            worstRiseCase = c.name;
        }
        if (verdict.seconds > slowest) {
            slowest = verdict.seconds;
            slowestCase = c.name;
        }
    }
    ::unlink(path.c_str());
    std::printf("[hostile] %d playback cases (BuildGraph, Pause, SeekToFrame(last)); peak memory rise %lld KiB (%s); "
                "slowest %.2f s (%s)\n", count, static_cast<long long>(worstRise), worstRiseCase.c_str(), slowest,
                slowestCase.c_str());
    EXPECT_GT(count, 50);
}

}  // namespace
}  // namespace hardening
