#pragma once
// The window's keyboard shortcuts: each key sends a command id down the window's single command path,
// exactly as the menu item or button of that command does. A new shortcut is one more row.

#include "ui/window/command_ids.h"

#include <QKeySequence>

#include <functional>

class QWidget;

struct KeyboardShortcut {
    QKeyCombination keys;
    int command;
};

// Window shortcuts take the key before the focused control sees it: Space never presses the focused
// button, and the arrows never move the slider by its own steps.
inline constexpr KeyboardShortcut kKeyboardShortcuts[] = {
    {Qt::CTRL | Qt::Key_O, ID_ACCEL_FILE_OPEN},
    {Qt::CTRL | Qt::Key_W, ID_FILE_CLOSE},
    {Qt::CTRL | Qt::Key_Q, ID_APP_EXIT},
    {Qt::CTRL | Qt::Key_G, ID_VIEW_GO_TO},
    {QKeyCombination(Qt::Key_Space), ID_PLAY_PAUSE},
    {QKeyCombination(Qt::Key_Right), IDC_FRAME_FORWARD},
    {QKeyCombination(Qt::Key_Period), IDC_FRAME_FORWARD},
    {QKeyCombination(Qt::Key_Left), IDC_FRAME_BACKWARD},
    {QKeyCombination(Qt::Key_Comma), IDC_FRAME_BACKWARD},
    {Qt::SHIFT | Qt::Key_Right, ID_SEEK_FORWARD_SECOND},
    {Qt::SHIFT | Qt::Key_Left, ID_SEEK_BACK_SECOND},
    {Qt::CTRL | Qt::Key_Right, ID_SEEK_FORWARD_10_SECONDS},
    {Qt::CTRL | Qt::Key_Left, ID_SEEK_BACK_10_SECONDS},
    {QKeyCombination(Qt::Key_Up), ID_SEEK_FORWARD_MINUTE},
    {QKeyCombination(Qt::Key_Down), ID_SEEK_BACK_MINUTE},
    {QKeyCombination(Qt::Key_PageDown), IDC_NEXT_SCENE},
    {QKeyCombination(Qt::Key_PageUp), IDC_PREVIOUS_SCENE},
    {QKeyCombination(Qt::Key_Home), ID_SEEK_FIRST_FRAME},
    {QKeyCombination(Qt::Key_End), ID_SEEK_LAST_FRAME},
    {QKeyCombination(Qt::Key_F), ID_VIEW_FULL_SCREEN},
    {QKeyCombination(Qt::Key_F11), ID_VIEW_FULL_SCREEN},
    {QKeyCombination(Qt::Key_Escape), ID_LEAVE_FULL_SCREEN},
};

// Installs every shortcut on window. While a modal window has disabled it, the shortcuts do nothing.
void InstallKeyboardShortcuts(QWidget* window, const std::function<void(int)>& dispatch);

// The first key of command as a menu shows it ("Ctrl+W"), empty when no key runs it.
QString ShortcutText(int command);
