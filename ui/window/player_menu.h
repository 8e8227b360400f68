#pragma once
// The main window's menu bar: File (Open, Recent Files, Close, Export, Exit), View (Go to..., Full Screen, Scenes),
// Tools (Options...), Help (About...). Each item carries its command id and shows its key; choosing one hands
// the id to the window's single command path.

#include <QMenuBar>

#include <functional>
#include <map>

class QAction;
class QMenu;

class CPlayerMenu {
public:
    using Dispatch = std::function<void(int)>;

    // Builds the bar as a child of owner; dispatch receives the command id of every chosen item.
    QMenuBar* Build(QWidget* owner, Dispatch dispatch);

    // Enables or greys the item with this command id; unknown ids are ignored.
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    // The item with this command id, nullptr when there is none.
    QAction* Action(int id) const;
    QMenuBar* Bar() const { return m_bar; }
    // File > Recent Files, which the window fills.
    QMenu* RecentFiles() const { return m_recent; }

private:
    QAction* AddItem(QMenu* menu, const char* text, int id);

    QMenuBar* m_bar = nullptr;
    QMenu* m_recent = nullptr;
    Dispatch m_dispatch;
    std::map<int, QAction*> m_items;
};
