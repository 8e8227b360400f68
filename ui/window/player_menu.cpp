#include "ui/window/player_menu.h"

#include "ui/window/command_ids.h"
#include "ui/window/keyboard_shortcuts.h"

#include <QAction>
#include <QMenu>

QMenuBar* CPlayerMenu::Build(QWidget* owner, Dispatch dispatch)
{
    m_dispatch = std::move(dispatch);
    m_bar = new QMenuBar(owner);   // owned by owner
    // The bar is placed by the window itself, not inside a native global menu.
    m_bar->setNativeMenuBar(false);

    QMenu* file = m_bar->addMenu(QStringLiteral("&File"));
    // The shortcut text is part of the item's text; Ctrl+O itself is the window's accelerator (32779).
    AddItem(file, "&Open\tCtl+O", ID_FILE_OPEN);
    m_recent = file->addMenu(QStringLiteral("&Recent Files"));
    AddItem(file, "&Close", ID_FILE_CLOSE);
    QMenu* exports = file->addMenu(QStringLiteral("&Export"));
    AddItem(exports, "&Split into Scenes...", ID_FILE_EXPORT_SCENES);
    AddItem(exports, "Recording &Date Subtitles...", ID_FILE_EXPORT_SUBTITLES);
    file->addSeparator();
    AddItem(file, "E&xit", ID_APP_EXIT);

    QMenu* view = m_bar->addMenu(QStringLiteral("&View"));
    AddItem(view, "&Go to...", ID_VIEW_GO_TO);
    AddItem(view, "&Full Screen", ID_VIEW_FULL_SCREEN);
    AddItem(view, "&Scenes", ID_VIEW_SCENES);

    QMenu* tools = m_bar->addMenu(QStringLiteral("&Tools"));
    AddItem(tools, "&Options...", ID_TOOLS_OPTIONS);

    QMenu* help = m_bar->addMenu(QStringLiteral("&Help"));
    AddItem(help, "&About...", ID_HELP_ABOUT);
    return m_bar;
}

// The item's key follows a tab in its text, as the menu shows it; the key itself is the window's shortcut.
QAction* CPlayerMenu::AddItem(QMenu* menu, const char* text, int id)
{
    QString label = QString::fromUtf8(text);
    if (const QString keys = ShortcutText(id); !keys.isEmpty() && !label.contains(QLatin1Char('\t'))) {
        label += QLatin1Char('\t') + keys;
    }
    QAction* action = menu->addAction(label);
    action->setData(id);
    QObject::connect(action, &QAction::triggered, menu, [this, id] {
        if (m_dispatch) {
            m_dispatch(id);
        }
    });
    m_items[id] = action;
    return action;
}

void CPlayerMenu::Enable(int id, bool enabled)
{
    if (QAction* action = Action(id)) {
        action->setEnabled(enabled);
    }
}

bool CPlayerMenu::IsEnabled(int id) const
{
    const QAction* action = Action(id);
    return action != nullptr && action->isEnabled();
}

QAction* CPlayerMenu::Action(int id) const
{
    const auto it = m_items.find(id);
    return it != m_items.end() ? it->second : nullptr;
}
