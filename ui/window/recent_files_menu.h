#pragma once
// CRecentFilesMenu: File > Recent Files, the stored list of the files opened last with one item each, most
// recent first; greyed while the list is empty. Choosing an item hands its path to the window.

#include <QString>
#include <QStringList>

#include <functional>

class QMenu;

class CRecentFilesMenu {
public:
    using Choose = std::function<void(const QString&)>;

    // Fills menu (not owned) from the stored list; choose receives the path of every chosen item.
    void Attach(QMenu* menu, Choose choose);
    // A file has opened: it goes first, in the menu and in the store.
    void Add(const QString& path);
    // A file that is gone leaves the menu and the store.
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

private:
    void Keep(const QStringList& files);

    QMenu* m_pMenu = nullptr;
    QStringList m_files;
    Choose m_choose;
};
