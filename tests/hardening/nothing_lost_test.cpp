// Playing, seeking, scanning and reporting never change the file: its bytes and modification time stay as
// they were, and the report opens nothing for writing but its own output file.

#include "avi/dv_avi_reader.h"
#include "playback/playback_graph.h"
#include "report/report_commands.h"
#include "report/report_options.h"
#include "tests/fixtures/camcorder_clip.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct FileState {
    std::uint64_t hash = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const FileState&) const = default;
};

FileState StateOf(const std::string& path)
{
    FileState state;
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 1469598103934665603ull;   // FNV-1a
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        state.size += static_cast<std::uint64_t>(in.gcount());
    }
    state.hash = hash;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        state.modifiedSeconds = info.st_mtim.tv_sec;
        state.modifiedNanoseconds = info.st_mtim.tv_nsec;
    }
    return state;
}

// A clip of two scenes, dated in the past so any write would move the modification time visibly.
std::string WriteClip(const QTemporaryDir& folder, const char* name, fixture::AviLayout layout, fixture::AviIndex index)
{
    fixture::ClipOptions clip;
    clip.layout = layout;
    clip.index = index;
    clip.scenes = {{{2003, 5, 6, 7, 8, 9}, 15}, {{2003, 5, 7, 10, 0, 0}, 10}};
    const std::string path = folder.filePath(name).toStdString();
    std::string error;
    if (!fixture::WriteCamcorderClip(path, clip, &error))
        return {};
    const timespec times[2] = {{1000000000, 0}, {1000000000, 123456789}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    return path;
}

TEST(NothingLost, PlayingSeekingScanningAndReportingLeaveTheFileUnchanged)
{
    QTemporaryDir folder;
    const std::pair<fixture::AviLayout, fixture::AviIndex> kinds[] = {
        {fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute},
        {fixture::AviLayout::Type1, fixture::AviIndex::OpenDml}};
    int index = 0;
    for (const auto& [layout, kind] : kinds) {
        const std::string path = WriteClip(folder, index++ == 0 ? "a.avi" : "b.avi", layout, kind);
        ASSERT_FALSE(path.empty());
        SCOPED_TRACE(path);
        const FileState before = StateOf(path);

        {
            CPlaybackGraph graph;
            graph.SetAudioSinkFactory("fakesink");
            ASSERT_EQ(graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100), S_OK) << graph.m_szError;
            ASSERT_EQ(graph.Pause(), S_OK) << graph.m_szError;
            ASSERT_EQ(graph.Run(), S_OK) << graph.m_szError;
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < 300)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            EXPECT_EQ(graph.Pause(), S_OK) << graph.m_szError;
            EXPECT_EQ(graph.SeekToFrame(20), S_OK) << graph.m_szError;
            EXPECT_EQ(graph.StepFrame(true), S_OK) << graph.m_szError;
            EXPECT_EQ(graph.SeekToFrame(0), S_OK) << graph.m_szError;
            EXPECT_EQ(graph.Stop(), S_OK) << graph.m_szError;
        }
        {
            CDvAviReader reader;
            ASSERT_TRUE(reader.Open(path.c_str()));
            ASSERT_TRUE(reader.BuildIndex());
            ASSERT_TRUE(reader.ScanScenes(nullptr));
            EXPECT_EQ(reader.SceneStarts(), std::vector<std::int32_t>{15});
            reader.Close();
        }
        {
            std::FILE* sink = std::tmpfile();
            ASSERT_NE(sink, nullptr);
            ReportOptions options;
            options.path = path;
            options.command = ReportCommand::Check;
            EXPECT_EQ(RunCheckCommand(options, sink, sink), 0);
            options.command = ReportCommand::Metadata;
            EXPECT_EQ(RunMetadataCommand(options, 1, sink, sink), 0);
            options.command = ReportCommand::Scenes;
            EXPECT_EQ(RunScenesCommand(options, 1, sink, sink), 0);
            std::fclose(sink);
        }
        EXPECT_EQ(StateOf(path), before) << "the file's bytes or modification time changed";
    }
}

// The write-opens of one run of the report binary under strace: "flags path" for every openat that could
// write or create.
std::vector<std::string> WritingOpens(const std::string& traceFile)
{
    std::ifstream in(traceFile);
    std::vector<std::string> found;
    std::string line;
    const std::regex open(R"re(openat\(([^,]+), "([^"]*)", ([A-Z_|]+))re");
    std::smatch m;
    while (std::getline(in, line)) {
        if (!std::regex_search(line, m, open))
            continue;
        const std::string flags = m[3];
        if (flags.find("O_WRONLY") != std::string::npos || flags.find("O_RDWR") != std::string::npos
            || flags.find("O_CREAT") != std::string::npos)
            found.push_back(flags + " " + std::string(m[2]));
    }
    return found;
}

// How many times the trace shows path opened at all: a trace that never saw the file proves nothing.
int OpensOf(const std::string& traceFile, const std::string& path)
{
    std::ifstream in(traceFile);
    std::string line;
    int count = 0;
    while (std::getline(in, line))
        count += line.find("openat(") != std::string::npos && line.find("\"" + path + "\"") != std::string::npos;
    return count;
}

TEST(NothingLost, TheReportOpensNothingForWritingButItsOutput)
{
    if (std::system("strace -V > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed: the open flags cannot be watched";
    QTemporaryDir folder;
    const std::string path = WriteClip(folder, "c.avi", fixture::AviLayout::Type2WithAudio, fixture::AviIndex::Idx1Absolute);
    ASSERT_FALSE(path.empty());
    const FileState before = StateOf(path);
    const std::string binary = std::string(ZV_BUILD_DIR) + "/zenk-vuvaz";
    const std::string strip = folder.filePath("strip.png").toStdString();
    const std::string trace = folder.filePath("trace.txt").toStdString();
    // A private home: the stored settings and caches of the test run, never the user's. (The leak checker of a
    // sanitizer build cannot run under strace, so it is switched off for the traced run.)
    const std::string home = folder.filePath("home").toStdString();
    const std::string commands[] = {"--check \"" + path + "\"", "--metadata \"" + path + "\"", "--scenes \"" + path + "\"",
                                    "--strip \"" + path + "\" --frame 3 --output \"" + strip + "\""};
    for (const std::string& arguments : commands) {
        SCOPED_TRACE(arguments);
        const std::string command = "HOME=\"" + home + "\" XDG_CONFIG_HOME=\"" + home + "/config\" XDG_CACHE_HOME=\""
            + home + "/cache\" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e trace=openat -o \"" + trace + "\" \"" + binary
            + "\" " + arguments + " > /dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_GT(OpensOf(trace, path), 0) << "the trace does not show the file being opened";
        for (const std::string& open : WritingOpens(trace)) {
            // The output, or the temporary beside it that takes its name when complete.
            const bool output = open.find(" " + strip) != std::string::npos;
            const bool device = open.find(" /dev/") != std::string::npos;
            // Caches and settings of the private home are the toolkit's own business.
            const bool privateHome = open.find(" " + home) != std::string::npos;
            EXPECT_TRUE(output || device || privateHome) << "opened for writing: " << open;
            EXPECT_EQ(open.find(path), std::string::npos) << "the DV file was opened for writing: " << open;
        }
    }
    EXPECT_EQ(StateOf(path), before);
}

}  // namespace
