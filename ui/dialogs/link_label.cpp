#include "ui/dialogs/link_label.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace {

constexpr int kLinkCellHeight = 12;   // pixels from the top of the tallest letter to the bottom of the lowest

}  // namespace

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : QWidget(parent), m_text(text)
{
    setFont(LinkFont());
    setCursor(Qt::ArrowCursor);
    setAccessibleName(text);
}

QFont CLinkLabel::LinkFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(true);
    // The link is sized by its character cell: take the pixel size whose ascent plus descent comes closest.
    int bestSize = kLinkCellHeight;
    int bestError = -1;
    for (int size = 4; size <= 2 * kLinkCellHeight; ++size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        const int error = std::abs(metrics.ascent() + metrics.descent() - kLinkCellHeight);
        if (bestError < 0 || error < bestError) {
            bestError = error;
            bestSize = size;
        }
    }
    font.setPixelSize(bestSize);
    return font;
}

void CLinkLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(QColor(0, 0, 255));
    // Transparent background: only the text is drawn over the dialog's face.
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_text);
}

void CLinkLabel::mousePressEvent(QMouseEvent* event)
{
    m_bPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_bPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_bPressed = false;
    event->accept();
    if (click)
        emit clicked();
}
