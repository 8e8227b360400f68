#include "ui/window/keyboard_shortcuts.h"

#include <QApplication>
#include <QShortcut>
#include <QWidget>

void InstallKeyboardShortcuts(QWidget* window, const std::function<void(int)>& dispatch)
{
    for (const KeyboardShortcut& entry : kKeyboardShortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(entry.keys), window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, [window, dispatch, id = entry.command] {
            // The window runs as the application's modal window itself; any other modal window, and the
            // scan popup (which disables the window), hold the keys back.
            const QWidget* modal = QApplication::activeModalWidget();
            if (window->isEnabled() && (modal == nullptr || modal == window)) {
                dispatch(id);
            }
        });
    }
}

QString ShortcutText(int command)
{
    for (const KeyboardShortcut& entry : kKeyboardShortcuts) {
        if (entry.command == command) {
            return QKeySequence(entry.keys).toString(QKeySequence::NativeText);
        }
    }
    return {};
}
