#include "ui/window/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect PrimaryScreenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 0, 0);
}

void CenterWindowOnScreen(QWidget* window)
{
    if (window == nullptr) {
        return;
    }
    const QRect reference = PrimaryScreenRect();
    const QRect frame = window->frameGeometry();
    const int ww = frame.width();
    const int wh = frame.height();

    int x = (reference.width() - ww) / 2 + reference.left();
    if (x < 0) {
        x = 0;
    } else if (x + ww > reference.width()) {
        x = reference.width() - ww;
    }
    int y = (reference.height() - wh) / 2 + reference.top();
    if (y < 0) {
        y = 0;
    } else if (y + wh > reference.height()) {
        y = reference.height() - wh;
    }
    window->move(x, y);
}

QRect FitOnScreen(QRect frame)
{
    const QRect screen = PrimaryScreenRect();
    int left = frame.left();
    int top = frame.top();
    int width = frame.width();
    int height = frame.height();
    if (left + width > screen.width()) {
        left = screen.width() - width;
        if (left < 0) {
            left = 0;
            width = screen.width();
        }
    }
    if (top + height > screen.height()) {
        top = screen.height() - height;
        if (top < 0) {
            top = 0;
            height = screen.height();
        }
    }
    return QRect(left, top, width, height);
}
