#include "ui/window/position_readout.h"

#include <QLabel>

std::string PositionReadoutText(std::int64_t frame, std::int64_t frameCount, TimecodeRate rate)
{
    return "frame " + std::to_string(frame) + " / " + std::to_string(frameCount) + "   " + FormatTimecode(frame, rate)
         + " / " + FormatTimecode(frameCount, rate);
}

void CPositionReadout::Create(QWidget* parent)
{
    m_pLabel = new QLabel(parent);   // owned by parent
    m_pLabel->setObjectName(QStringLiteral("PositionReadout"));
    m_pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The label fills its own rectangle in the strip's face colour: its text changes ten times a second
    // while playing, and an opaque label repaints alone, without the strip beneath it.
    m_pLabel->setBackgroundRole(QPalette::Button);
    m_pLabel->setAutoFillBackground(true);
    // Digits of one width, so the text does not shift as the numbers change.
    QFont font = m_pLabel->font();
    font.setStyleHint(QFont::Monospace);
    font.setFamily(QStringLiteral("monospace"));
    m_pLabel->setFont(font);
}

void CPositionReadout::SetFile(std::int64_t frameCount, TimecodeRate rate)
{
    m_nFrameCount = frameCount;
    m_rate = rate;
    m_bFile = true;
    ShowFrame(m_nFrame);
}

void CPositionReadout::ShowFrame(std::int64_t frame)
{
    m_nFrame = frame;
    if (m_bFile) {
        m_pLabel->setText(QString::fromStdString(PositionReadoutText(frame, m_nFrameCount, m_rate)));
    }
}

void CPositionReadout::Clear()
{
    m_bFile = false;
    m_nFrame = 0;
    m_pLabel->clear();
}

void CPositionReadout::Place(const QRect& area)
{
    m_pLabel->setGeometry(area);
}

void CPositionReadout::SetVisible(bool visible)
{
    m_pLabel->setVisible(visible);
}
