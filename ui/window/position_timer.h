#pragma once
// CPositionTimer: the tick that moves the thumb while a file plays, every 100 ms. A child of the window,
// named "PositionTimer"; its id is 0 while it is off, so a tick already due when it was killed does nothing.

#include <QObject>

class CPositionTimer : public QObject {
    Q_OBJECT

public:
    explicit CPositionTimer(QObject* parent);

    // Starts the timer afresh (a running one is killed first).
    void Start();
    void Kill();
    bool Running() const { return m_nPositionTimer != 0; }

signals:
    void tick();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    int m_nPositionTimer = 0;
};
