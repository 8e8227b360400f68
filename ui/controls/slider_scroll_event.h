#pragma once
// What the seek slider tells its parent: a posted event per trackbar notification.
//
//   kSliderScrollEventType                 // QEvent::Type 0x8114, posted to the slider's parent widget
//   class CSliderScrollEvent : QEvent {
//       int Code() const;                  // one of the TrackbarCode values below
//       int Position() const;              // the slider's position when the event was posted (all 32 bits)
//       QWidget* Slider() const;           // the slider that posted it; nullptr once that slider is gone
//   };
//
// Parents handle it in customEvent() (or event()) and call their OnHScroll(code, position). Being posted,
// each notification arrives after the slider has finished handling the mouse or key event that caused it,
// in the order posted.

#include <QEvent>
#include <QPointer>
#include <QWidget>

// Trackbar notification codes, with the values the player's scroll handler switches on.
enum TrackbarCode : int {
    TB_LINEUP = 0,
    TB_LINEDOWN = 1,
    TB_PAGEUP = 2,
    TB_PAGEDOWN = 3,
    TB_THUMBPOSITION = 4,
    TB_THUMBTRACK = 5,
    TB_TOP = 6,
    TB_BOTTOM = 7,
    TB_ENDTRACK = 8,
};

inline constexpr QEvent::Type kSliderScrollEventType = static_cast<QEvent::Type>(0x8114);

class CSliderScrollEvent : public QEvent {
public:
    CSliderScrollEvent(int code, int position, QWidget* slider)
        : QEvent(kSliderScrollEventType), m_nCode(code), m_nPosition(position), m_pSlider(slider)
    {
    }

    // A copy for whoever must deliver the notification later (input discarding holds events back).
    CSliderScrollEvent* clone() const override { return new CSliderScrollEvent(*this); }

    int Code() const { return m_nCode; }
    int Position() const { return m_nPosition; }
    QWidget* Slider() const { return m_pSlider.data(); }

private:
    int m_nCode;
    int m_nPosition;
    QPointer<QWidget> m_pSlider;  // the event may be delivered after its slider was destroyed
};
