#include "settings/recent_files.h"

#include "settings/settings_store.h"

#include <QSettings>

namespace {

QString Key(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

QStringList WithRecentFile(QStringList files, const QString& path)
{
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFileCount) {
        files.removeLast();
    }
    return files;
}

QStringList LoadRecentFiles()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    store.beginGroup(QStringLiteral("RecentFiles"));
    QStringList files;
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString path = store.value(Key(i)).toString();
        if (!path.isEmpty() && !files.contains(path)) {
            files << path;
        }
    }
    return files;
}

void SaveRecentFiles(const QStringList& files)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    store.beginGroup(QStringLiteral("RecentFiles"));
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (i < files.size()) {
            store.setValue(Key(i), files[i]);
        } else {
            store.remove(Key(i));
        }
    }
    store.sync();
}
