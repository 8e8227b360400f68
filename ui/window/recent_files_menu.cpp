#include "ui/window/recent_files_menu.h"

#include "settings/recent_files.h"

#include <QAction>
#include <QMenu>

void CRecentFilesMenu::Attach(QMenu* menu, Choose choose)
{
    m_pMenu = menu;
    m_choose = std::move(choose);
    Keep(LoadRecentFiles());
}

void CRecentFilesMenu::Add(const QString& path)
{
    Keep(WithRecentFile(m_files, path));
    SaveRecentFiles(m_files);
}

void CRecentFilesMenu::Remove(const QString& path)
{
    QStringList files = m_files;
    files.removeAll(path);
    Keep(files);
    SaveRecentFiles(m_files);
}

void CRecentFilesMenu::Keep(const QStringList& files)
{
    m_files = files;
    if (m_pMenu == nullptr) {
        return;
    }
    // The items go later, not now: this may run inside the triggered signal of one of them.
    for (QAction* item : m_pMenu->actions()) {
        m_pMenu->removeAction(item);
        item->deleteLater();
    }
    for (int i = 0; i < m_files.size(); ++i) {
        // An ampersand in a path is text, not a mnemonic.
        QString escaped = m_files[i];
        escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_pMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(escaped));
        // The path is copied: choosing it changes the list this item belongs to.
        QObject::connect(item, &QAction::triggered, m_pMenu, [this, path = m_files[i]] {
            if (m_choose) {
                m_choose(path);
            }
        });
    }
    m_pMenu->setEnabled(!m_files.isEmpty());
}
