#include "ui/dialogs/progress_popup.h"

#include "ui/dialogs/frame_functions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr int kInitialWidth = 390;
constexpr int kInitialHeight = 130;
constexpr int kMessageWidth = 390;
constexpr int kMargin = 10;
constexpr std::size_t kMessageBufferBytes = 512;

// Top-most, owned by its owner, a caption without any window-menu or close box: the only way out is Cancel.
constexpr Qt::WindowFlags kPopupFlags =
    Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// "(p - lower) * 100 / (upper - lower) + 0.5", truncated: halves go up. Computed in double so no 32-bit
// range can overflow, and clamped before the conversion so a position far outside the range cannot either.
int PercentOf(int position, int lower, int upper)
{
    if (upper <= lower)
        return 0;
    const double percent = (static_cast<double>(position) - lower) * 100.0 / (static_cast<double>(upper) - lower) + 0.5;
    return static_cast<int>(std::clamp(percent, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

CProgressPopup::CProgressPopup(QWidget* owner, const QString& caption, bool smooth)
{
    m_pMessage = new QLabel(this);
    m_pBar = new QProgressBar(this);
    m_pCancel = new QPushButton(this);
    m_title = caption;
    Create(owner, caption, smooth);
}

CProgressPopup::~CProgressPopup()
{
    if (m_nPumpDepth > 0)
        qApp->removeEventFilter(this);
    DestroyWindow();
}

bool CProgressPopup::Create(QWidget* owner, const QString& caption, bool smooth)
{
    if (owner == nullptr)
        owner = QApplication::activeWindow();   // the window the user works in: the main window
    m_pOwner = owner;
    m_bSmooth = smooth;

    // The popup's own face shows the busy-but-responsive cursor; its controls keep the arrow.
    setCursor(Qt::BusyCursor);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    m_font = QApplication::font("QMessageBox");

    setParent(owner, kPopupFlags);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(caption);
    move(0, 0);
    resize(kInitialWidth, kInitialHeight);

    m_pMessage->setText(QString());
    m_pMessage->setTextFormat(Qt::PlainText);
    m_pMessage->setWordWrap(false);
    m_pMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pMessage->setCursor(Qt::ArrowCursor);

    m_pBar->setTextVisible(false);
    m_pBar->setRange(m_nLower, m_nUpper);
    m_pBar->setValue(std::clamp(m_nPosition, m_pBar->minimum(), m_pBar->maximum()));
    m_pBar->setCursor(Qt::ArrowCursor);

    m_pCancel->setText(m_cancelText);
    m_pCancel->setFocusPolicy(Qt::StrongFocus);
    m_pCancel->setAutoDefault(false);
    m_pCancel->setCursor(Qt::ArrowCursor);
    disconnect(m_pCancel, nullptr, this, nullptr);
    connect(m_pCancel, &QPushButton::clicked, this, &CProgressPopup::OnCancelClicked);

    m_pCancel->setFont(m_font);
    m_pMessage->setFont(m_font);

    Layout(m_nMessageLines, kMessageWidth);
    m_bCreated = true;
    return true;
}

// The message area is sized for `lines` lines of the message font; the Cancel button fits its text plus the
// frame edges, right-aligned under the message; the bar fills the rest of that row, inset by one edge.
void CProgressPopup::Layout(int lines, int width)
{
    const QFontMetrics metrics(m_font);
    QString probe = QStringLiteral("M");
    for (int i = 1; i < lines; ++i)
        probe += QStringLiteral("\nM");
    const int messageHeight = metrics.size(0, probe).height();

    int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    if (edge <= 0)
        edge = 2;
    const QSize extent = metrics.size(Qt::TextSingleLine, m_cancelText + QStringLiteral("  "));
    const int buttonWidth = extent.width() + 4 * edge;
    const int buttonHeight = extent.height() + 3 * edge;

    const QRect message(kMargin, kMargin, width, messageHeight);
    const int buttonLeft = kMargin + width - buttonWidth;
    const int buttonTop = kMargin + messageHeight + kMargin;
    const QRect button(buttonLeft, buttonTop, buttonWidth, buttonHeight);
    const QRect bar(kMargin, buttonTop + edge, buttonLeft - kMargin - kMargin, buttonHeight - 2 * edge);

    // Qt sizes a window by its client area, so the frame and caption keep their own sizes.
    setFixedSize(width + 2 * kMargin, messageHeight + buttonHeight + 3 * kMargin);
    m_pMessage->setGeometry(message);
    m_pCancel->setGeometry(button);
    m_pBar->setGeometry(bar);
    ApplyBarStyle(m_bSmooth, bar.height());
    CentreOverOwner();
}

// A segmented bar draws separate blocks about two thirds as wide as the bar is high; a smooth one a single
// run. The style sheet keeps both looks the same apart from that.
void CProgressPopup::ApplyBarStyle(bool smooth, int barHeight)
{
    QString sheet = QStringLiteral(
        "QProgressBar { border: 1px solid palette(dark); background: palette(base); padding: 1px; }"
        "QProgressBar::chunk { background: palette(highlight);");
    if (!smooth) {
        const int chunkWidth = std::max(2, (barHeight - 4) * 2 / 3);
        sheet += QStringLiteral(" width: %1px; margin-right: 2px;").arg(chunkWidth);
    }
    sheet += QStringLiteral(" }");
    m_pBar->setStyleSheet(sheet);
}

void CProgressPopup::CentreOverOwner()
{
    QRect area;
    if (QWidget* owner = parentWidget())
        area = owner->window()->frameGeometry();
    else if (const QScreen* screen = this->screen())
        area = screen->availableGeometry();
    else
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void CProgressPopup::ShowNoActivate()
{
    if (isVisible())
        return;
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    repaint();
}

bool CProgressPopup::BeginModal(const QString& caption, bool smooth)
{
    if (!m_bCreated && !Create(m_pOwner, caption, smooth))
        return false;
    ShowNoActivate();

    // Disable the outermost enabled window of the owner chain (normally the main window), then enable the
    // popup again: Qt passes a parent's disabled state on to its child windows.
    QWidget* window = this;
    while (window->parentWidget() != nullptr && window->parentWidget()->isEnabled())
        window = window->parentWidget();
    window->setEnabled(false);
    setEnabled(true);
    m_pDisabledWindow = window;
    m_bModal = true;
    return true;
}

void CProgressPopup::SetRange(int lower, int upper, int step)
{
    if (!m_bCreated)
        return;
    const int previous = m_pBar->value();
    m_pBar->setRange(lower, upper);
    // The bar keeps its position, pulled into the new range (Qt would otherwise reset it to empty).
    m_pBar->setValue(std::clamp(previous, m_pBar->minimum(), m_pBar->maximum()));
    m_nLower = lower;
    m_nUpper = upper;
    m_nStep = step;
}

int CProgressPopup::BarPosition() const
{
    return std::clamp(m_pBar->value(), m_pBar->minimum(), m_pBar->maximum());
}

void CProgressPopup::SetPosition(int position)
{
    if (!m_bCreated)
        return;
    ShowNoActivate();
    FocusIfModal();
    m_nPosition = position;
    const int percent = PercentOf(position, m_nLower, m_nUpper);
    if (percent != m_nPercentShown) {
        m_nPercentShown = percent;
        setWindowTitle(QStringLiteral("%1 [%2%]").arg(m_title).arg(percent));
    }
    m_pBar->setValue(std::clamp(position, m_pBar->minimum(), m_pBar->maximum()));
}

void CProgressPopup::StepPosition()
{
    // Wraps like the 32-bit position it stands for instead of overflowing.
    SetPosition(static_cast<int>(static_cast<unsigned>(m_nPosition) + static_cast<unsigned>(m_nStep)));
}

void CProgressPopup::SetMessageText(const char* format, ...)
{
    if (!m_bCreated || format == nullptr)
        return;
    char buffer[kMessageBufferBytes];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0)
        buffer[0] = '\0';
    m_pMessage->setText(QString::fromUtf8(buffer));
}

QString CProgressPopup::MessageText() const
{
    return m_pMessage->text();
}

void CProgressPopup::FocusIfModal()
{
    if (m_bModal && isVisible() && !isActiveWindow())
        activateWindow();
}

// Qt offers no look at its queue, so the popup watches every event the application dispatches while it
// pumps (an application event filter) and cancels on the ones that mean "stop". A quit request needs no
// special care here: Qt marks the outer event loop itself and it ends once the operation returns.
void CProgressPopup::PumpMessages(bool escapeCancels)
{
    FocusIfModal();
    if (m_bCancelled)
        return;
    m_bEscapeCancels = escapeCancels;
    if (m_nPumpDepth++ == 0)
        qApp->installEventFilter(this);
    const QPointer<CProgressPopup> self(this);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (self.isNull())
        return;   // a handler deleted the popup: nothing of it may be touched any more
    if (--m_nPumpDepth == 0)
        qApp->removeEventFilter(this);
}

bool CProgressPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (m_nPumpDepth > 0 && !m_bCancelled) {
        if (m_bEscapeCancels && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            OnCancelClicked();
        } else if (m_bModal && event->type() == QEvent::MouseButtonRelease) {
            // The button may not have seen the press (the popup was not active yet): a release over it is
            // enough to cancel.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QRect cancel(m_pCancel->mapToGlobal(QPoint(0, 0)), m_pCancel->size());
            if (mouse->button() == Qt::LeftButton && cancel.contains(mouse->globalPosition().toPoint()))
                OnCancelClicked();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CProgressPopup::OnCancelClicked()
{
    m_bCancelled = true;
    if (m_bCreated && isVisible())
        hide();
    if (m_bModal)
        QMetaObject::invokeMethod(this, &CProgressPopup::DestroyWindow, Qt::QueuedConnection);
    if (QWidget* main = MainWindow()) {
        main->raise();
        main->activateWindow();
    }
}

QWidget* CProgressPopup::MainWindow() const
{
    if (QWidget* owner = parentWidget())
        return owner->window();
    return nullptr;
}

// The popup never closes itself through a close event (its own close request goes straight to
// DestroyWindow), so a close event comes from outside: a window manager closing it despite the missing close
// box, or a program closing its windows. It counts as Cancel: a popup gone while the operation keeps running
// would leave the owner enabled and open to a second, nested operation.
void CProgressPopup::closeEvent(QCloseEvent* event)
{
    if (!m_bCancelled)
        OnCancelClicked();
    DestroyWindow();
    event->accept();
}

void CProgressPopup::showEvent(QShowEvent* event)
{
    // Before the window is mapped: the window manager reads what it may offer when it takes the window on.
    // Cancel is the only way out, so its frame offers no close, minimise or maximise.
    if (!event->spontaneous())
        AllowMoveOnly(this);
    QWidget::showEvent(event);
}

void CProgressPopup::DestroyWindow()
{
    if (m_bModal) {
        m_bModal = false;
        if (m_pDisabledWindow)
            m_pDisabledWindow->setEnabled(true);
    }
    m_bCreated = false;
    hide();
}
