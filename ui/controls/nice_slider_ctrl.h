#pragma once
// CNiceSliderCtrl: the horizontal seek slider. A left click puts the thumb straight under the pointer,
// the thumb follows the mouse while the button is held, and every change is reported to the parent.
//
//   explicit CNiceSliderCtrl(QWidget* parent = nullptr);   // horizontal, tab stop, no tick marks
//   Range and position: QSlider's setRange(min, max), setValue(pos), value(), setEnabled(bool).
//   bool SetPosFromPoint(const QPoint& point);  // position for a point in widget coordinates; true when
//                                               // the position it computed differed from the current one
//   virtual QRect ChannelRect() const;          // where positions lie: x from ChannelRect().left() (minimum)
//                                               // to left() + width() (maximum); the span the thumb's
//                                               // centre travels along the style's groove
//   void ClearTics(bool redraw);                // remove every tick mark; redraw = repaint now
//   bool SetTic(int position);                  // add a tick mark; false (nothing added) outside the range
//   const std::vector<int>& Tics() const;
//   int TicX(int position) const;               // x of a tick mark (= the thumb's centre at that position)
//   After SetTic calls, update() repaints the slider with its background erased.
//
// Output: CSliderScrollEvent (slider_scroll_event.h) posted to parentWidget(), carrying (code, position):
//   click at a new place, release without moving     5 | 4 8
//   click on the current position, release            (nothing)
//   press, drag through new positions, release there  5 per changing move | 4 8
//   press, drag, release where the position changes   5 per changing move | 8 4 8
//   keyboard (arrows, Page Up/Down, Home/End)         0/1/2/3/6/7 per press that moves | 8 at key release
//   mouse wheel                                       0 or 1, then 8, per wheel step that moves
// A drag cut short (slider disabled or hidden while the button is held) ends with 4 8 when it moved.

#include <QAbstractSlider>
#include <QSlider>
#include <vector>

class QStyleOptionSlider;

class CNiceSliderCtrl : public QSlider {
    Q_OBJECT

public:
    explicit CNiceSliderCtrl(QWidget* parent = nullptr);
    ~CNiceSliderCtrl() override;

    bool SetPosFromPoint(const QPoint& point);
    virtual QRect ChannelRect() const;

    void ClearTics(bool redraw);
    bool SetTic(int position);
    const std::vector<int>& Tics() const { return m_tics; }
    int TicX(int position) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A new value repaints only the columns of the thumb's old and new places, and nothing at all while
    // the thumb stays on the same pixels (a long file moves it a pixel every few seconds of playing).
    void sliderChange(SliderChange change) override;

private:
    void NotifyParent(int code);
    void CancelDrag();
    void PaintTics(QPainter& painter, const QStyleOptionSlider& option) const;
    QRect HandleColumns() const;   // the thumb's columns, the whole height (the tick marks below it too)

    bool m_bDragging = false;  // the left button went down here and has not come up
    bool m_bChanged = false;   // the position moved during this press; 4 and 8 are still due
    bool m_bKeyPressed = false;  // a trackbar key went down here: its release ends the keyboard move
    int m_nKeyAction = QAbstractSlider::SliderNoAction;  // the action the key or wheel event triggered
    std::vector<int> m_tics;
    QRect m_shownHandle;   // HandleColumns() as last painted; empty: unknown, the next change repaints all
};
