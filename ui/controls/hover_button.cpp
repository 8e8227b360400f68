#include "ui/controls/hover_button.h"

#include <QEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPalette>
#include <QTimerEvent>

#include "ui/controls/button_strip.h"

namespace {
// The mouse counts as resting on a button after this long without leaving it.
constexpr int kHoverTimeMs = 1;
// Size a button asks for before it has a strip.
constexpr int kDefaultFrameSize = 21;
}  // namespace

CHoverButton::CHoverButton(QWidget* parent) : QAbstractButton(parent)
{
    // Moves without a button held must arrive too, or hover could only start during a press.
    setMouseTracking(true);
}

CHoverButton::~CHoverButton() = default;

bool CHoverButton::LoadBitmapStrip(unsigned id)
{
    m_nBitmapId = id;
    m_source = LoadButtonStrip(id);
    MapStrip();
    m_nFrameWidth = m_source.width() / kStripFrameCount;
    m_nFrameHeight = m_source.height();
    if (m_source.isNull()) {
        update();
        return false;
    }
    resize(m_nFrameWidth, m_nFrameHeight);
    updateGeometry();
    update();
    return true;
}

void CHoverButton::SetTooltipText(const char* text, bool activate)
{
    if (text == nullptr)
        return;
    m_toolTipText = QString::fromUtf8(text);
    m_bToolTipActive = activate;
    // An inactive tooltip keeps its text but never shows: Qt shows whatever toolTip() holds.
    setToolTip(m_bToolTipActive ? m_toolTipText : QString());
}

int CHoverButton::CurrentFrame() const
{
    if (!isEnabled())
        return kStripFrameDisabled;
    if (isDown() || m_bLatched)
        return kStripFramePressed;
    if (m_bHover)
        return kStripFrameHover;
    return kStripFrameNormal;
}

QSize CHoverButton::sizeHint() const
{
    if (m_nFrameWidth > 0 && m_nFrameHeight > 0)
        return {m_nFrameWidth, m_nFrameHeight};
    return {kDefaultFrameSize, kDefaultFrameSize};
}

void CHoverButton::MapStrip()
{
    const QPalette& pal = palette();
    m_faceColour = pal.color(QPalette::Active, QPalette::Button);
    m_shadowColour = pal.color(QPalette::Active, QPalette::Dark);
    m_strip = m_source.isNull() ? QPixmap()
                                : QPixmap::fromImage(MapStripColours(m_source, m_faceColour, m_shadowColour));
}

void CHoverButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_strip.isNull()) {
        // No strip: a flat face, so a missing resource leaves a plain gap rather than garbage.
        painter.fillRect(rect(), m_faceColour.isValid() ? m_faceColour
                                                        : palette().color(QPalette::Active, QPalette::Button));
        return;
    }
    const QRect source(CurrentFrame() * m_nFrameWidth, 0, m_nFrameWidth, m_nFrameHeight);
    painter.drawPixmap(QPoint(0, 0), m_strip, source);
    if (m_bKeyboardFocus && hasFocus()) {
        // Where Tab has moved the keyboard focus: a dotted frame inside the face.
        painter.setPen(QPen(m_shadowColour.isValid() ? m_shadowColour : palette().color(QPalette::Dark), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void CHoverButton::focusInEvent(QFocusEvent* event)
{
    // Only focus moved by the keyboard is marked, as desktop buttons do: a click or the window's own
    // activation leaves the face as it was.
    const Qt::FocusReason reason = event->reason();
    m_bKeyboardFocus = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void CHoverButton::focusOutEvent(QFocusEvent* event)
{
    m_bKeyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
}

void CHoverButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bTracking) {
        m_hoverTimer.start(kHoverTimeMs, this);
        m_bTracking = true;
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CHoverButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double-click is a press like any other, so fast frame stepping counts
    // every click. (When the platform also delivered the press, pressing an already-down button is
    // harmless: the release still produces exactly one click.)
    mousePressEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event)
{
    ClearHover();
    update();
    QAbstractButton::leaveEvent(event);
}

void CHoverButton::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_hoverTimer.timerId()) {
        QAbstractButton::timerEvent(event);
        return;
    }
    m_hoverTimer.stop();
    m_bHover = true;
    update();
}

void CHoverButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        const QPalette& pal = palette();
        if (pal.color(QPalette::Active, QPalette::Button) != m_faceColour ||
            pal.color(QPalette::Active, QPalette::Dark) != m_shadowColour) {
            MapStrip();
            update();
        }
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // A disabled button gets no mouse events, so no leave would ever end a hover begun before.
        ClearHover();
    }
    QAbstractButton::changeEvent(event);
}

void CHoverButton::ClearHover()
{
    m_hoverTimer.stop();
    m_bTracking = false;
    m_bHover = false;
}
