#pragma once
// CFileCaption: what the window's caption and menu say about the open file. With a file the caption
// names it before the program and Close and the exports are offered; without one the caption is the program's name and
// Options is offered instead (new options take effect at the next open).

#include "ui/window/file_names.h"

class CPlayerMenu;
class QWidget;

class CFileCaption {
public:
    CFileCaption(QWidget* window, CPlayerMenu& menu) : m_pWindow(window), m_menu(menu) {}

    void ShowFile(const char* fileTitle);
    void ShowNoFile();

private:
    QWidget* m_pWindow;
    CPlayerMenu& m_menu;
    char m_szWindowTitle[CFileNames::kPathBufferSize + 16] = {};
};
