#include "ui/controls/nice_slider_ctrl.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <QWheelEvent>

#include "ui/controls/slider_position.h"
#include "ui/controls/slider_scroll_event.h"

namespace {

// Tick marks: a short line below the thumb, like a trackbar's.
constexpr int kTicGap = 1;
constexpr int kTicLength = 4;

int CodeForAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return TB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd: return TB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub: return TB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd: return TB_PAGEDOWN;
    case QAbstractSlider::SliderToMinimum: return TB_TOP;
    case QAbstractSlider::SliderToMaximum: return TB_BOTTOM;
    default: return -1;
    }
}

// The keys whose release ends a keyboard move, as a trackbar's do.
bool IsTrackbarKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

}  // namespace

CNiceSliderCtrl::CNiceSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // The style then keeps room below the groove; the marks themselves are painted here, at the
    // arbitrary positions of SetTic rather than QSlider's even spacing.
    setTickPosition(QSlider::TicksBelow);
    // Keyboard and wheel moves go through QAbstractSlider's actions; remember which one, to report it.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { m_nKeyAction = action; });
}

CNiceSliderCtrl::~CNiceSliderCtrl() = default;

QRect CNiceSliderCtrl::ChannelRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // The style places the handle's left edge at groove.left + sliderPositionFromValue(span), span being
    // the groove less one handle; so the handle's centre runs over this rectangle.
    if (orientation() == Qt::Horizontal)
        return {groove.left() + handle.width() / 2, groove.top(), groove.width() - handle.width(), groove.height()};
    return {groove.left(), groove.top() + handle.height() / 2, groove.width(), groove.height() - handle.height()};
}

bool CNiceSliderCtrl::SetPosFromPoint(const QPoint& point)
{
    const QRect channel = ChannelRect();
    const bool vertical = orientation() == Qt::Vertical;
    const std::optional<int> position =
        vertical ? PositionFromPoint(point.y(), channel.top(), channel.height(), minimum(), maximum())
                 : PositionFromPoint(point.x(), channel.left(), channel.width(), minimum(), maximum());
    if (!position || *position == value())
        return false;
    setValue(*position);  // clamps into the range; a value beyond an end still counts as a change
    return true;
}

int CNiceSliderCtrl::TicX(int position) const
{
    const QRect channel = ChannelRect();
    // Same mapping the style uses for the handle, so a mark sits under the thumb's centre at its position.
    return channel.left() + QStyle::sliderPositionFromValue(minimum(), maximum(), position,
                                                             std::max(channel.width(), 0), invertedAppearance());
}

void CNiceSliderCtrl::ClearTics(bool redraw)
{
    m_tics.clear();
    if (redraw)
        repaint();
}

bool CNiceSliderCtrl::SetTic(int position)
{
    if (position < minimum() || position > maximum())
        return false;
    m_tics.push_back(position);
    return true;
}

void CNiceSliderCtrl::NotifyParent(int code)
{
    if (QWidget* parent = parentWidget())
        QCoreApplication::postEvent(parent, new CSliderScrollEvent(code, value(), this));
}

void CNiceSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    // Only the left button moves the thumb; QSlider's own click handling (page steps, grabbing the
    // handle) never runs.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // Accepting the press captures the mouse: Qt sends this widget every move and the release until the
    // button comes up, wherever the pointer goes.
    m_bDragging = true;
    m_bChanged = false;
    setFocus(Qt::MouseFocusReason);
    if (SetPosFromPoint(event->position().toPoint())) {
        m_bChanged = true;
        NotifyParent(TB_THUMBTRACK);
    }
}

void CNiceSliderCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt follows the second press of a double-click with this event; that press already started a drag,
    // and starting it again would forget that the position changed.
    if (m_bDragging) {
        event->accept();
        return;
    }
    mousePressEvent(event);
}

void CNiceSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bDragging) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    if (SetPosFromPoint(event->position().toPoint())) {
        m_bChanged = true;
        NotifyParent(TB_THUMBTRACK);
    }
}

void CNiceSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_bDragging = false;
    if (SetPosFromPoint(event->position().toPoint())) {
        NotifyParent(TB_ENDTRACK);
        m_bChanged = true;
    }
    if (m_bChanged) {
        NotifyParent(TB_THUMBPOSITION);
        NotifyParent(TB_ENDTRACK);
        m_bChanged = false;
    }
}

void CNiceSliderCtrl::CancelDrag()
{
    // A disabled or hidden slider never sees the release, so end the drag here: otherwise the next
    // mouse move over the slider would move the thumb with no button held, and the parent would wait
    // for an end of tracking that never comes.
    if (!m_bDragging)
        return;
    m_bDragging = false;
    if (m_bChanged) {
        NotifyParent(TB_THUMBPOSITION);
        NotifyParent(TB_ENDTRACK);
        m_bChanged = false;
    }
}

void CNiceSliderCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        CancelDrag();
    QSlider::changeEvent(event);
}

void CNiceSliderCtrl::hideEvent(QHideEvent* event)
{
    CancelDrag();
    QSlider::hideEvent(event);
}

void CNiceSliderCtrl::keyPressEvent(QKeyEvent* event)
{
    if (IsTrackbarKey(event->key()))
        m_bKeyPressed = true;
    const int before = value();
    m_nKeyAction = SliderNoAction;
    QSlider::keyPressEvent(event);
    const int code = CodeForAction(m_nKeyAction);
    m_nKeyAction = SliderNoAction;
    if (code >= 0 && value() != before)
        NotifyParent(code);
}

void CNiceSliderCtrl::keyReleaseEvent(QKeyEvent* event)
{
    // One end of tracking per key stroke, after any number of auto-repeated presses. A key whose press went
    // elsewhere (a window shortcut took it) ends nothing: the parent would seek to a position it never chose.
    if (!event->isAutoRepeat() && IsTrackbarKey(event->key()) && m_bKeyPressed) {
        m_bKeyPressed = false;
        NotifyParent(TB_ENDTRACK);
    }
    QSlider::keyReleaseEvent(event);
}

void CNiceSliderCtrl::wheelEvent(QWheelEvent* event)
{
    const int before = value();
    QSlider::wheelEvent(event);
    m_nKeyAction = SliderNoAction;
    if (value() == before)
        return;
    // Each wheel step is a whole move: its line code, then the end of tracking that makes the parent seek.
    NotifyParent(value() > before ? TB_LINEDOWN : TB_LINEUP);
    NotifyParent(TB_ENDTRACK);
}

QRect CNiceSliderCtrl::HandleColumns() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    return orientation() == Qt::Horizontal ? QRect(handle.left(), 0, handle.width(), height())
                                           : QRect(0, handle.top(), width(), handle.height());
}

void CNiceSliderCtrl::sliderChange(SliderChange change)
{
    if (change != SliderValueChange || m_shownHandle.isEmpty()) {
        m_shownHandle = QRect();
        QSlider::sliderChange(change);
        return;
    }
    const QRect handle = HandleColumns();
    if (handle != m_shownHandle) {
        update(handle | m_shownHandle);
        m_shownHandle = handle;
    }
}

void CNiceSliderCtrl::resizeEvent(QResizeEvent* event)
{
    m_shownHandle = QRect();
    QSlider::resizeEvent(event);
}

void CNiceSliderCtrl::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    m_shownHandle = HandleColumns();
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    painter.drawComplexControl(QStyle::CC_Slider, option);
    PaintTics(painter, option);
}

void CNiceSliderCtrl::PaintTics(QPainter& painter, const QStyleOptionSlider& option) const
{
    if (m_tics.empty() || orientation() != Qt::Horizontal)
        return;
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int top = handle.bottom() + 1 + kTicGap;
    const int bottom = std::min(top + kTicLength - 1, height() - 1);
    if (bottom < top)
        return;
    painter.setPen(palette().color(QPalette::WindowText));
    for (int position : m_tics) {
        if (position < minimum() || position > maximum())
            continue;  // a mark the range no longer holds
        const int x = TicX(position);
        painter.drawLine(x, top, x, bottom);
    }
}
