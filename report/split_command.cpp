// --split: one file per scene of the file, every frame copied byte for byte, named by the scene's number and
// recording date. Every refusal comes before the first byte is written.

#include <unistd.h>

#include <cerrno>
#include <string>

#include "avi/last_error.h"
#include "export/scene_split.h"
#include "report/report_commands.h"
#include "report/report_file.h"

namespace {

// A percentage line on stderr, rewritten in place, only when stderr is a terminal: a script reading the
// table or the errors sees nothing else.
class TerminalProgress final : public zv::IExportProgress {
public:
    explicit TerminalProgress(std::FILE* err) : m_err(isatty(fileno(err)) ? err : nullptr) {}
    ~TerminalProgress() override
    {
        if (m_err != nullptr && m_percent >= 0)
            std::fputc('\n', m_err);
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool Advance(std::uint64_t done, std::uint64_t total) override
    {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (m_err != nullptr && percent != m_percent) {
            m_percent = percent;
            std::fprintf(m_err, "\rSplitting into scenes: %3d%%", percent);
            std::fflush(m_err);
        }
        return true;
    }

private:
    std::FILE* m_err;
    int m_percent = -1;
};

bool ScanForScenes(ReportFile& file, std::FILE* err)
{
    errno = 0;
    if (file.Reader().ScanScenes(nullptr))
        return true;
    const std::string detail = errno != 0 ? GetLastErrorText() : std::string("The file ends inside a frame.");
    std::fprintf(err, "Unable to scan the AVI file for scene changes\n\n%s\n", detail.c_str());
    return false;
}

}  // namespace

int RunSplitCommand(const ReportOptions& options, std::FILE* out, std::FILE* err)
{
    ReportFile file;
    if (!file.Open(options.path.c_str(), err) || !ScanForScenes(file, err))
        return 1;

    zv::CSceneSplit split;
    std::string error;
    const bool rawInput = file.Reader().Container() == DvContainer::RawDv;
    const SplitOutputFormat wanted = options.splitFormat.value_or(rawInput ? SplitOutputFormat::Dv : SplitOutputFormat::Avi);
    const auto format = wanted == SplitOutputFormat::Dv ? zv::SplitFormat::Dv : zv::SplitFormat::Avi;
    if (!split.Plan(file.Reader(), options.path, options.outputDir, format, error)
        || !split.CheckOutputs(options.path, options.force, error) || !split.MakeOutputDir(error)) {
        std::fprintf(err, "%s\n", error.c_str());
        return 1;
    }

    std::fputs("scene\tfirst_frame\tframes\tfile\n", out);
    TerminalProgress progress(err);
    for (std::size_t k = 0; k < split.Files().size(); ++k) {
        if (split.Write(k, &progress, error) != zv::CSceneSplit::Outcome::Written) {
            std::fflush(out);
            std::fprintf(err, "\n%s\n", error.c_str());
            return 1;
        }
        const zv::SceneFile& scene = split.Files()[k];
        std::fprintf(out, "%d\t%lld\t%lld\t%s\n", scene.scene, static_cast<long long>(scene.firstFrame),
                     static_cast<long long>(scene.frames), scene.path.c_str());
    }
    return 0;
}
