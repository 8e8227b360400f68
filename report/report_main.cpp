#include "report/report_main.h"

#include <cstdio>
#include <memory>

#include <QGuiApplication>

#include "app/version.h"
#include "report/report_commands.h"
#include "report/report_options.h"
#include "report/snapshot_command.h"
#include "settings/player_settings.h"

namespace {

// The date order of a run: the switch when given, else the stored setting repaired as the player repairs it.
std::int32_t DateOrderFor(const ReportOptions& options)
{
    if (options.dateFormat)
        return *options.dateFormat;
    return LoadSettings(kRendererBuiltInAvailable | kRendererOverlayAvailable).DateFormat;
}

// The report's stderr carries only its own messages: Qt's notes about the desktop session it does not use
// (no runtime folder, no display) would read as failures to a script.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Painting text needs a GUI application; the report never shows a window, so it always runs offscreen.
std::unique_ptr<QGuiApplication> MakeOffscreenApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtNotes);
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int RunReport(int argc, char** argv)
{
    std::string error;
    const std::optional<ReportOptions> parsed = ParseReportOptions(argc, argv, error);
    if (!parsed) {
        std::fprintf(stderr, "zenk-vuvaz: %s\n\n%s", error.c_str(), ReportUsageText());
        return kUsageExitCode;
    }
    const ReportOptions& options = *parsed;
    switch (options.command) {
    case ReportCommand::Help:
        std::fputs(ReportUsageText(), stdout);
        return 0;
    case ReportCommand::Version:
        std::printf("Zenk Vuvaz %s\n", zv::kVersion);
        return 0;
    case ReportCommand::Check:
        return RunCheckCommand(options, stdout, stderr);
    case ReportCommand::Metadata:
        return RunMetadataCommand(options, DateOrderFor(options), stdout, stderr);
    case ReportCommand::Scenes:
        return RunScenesCommand(options, DateOrderFor(options), stdout, stderr);
    case ReportCommand::Split:
        return RunSplitCommand(options, stdout, stderr);
    case ReportCommand::Subtitles:
        return RunSubtitlesCommand(options, DateOrderFor(options), stderr);
    case ReportCommand::Strip: {
        const std::int32_t dateOrder = DateOrderFor(options);
        const auto app = MakeOffscreenApplication(argc, argv);
        return RunStripCommand(options, dateOrder, stderr);
    }
    case ReportCommand::Snapshot: {
        const auto app = MakeOffscreenApplication(argc, argv);
        return RunSnapshotCommand(options.path.c_str(), *options.frame, options.output.c_str(), options.half);
    }
    case ReportCommand::None:
        break;
    }
    return kUsageExitCode;
}
