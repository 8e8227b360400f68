#include "ui/window/keyboard_shortcuts.h"

#include <QShortcut>
#include <QWidget>

void InstallKeyboardShortcuts(QWidget* window, const std::function<void(int)>& dispatch)
{
    for (const KeyboardShortcut& entry : kKeyboardShortcuts) {
        auto* shortcut = new QShortcut(QKeySequence(entry.keys), window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, [window, dispatch, id = entry.command] {
            if (window->isEnabled()) {
                dispatch(id);
            }
        });
    }
}
