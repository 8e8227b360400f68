#include "ui/window/open_file_dialog.h"

#include "ui/window/window_placement.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

QByteArray ChooseMediaFile(QWidget* owner)
{
    QFileDialog dialog(owner, QStringLiteral("Select file to play..."));
    // A Qt-drawn dialog, so that it can be centred on the screen like every window of the player.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString all = QStringLiteral("All (*.*)");
    const QString dv = QStringLiteral("DV video (*.avi *.dv *.dif *.mov)");
    dialog.setNameFilters({all, dv});
    // "*.*" would hide a file without an extension, as raw DV captures often are: "All" lists every file.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, all](const QString& chosen) {
        if (chosen == all) {
            if (auto* model = dialog.findChild<QFileSystemModel*>()) {
                model->setNameFilters({QStringLiteral("*")});
            }
        }
    });
    dialog.selectNameFilter(dv);
    // "*.avi" must match CLIP.AVI as well: name filters compare without regard to case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // Centred once it has its size, as the dialog's initialisation would do it.
    QTimer::singleShot(0, &dialog, [&dialog] { CenterWindowOnScreen(&dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst());
}
