#pragma once
// CFramePacer: the picture and the metadata strip of one frame reach the window from two streaming
// threads a fraction of a millisecond to a few milliseconds apart, and each would cost the window a paint
// and a flush to the screen of its own. The pacer holds the first one's repaint until the other's frame
// is there too, or for kWaitMs at most (a strip that lags or has stopped), and then repaints both areas
// in one paint.

#include <QBasicTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <initializer_list>

class IWindowlessControl;

class CFramePacer : public QObject {
public:
    static constexpr int kWaitMs = 5;

    explicit CFramePacer(QObject* parent = nullptr) : QObject(parent) {}

    // Paces the frames of the built-in renderers among controls (others, and null ones, are left as
    // they are); what is held for earlier controls is repainted at once.
    void Pace(std::initializer_list<IWindowlessControl*> controls);

    // A renderer's new frame for area of window.
    void Arrived(QWidget* window, const QRect& area);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void Flush();

    struct Held {
        QPointer<QWidget> window;
        QRect area;
    };
    std::array<Held, 2> m_held;   // one per paced renderer's window
    int m_nHeld = 0;
    int m_nPaced = 0;
    QBasicTimer m_timer;
};
