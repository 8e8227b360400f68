// Opening many files in a row, good and bad alternately, in one process as a long session would: every graph
// is taken apart completely, so descriptors, threads and memory return to where they were.

#include "playback/playback_graph.h"
#include "tests/fixtures/camcorder_clip.h"
#include "tests/hardening/hostile_cases.h"
#include "tests/hardening/resource_probe.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

namespace hardening {
namespace {

constexpr int kFiles = 200;
constexpr int kWarmUp = 20;
constexpr std::int64_t kMemoryGrowthKiB = 16 * 1024;

// Threads of a finished pipeline may take a moment to exit after the teardown returns.
int SettledThreadCount(int expected)
{
    int threads = ThreadCount();
    for (int i = 0; i < 50 && threads > expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        threads = ThreadCount();
    }
    return threads;
}

TEST(Abuse, TwoHundredFilesInARowLeakNoDescriptorsThreadsOrMemory)
{
    QTemporaryDir folder;
    const std::string dir = folder.path().toStdString();
    const BaseFile good = MakeBaseFile(dir, "good", fixture::DvSystem::Pal625, fixture::AviLayout::Type2WithAudio,
                                       fixture::AviIndex::Idx1Absolute);
    const BaseFile type1 = MakeBaseFile(dir, "good1", fixture::DvSystem::Ntsc525, fixture::AviLayout::Type1,
                                        fixture::AviIndex::OpenDml);
    // Bad files fail at different steps: the splitter refuses the header, or the index is gone.
    Bytes cutHeader(good.bytes.begin(), good.bytes.begin() + 1000);
    Bytes noIndex(good.bytes.begin(), good.bytes.begin() + good.layout.idx1);
    Bytes notDv = good.bytes;
    std::copy_n("xxxx", 4, notDv.begin() + 112);
    std::copy_n("xxxx", 4, notDv.begin() + 188);
    const std::pair<std::string, bool> files[] = {{dir + "/good.avi", true},   {dir + "/cut.avi", false},
                                                  {dir + "/good1.avi", true},  {dir + "/noindex.avi", false},
                                                  {dir + "/good.avi", true},   {dir + "/notdv.avi", false}};
    ASSERT_TRUE(WriteHostileFile(dir + "/cut.avi", {cutHeader, 0, {}}));
    ASSERT_TRUE(WriteHostileFile(dir + "/noindex.avi", {noIndex, 0, {}}));
    ASSERT_TRUE(WriteHostileFile(dir + "/notdv.avi", {notDv, 0, {}}));

    int built = 0;
    int refused = 0;
    int goodOpens = 0;
    int descriptorsAfterWarmUp = 0;
    int threadsAfterWarmUp = 0;
    std::int64_t memoryAfterWarmUp = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kFiles; ++n) {
        const auto& [path, isGood] = files[n % std::size(files)];
        goodOpens += isGood;
        {
            CPlaybackGraph graph;
            graph.SetAudioSinkFactory("fakesink");
            if (SUCCEEDED(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100))) {
                ++built;
                EXPECT_EQ(graph.Pause(), S_OK) << path << ": " << graph.m_szError;
            } else {
                ++refused;
                EXPECT_FALSE(isGood) << path << ": " << graph.m_szError;
                EXPECT_NE(graph.m_szError[0], '\0') << path;
            }
        }
        QCoreApplication::processEvents();   // graph events posted before the teardown
        if (n + 1 == kWarmUp) {
            descriptorsAfterWarmUp = OpenDescriptorCount();
            threadsAfterWarmUp = SettledThreadCount(0);
            memoryAfterWarmUp = MemoryInUseKiB();
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int descriptors = OpenDescriptorCount();
    const int threads = SettledThreadCount(threadsAfterWarmUp);
    const std::int64_t memory = MemoryInUseKiB();
    std::printf("[abuse] %d files (%d built, %d refused) in %.1f s; descriptors %d -> %d, threads %d -> %d, "
                "memory in use %lld -> %lld KiB\n", kFiles, built, refused, seconds, descriptorsAfterWarmUp, descriptors,
                threadsAfterWarmUp, threads, static_cast<long long>(memoryAfterWarmUp), static_cast<long long>(memory));
    EXPECT_GE(built, goodOpens);
    EXPECT_EQ(descriptors, descriptorsAfterWarmUp);
    EXPECT_LE(threads, threadsAfterWarmUp);
    EXPECT_LT(memory - memoryAfterWarmUp, kMemoryGrowthKiB);
}

}  // namespace
}  // namespace hardening
