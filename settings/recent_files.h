#pragma once
// The files opened last, most recent first, kept in the per-user store under a group of their own
// ("RecentFiles": File1 to File8), beside the options.

#include <QString>
#include <QStringList>

inline constexpr int kRecentFileCount = 8;

// path put first, an earlier entry for it dropped, the list cut to kRecentFileCount.
QStringList WithRecentFile(QStringList files, const QString& path);

// The stored list, empty entries skipped, at most kRecentFileCount.
QStringList LoadRecentFiles();
// Replaces the stored list with files (at most kRecentFileCount of them).
void SaveRecentFiles(const QStringList& files);
