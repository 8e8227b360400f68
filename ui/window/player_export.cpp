// CPlayerDlg exports: File > Export > Split into Scenes and Recording Date Subtitles. The planning, the
// refusals and the writing are the command line's own (export/); the window adds the dialogs, the question
// before a file is replaced, the progress popup with Cancel, and playback paused while the export reads.

#include "ui/window/player_dlg.h"

#include "export/output_check.h"
#include "export/recording_subtitles.h"
#include "export/scene_split.h"
#include "ui/window/export_dialogs.h"
#include "ui/window/export_progress.h"
#include "ui/window/message_box.h"

#include <QFile>
#include <QFileInfo>

#include <string>
#include <vector>

namespace {

// "The file X already exists." (or how many do, naming the first), then whether to replace.
std::string ReplaceQuestion(const std::vector<std::string>& existing)
{
    if (existing.size() == 1) {
        return "The file " + existing.front() + " already exists.\n\nReplace it?";
    }
    return std::to_string(existing.size()) + " of the files already exist, the first of them " + existing.front()
         + ".\n\nReplace them?";
}

std::string Written(std::size_t files, const char* what, const std::string& where)
{
    return std::to_string(files) + " " + what + (files == 1 ? " was" : "s were") + " written to " + where + ".";
}

}  // namespace

void CPlayerDlg::OnExportScenes()
{
    RunPaused([this] { ExportScenes(); });
}

void CPlayerDlg::OnExportSubtitles()
{
    RunPaused([this] { ExportSubtitles(); });
}

// Playback pauses while the export's dialogs and popup are up and resumes only when it was playing; a
// window closed meanwhile has no graph to resume.
void CPlayerDlg::RunPaused(const std::function<void()>& exportCommand)
{
    if (!UsableGraph()) {
        return;
    }
    const bool resume = PauseForSeek();
    exportCommand();
    if (resume && UsableGraph()) {
        OnPlay();
    }
}

void CPlayerDlg::ExportScenes()
{
    const std::string input = m_names.Path();
    const std::string folder = ChooseSceneFolder(this, QFileInfo(QFile::decodeName(m_names.Path())).absolutePath());
    if (folder.empty() || !EnsureScenesScanned()) {
        return;
    }
    zv::CSceneSplit split;
    std::string error;
    const bool planned = split.Plan(m_scenes.Reader(), input, folder, zv::DefaultSplitFormat(m_scenes.Reader()), error)
                      && split.CheckOutputs(input, true, error);
    if (!planned) {
        ShowErrorBox(this, error.c_str(), "Error!");
        return;
    }
    const std::vector<std::string> existing = split.ExistingOutputs();
    if (!existing.empty() && !AskQuestion(this, ReplaceQuestion(existing).c_str(), "Split into Scenes")) {
        return;
    }
    const zv::ExportOutcome outcome = RunExport("Splitting into scenes ...", [&](zv::IExportProgress* progress) {
        return split.MakeOutputDir(error) ? split.WriteAll(progress, {}, error) : zv::ExportOutcome::Failed;
    });
    ReportExport(outcome, error, Written(split.Files().size(), "scene file", folder), "Split into Scenes");
}

void CPlayerDlg::ExportSubtitles()
{
    const std::string input = m_names.Path();
    const QFileInfo file(QFile::decodeName(m_names.Path()));
    const SubtitleTarget target = ChooseSubtitleFile(this, file.absolutePath() + QLatin1Char('/') + file.completeBaseName());
    if (target.path.empty() || !m_scenes.Index(m_names.Path())) {
        return;
    }
    std::string error;
    if (!zv::CheckOutputFile(input, target.path, true, "output name", error)) {
        ShowErrorBox(this, error.c_str(), "Error!");
        return;
    }
    const char* title = "Recording Date Subtitles";
    if (zv::OutputFileExists(target.path) && !AskQuestion(this, ReplaceQuestion({target.path}).c_str(), title)) {
        return;
    }
    std::size_t cues = 0;
    const zv::ExportOutcome outcome = RunExport("Writing the recording dates ...", [&](zv::IExportProgress* progress) {
        return zv::WriteRecordingSubtitles(m_scenes.Reader(), m_settings.DateFormat, target.format, target.path,
                                           progress, cues, error);
    });
    ReportExport(outcome, error, Written(1, "subtitle file", target.path) + " It holds " + std::to_string(cues)
                                     + (cues == 1 ? " cue." : " cues."), title);
}

// The window refuses every command but closing itself while the popup is up (see OnCommand); closing
// cancels the export, which then removes what it wrote.
zv::ExportOutcome CPlayerDlg::RunExport(const char* message,
                                        const std::function<zv::ExportOutcome(zv::IExportProgress*)>& work)
{
    m_pExportProgress = std::make_unique<CProgressPopup>(this, QStringLiteral("Processing"), false);
    m_pExportProgress->BeginModal();
    m_pExportProgress->SetRange(0, 100, 1);
    m_pExportProgress->SetMessageText("%s", message);
    CPopupExportProgress progress(*m_pExportProgress);
    const zv::ExportOutcome outcome = work(&progress);
    // The export has returned, so the popup's pump is no longer on the stack.
    m_pExportProgress.reset();
    return outcome;
}

// A cancel says nothing: the person asked for it, and nothing of the export is left.
void CPlayerDlg::ReportExport(zv::ExportOutcome outcome, const std::string& error, const std::string& done,
                              const char* title)
{
    if (outcome == zv::ExportOutcome::Failed) {
        ShowErrorBox(this, error.c_str(), "Error!");
    } else if (outcome == zv::ExportOutcome::Written) {
        ShowInformationBox(this, done.c_str(), title);
    }
}
