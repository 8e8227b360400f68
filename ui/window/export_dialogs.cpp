#include "ui/window/export_dialogs.h"

#include "ui/window/window_placement.h"

#include <QFile>
#include <QFileDialog>
#include <QTimer>

namespace {

const QString kSubRipFilter = QStringLiteral("SubRip (*.srt)");
const QString kWebVttFilter = QStringLiteral("WebVTT (*.vtt)");

// A Qt-drawn dialog, centred on the screen once it has its size, like every window of the player.
void PrepareDialog(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    QTimer::singleShot(0, &dialog, [&dialog] { CenterWindowOnScreen(&dialog); });
}

SubtitleTarget TargetFor(QString path, const QString& filter)
{
    const auto endsWith = [&path](const char* extension) {
        return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
    };
    SubtitleTarget target;
    if (endsWith(".vtt")) {
        target.format = zv::SubtitleFormat::WebVtt;
    } else if (!endsWith(".srt")) {
        const bool webVtt = filter == kWebVttFilter;
        target.format = webVtt ? zv::SubtitleFormat::WebVtt : zv::SubtitleFormat::SubRip;
        path += webVtt ? QStringLiteral(".vtt") : QStringLiteral(".srt");
    }
    target.path = QFile::encodeName(path).toStdString();
    return target;
}

}  // namespace

std::string ChooseSceneFolder(QWidget* owner, const QString& startFolder)
{
    QFileDialog dialog(owner, QStringLiteral("Split into Scenes"), startFolder);
    PrepareDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

SubtitleTarget ChooseSubtitleFile(QWidget* owner, const QString& suggested)
{
    QFileDialog dialog(owner, QStringLiteral("Recording Date Subtitles"));
    PrepareDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The window asks about a file in the way itself, once the extension is known.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters({kSubRipFilter, kWebVttFilter});
    dialog.selectNameFilter(kSubRipFilter);
    dialog.selectFile(suggested + QStringLiteral(".srt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return TargetFor(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
}
