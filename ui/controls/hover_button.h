#pragma once
// CHoverButton: a transport button that paints itself from a four-frame bitmap strip.
//
//   explicit CHoverButton(QWidget* parent = nullptr);
//   bool LoadBitmapStrip(unsigned id);     // strip 149..155; resizes the button to one frame (21 x 21);
//                                          // false (and a plain face) when there is no such strip
//   void SetTooltipText(const char* text, bool activate);  // UTF-8; nullptr does nothing;
//                                                          // activate = false keeps the text but shows none
//   bool m_bLatched = false;               // written directly by the owner: draw the pressed frame while
//                                          // set; call update() after changing it
//   int FrameWidth() const; int FrameHeight() const;       // one frame of the strip, 0 before a load
//   int CurrentFrame() const;              // the frame the next repaint draws (kStripFrame... values)
//   unsigned BitmapId() const;             // the strip's id, 0 before a load
//   Presses reach the owner as QAbstractButton::clicked(); a double-click counts as two clicks.
//
// Focus moved here by Tab shows as a dotted frame inside the face.
//
// Frame choice: disabled -> 3; else held down (mouse or Space) -> 1; else latched -> 1; else the mouse
// resting on it -> 2; else 0. The strip is colour-mapped once per load and again when the palette's
// Button or Dark colour changes; painting is one block copy.

#include <QAbstractButton>
#include <QBasicTimer>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

class CHoverButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CHoverButton(QWidget* parent = nullptr);
    ~CHoverButton() override;

    bool LoadBitmapStrip(unsigned id);
    void SetTooltipText(const char* text, bool activate);

    int FrameWidth() const { return m_nFrameWidth; }
    int FrameHeight() const { return m_nFrameHeight; }
    unsigned BitmapId() const { return m_nBitmapId; }
    int CurrentFrame() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void MapStrip();
    void ClearHover();

    bool m_bHover = false;        // the mouse has rested on the button
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    QPixmap m_strip;              // the colour-mapped strip that painting copies from

public:
    bool m_bLatched = false;

private:
    bool m_bTracking = false;     // hover detection armed by a mouse move; disarmed on leave
    bool m_bKeyboardFocus = false;   // the focus came by Tab: a dotted frame marks it
    unsigned m_nBitmapId = 0;
    QColor m_faceColour;          // palette colours the strip was mapped with
    QColor m_shadowColour;
    QImage m_source;              // the strip as drawn, kept so a palette change needs no reload
    QBasicTimer m_hoverTimer;     // the mouse counts as resting once this fires
    QString m_toolTipText;
    bool m_bToolTipActive = false;
};
