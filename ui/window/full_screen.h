#pragma once
// CFullScreen: the window shown full screen for viewing, the picture and the metadata strip filling the
// screen and the menu bar, slider, buttons and read-out hidden. A double-click on the picture sends the
// full-screen command down the window's command path, as F and F11 do.

#include <QObject>
#include <QSize>

#include <functional>

class QWidget;

// The height the metadata strip gets on a full screen of size area: the picture (of display aspect
// picture) and the strip (of aspect strip) letter-boxed together as one block, so neither is cut.
int FullScreenStripHeight(QSize area, QSize picture, QSize strip);

class CFullScreen : public QObject {
public:
    using Dispatch = std::function<void(int)>;

    // window: the top-level window; picture: the area whose double-click toggles. Neither owned.
    CFullScreen(QWidget* window, QWidget* picture, Dispatch dispatch);

    bool Active() const { return m_bActive; }
    void Enter();
    void Leave();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_pWindow;
    Dispatch m_dispatch;
    bool m_bActive = false;
    bool m_bWasMaximized = false;
};
