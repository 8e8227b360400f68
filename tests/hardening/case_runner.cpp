#include "tests/hardening/case_runner.h"

#include "avi/dv_avi_check.h"
#include "avi/dv_avi_reader.h"
#include "playback/playback_graph.h"
#include "report/report_commands.h"
#include "report/report_options.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>

namespace hardening {

namespace {

// A temporary stream the commands write into; emptied before each use.
class CapturedStream {
public:
    CapturedStream() : m_file(std::tmpfile()) {}
    ~CapturedStream()
    {
        if (m_file != nullptr)
            std::fclose(m_file);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* Begin()
    {
        std::fflush(m_file);
        std::rewind(m_file);
        if (::ftruncate(::fileno(m_file), 0) != 0)
            return nullptr;
        return m_file;
    }
    std::string Text()
    {
        std::fflush(m_file);
        std::string text;
        std::rewind(m_file);
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            text.append(buffer, n);
        return text;
    }

private:
    std::FILE* m_file;
};

CapturedStream& Out()
{
    static CapturedStream stream;
    return stream;
}

CapturedStream& Err()
{
    static CapturedStream stream;
    return stream;
}

std::int64_t LineCount(const std::string& text)
{
    std::int64_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

// Every complaint a command writes starts with one of the player's own sentences.
bool IsKnownComplaint(const std::string& text)
{
    static const char* const kStarts[] = {"File is not a recognised DV AVI format", "Unable to open the requested file",
                                          "Unable to read the requested file", "Unable to index the AVI file",
                                          "Unable to read frame ", "Unable to scan the AVI file for scene changes"};
    for (const char* start : kStarts) {
        if (text.compare(0, std::strlen(start), start) == 0)
            return true;
    }
    return false;
}

// What a command may tell on its error stream and still succeed: the frames a cut movie's tables list
// beyond the end of the file, or the partial frame a cut raw stream ends with.
bool IsNote(const std::string& text)
{
    return text.empty() || text.compare(0, 30, "The movie's sample tables list") == 0
        || (text.starts_with("The file ends with ") && text.find(" bytes of a partial frame after frame ") != std::string::npos
            && text.ends_with("; they are ignored.\n") && LineCount(text) == 1);
}

void CheckCommand(const char* name, int exit, CapturedStream& out, CapturedStream& err, std::int64_t minLines,
                  std::int64_t exactLines, FileLevelVerdict& verdict, std::string* errorText)
{
    const std::string output = out.Text();
    const std::string complaint = err.Text();
    if (errorText != nullptr)
        *errorText = complaint;
    const std::string prefix = std::string(name) + ": ";
    if (exit != 0 && exit != 1) {
        verdict.problems.push_back(prefix + "exit status " + std::to_string(exit));
    } else if (exit == 1 && !IsKnownComplaint(complaint)) {
        verdict.problems.push_back(prefix + "failed with an unclear message \"" + complaint.substr(0, 200) + "\"");
    } else if (exit == 0) {
        const std::int64_t lines = LineCount(output);
        if (lines < minLines || (exactLines >= 0 && lines != exactLines))
            verdict.problems.push_back(prefix + "succeeded with " + std::to_string(lines) + " lines");
        if (!IsNote(complaint))
            verdict.problems.push_back(prefix + "succeeded but complained \"" + complaint.substr(0, 200) + "\"");
        if (verdict.check != Recognised)
            verdict.problems.push_back(prefix + "succeeded on a file the check refuses");
    }
}

}  // namespace

FileLevelVerdict RunFileLevel(const std::string& path)
{
    FileLevelVerdict verdict;
    verdict.check = CheckDvAviFile(path.c_str());
    if (verdict.check != Recognised && verdict.check != TooShort && verdict.check != NotDvAvi)
        verdict.problems.push_back(std::string("check: ") + DvAviCheckResultName(static_cast<DvAviCheckResult>(verdict.check)));

    CDvAviReader reader;
    verdict.opened = reader.Open(path.c_str());
    if (verdict.opened) {
        verdict.indexed = reader.BuildIndex();
        verdict.frames = static_cast<std::int64_t>(reader.FrameOffsets().size());
        if (verdict.indexed && verdict.frames == 0)
            verdict.problems.push_back("reader: an index without frames");
        if (verdict.indexed) {
            verdict.scanned = reader.ScanScenes(nullptr);
            if (verdict.scanned != reader.Scanned())
                verdict.problems.push_back("reader: Scanned() disagrees with the scan's result");
            std::int64_t previous = 0;
            for (const std::int32_t start : reader.SceneStarts()) {
                if (start <= previous || start >= verdict.frames)
                    verdict.problems.push_back("reader: scene start " + std::to_string(start) + " out of order or range");
                previous = start;
            }
            const std::int64_t next = reader.NextSceneStart(0);
            const std::int64_t before = reader.PreviousSceneStart(verdict.frames - 1);
            if (next < 0 || next >= verdict.frames || before < 0 || before > verdict.frames - 1)
                verdict.problems.push_back("reader: scene lookup outside the file");
        }
        reader.Close();
        if (reader.IsOpen() || !reader.FrameOffsets().empty())
            verdict.problems.push_back("reader: Close left state behind");
    }

    ReportOptions options;
    options.path = path;
    options.command = ReportCommand::Metadata;
    verdict.metadataExit = RunMetadataCommand(options, 1, Out().Begin(), Err().Begin());
    CheckCommand("metadata", verdict.metadataExit, Out(), Err(), 2, verdict.indexed ? verdict.frames + 1 : -1, verdict,
                 &verdict.metadataError);
    if (verdict.metadataExit == 0 && !verdict.indexed)
        verdict.problems.push_back("metadata: succeeded where the reader's index failed");

    options.command = ReportCommand::Scenes;
    verdict.scenesExit = RunScenesCommand(options, 1, Out().Begin(), Err().Begin());
    CheckCommand("scenes", verdict.scenesExit, Out(), Err(), 2, -1, verdict, nullptr);
    if (verdict.scenesExit == 0 && !verdict.scanned)
        verdict.problems.push_back("scenes: succeeded where the reader's scan failed");
    return verdict;
}

PlaybackVerdict RunPlayback(const std::string& path)
{
    PlaybackVerdict verdict;
    const auto start = std::chrono::steady_clock::now();
    {
        auto graph = std::make_unique<CPlaybackGraph>();
        graph->SetAudioSinkFactory("fakesink");
        verdict.build = graph->BuildGraph(path.c_str(), 2, 2, 1, 700, 100);
        auto failed = [&](const char* step, HRESULT hr) {
            verdict.message = graph->m_szError;
            verdict.detail = graph->ErrorDetail();
            if (verdict.message.empty())
                verdict.problems.push_back(std::string(step) + " failed (0x" + std::to_string(hr) + ") without a message");
        };
        if (FAILED(verdict.build)) {
            failed("BuildGraph", verdict.build);
        } else {
            verdict.pause = graph->Pause();
            if (FAILED(verdict.pause)) {
                failed("Pause", verdict.pause);
            } else {
                std::int64_t count = -1;
                if (SUCCEEDED(graph->GetFrameCount(&count)) && count > 0) {
                    verdict.frames = count;
                    verdict.seek = graph->SeekToFrame(count - 1);
                    if (FAILED(verdict.seek))
                        failed("SeekToFrame", verdict.seek);
                }
            }
        }
    }   // teardown
    verdict.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return verdict;
}

std::string Describe(const FileLevelVerdict& v)
{
    std::string text = std::string("check=") + DvAviCheckResultName(static_cast<DvAviCheckResult>(v.check))
        + " open=" + std::to_string(v.opened) + " index=" + std::to_string(v.indexed) + " frames="
        + std::to_string(v.frames) + " scan=" + std::to_string(v.scanned) + " metadata=" + std::to_string(v.metadataExit)
        + " scenes=" + std::to_string(v.scenesExit);
    for (const std::string& p : v.problems)
        text += "\n  " + p;
    return text;
}

}  // namespace hardening
