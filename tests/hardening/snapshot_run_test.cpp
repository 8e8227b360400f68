// The hostile files through the real `zenk-vuvaz --snapshot`, the path that hands a file to the playback
// pipeline: each run ends within its time limit in a picture or a refusal with a message, never in a crash,
// an abort or a hang, and never changes the input. Beside them, the inputs no pipeline may see (a FIFO) and
// outputs that would replace the input.

#include "tests/hardening/hostile_cases.h"
#include "tests/support/run_process.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace hardening {
namespace {

constexpr const char* kTimeLimitSeconds = "60";   // `timeout` exits 124 when it had to stop a run
constexpr int kTimedOut = 124;
// What one run may cost, whatever the file claims: a snapshot of an intact clip takes about 75 MB resident
// (the toolkit, the media framework and its plugins); the sanitizers' shadow and quarantine take more. A
// file the pipeline stalls on costs the graph's two waits of 10 s (for the splitter's outputs, for the
// first picture) and no more.
constexpr long kMemoryCeilingKiB = (ZV_SANITIZED ? 1024 : 256) * 1024;
constexpr double kTimeCeilingSeconds = ZV_SANITIZED ? 50 : 30;

ProcessResult Snapshot(const std::string& input, const std::string& output, double* seconds = nullptr)
{
    const auto start = std::chrono::steady_clock::now();
    ProcessResult r = RunProcess({"timeout", kTimeLimitSeconds, std::string(ZV_BUILD_DIR) + "/zenk-vuvaz", "--snapshot",
                                  input, "--frame", "1", "--output", output});
    if (seconds != nullptr)
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

// A run ended by itself with 0 (and both images written) or 1 (and a message).
void ExpectCleanOutcome(const ProcessResult& r, const std::string& output)
{
    ASSERT_NE(r.status, kTimedOut) << "did not finish in " << kTimeLimitSeconds << " s";
    ASSERT_TRUE(r.status == 0 || r.status == 1) << "status " << r.status << ": " << r.err;
    for (const char* framework : {"CRITICAL **", "WARNING **"})
        EXPECT_EQ(r.err.find(framework), std::string::npos) << "the framework's own words reached the terminal: " << r.err;
    if (r.status == 1) {
        EXPECT_FALSE(r.err.empty()) << "refused without a message";
        return;
    }
    EXPECT_FALSE(QImage(QString::fromStdString(output)).isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(output.substr(0, output.size() - 4) + ".strip.png")).isNull());
}

struct Stamp {
    off_t size = -1;
    timespec modified{};
    ino_t inode = 0;
    bool operator==(const Stamp& o) const
    {
        return size == o.size && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec && inode == o.inode;
    }
};

Stamp StampOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return {info.st_size, info.st_mtim, info.st_ino};
}

TEST(SnapshotRuns, HostileFilesEndInAPictureOrAMessage)
{
    QTemporaryDir folder;
    const std::vector<HostileCase> cases = HostileCases(folder.path().toStdString());
    const std::string input = folder.filePath("hostile.avi").toStdString();
    const std::string output = folder.filePath("shot.png").toStdString();
    // Every case meant for the pipeline, and an even spread of the rest: the whole set would take the suite
    // past its few minutes on two cores.
    constexpr std::size_t kSpreadRuns = 100;
    std::size_t others = 0;
    for (const HostileCase& c : cases)
        others += !c.playback && !c.heavy ? 1 : 0;
    const std::size_t stride = others > kSpreadRuns ? others / kSpreadRuns : 1;
    int runs = 0;
    int pictures = 0;
    std::size_t other = 0;
    long largest = 0;
    double slowest = 0;
    for (const HostileCase& c : cases) {
        // (The heavy cases are sparse files claiming gigabytes: the ceilings are for them above all.)
        if (!c.playback && !c.heavy && other++ % stride != 0)
            continue;
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteHostileFile(input, c.make()));
        const Stamp before = StampOf(input);
        double seconds = 0;
        const ProcessResult r = Snapshot(input, output, &seconds);
        ExpectCleanOutcome(r, output);
        EXPECT_TRUE(StampOf(input) == before) << "the input changed";
        EXPECT_GT(r.maxResidentKiB, 0);
        EXPECT_LT(r.maxResidentKiB, kMemoryCeilingKiB);
        EXPECT_LT(seconds, kTimeCeilingSeconds);
        largest = std::max(largest, r.maxResidentKiB);
        slowest = std::max(slowest, seconds);
        ++runs;
        pictures += r.status == 0 ? 1 : 0;
    }
    ::unlink(input.c_str());
    std::printf("[snapshot] %d hostile files through --snapshot: %d pictures, %d refusals; largest resident set "
                "%ld KiB (ceiling %ld), slowest %.2f s (ceiling %.0f)\n", runs, pictures, runs - pictures, largest,
                kMemoryCeilingKiB, slowest, kTimeCeilingSeconds);
    EXPECT_GT(runs, 150);
}

TEST(SnapshotRuns, NoPipeOrSelfOutputIsEverOpenedForThePipeline)
{
    QTemporaryDir folder;
    const std::vector<HostileCase> cases = HostileCases(folder.path().toStdString());
    const std::string clip = folder.filePath("clip.avi").toStdString();
    ASSERT_TRUE(WriteHostileFile(clip, cases.front().make()));
    const std::string fifo = folder.filePath("pipe.avi").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string hard = folder.filePath("hard.png").toStdString();
    ASSERT_EQ(::link(clip.c_str(), hard.c_str()), 0);
    const Stamp before = StampOf(clip);
    const std::string self = "It is the file being read; choose another output name.";

    const struct {
        std::string input;
        std::string output;
        std::string words;
    } runs[] = {
        {fifo, folder.filePath("f.png").toStdString(),
         "Unable to open the requested file:\n\n" + fifo + "\n\nNot a regular file: a pipe, socket or device cannot be played"},
        {clip, clip, "Unable to write " + clip + "\n\n" + self},
        {clip, hard, "Unable to write " + hard + "\n\n" + self},
    };
    for (const auto& run : runs) {
        const ProcessResult r = Snapshot(run.input, run.output);
        ASSERT_NE(r.status, kTimedOut) << run.input << " did not finish";
        EXPECT_EQ(r.status, 1) << run.input << " -> " << run.output;
        EXPECT_NE(r.err.find(run.words), std::string::npos) << r.err;
    }
    EXPECT_TRUE(StampOf(clip) == before);
}

}  // namespace
}  // namespace hardening
