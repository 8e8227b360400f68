#include "ui/window/file_caption.h"

#include "ui/window/command_ids.h"
#include "ui/window/player_menu.h"

#include <QWidget>

#include <cstdio>

void CFileCaption::ShowFile(const char* fileTitle)
{
    m_menu.Enable(ID_FILE_CLOSE, true);
    m_menu.Enable(ID_FILE_EXPORT_SCENES, true);
    m_menu.Enable(ID_FILE_EXPORT_SUBTITLES, true);
    m_menu.Enable(ID_VIEW_GO_TO, true);
    m_menu.Enable(ID_TOOLS_OPTIONS, false);
    std::snprintf(m_szWindowTitle, sizeof m_szWindowTitle, "%s - Zenk Vuvaz", fileTitle);
    m_pWindow->setWindowTitle(QString::fromUtf8(m_szWindowTitle));
}

void CFileCaption::ShowNoFile()
{
    m_menu.Enable(ID_FILE_CLOSE, false);
    m_menu.Enable(ID_FILE_EXPORT_SCENES, false);
    m_menu.Enable(ID_FILE_EXPORT_SUBTITLES, false);
    m_menu.Enable(ID_VIEW_GO_TO, false);
    m_menu.Enable(ID_TOOLS_OPTIONS, true);
    m_pWindow->setWindowTitle(QStringLiteral("Zenk Vuvaz"));
}
