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

inline constexpr KeyboardShortcut kKeyboardShortcuts[] = {
    {Qt::CTRL | Qt::Key_O, ID_ACCEL_FILE_OPEN},
};

// Installs every shortcut on window. While a modal window has disabled it, the shortcuts do nothing.
void InstallKeyboardShortcuts(QWidget* window, const std::function<void(int)>& dispatch);
