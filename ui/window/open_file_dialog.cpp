#include "ui/window/open_file_dialog.h"

#include "ui/window/window_placement.h"

#include <QFile>
#include <QFileDialog>
#include <QTimer>

QByteArray ChooseMediaFile(QWidget* owner)
{
    QFileDialog dialog(owner, QStringLiteral("Select file to play..."));
    // A Qt-drawn dialog, so that it can be centred on the screen like every window of the player.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("All (*.*)"), QStringLiteral("AVI (*.AVI)")});
    dialog.selectNameFilter(QStringLiteral("AVI (*.AVI)"));
    // "*.AVI" must match clip.avi as well: name filters compare without regard to case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // Centred once it has its size, as the dialog's initialisation would do it.
    QTimer::singleShot(0, &dialog, [&dialog] { CenterWindowOnScreen(&dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst());
}
