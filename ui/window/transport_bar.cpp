#include "ui/window/transport_bar.h"

#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/dialog_units.h"
#include "ui/window/transport_buttons.h"

#include <climits>

namespace {

constexpr int kSliderTemplateHeight = 20;   // dialog units
constexpr int kInitialSliderMaximum = 2000;

}  // namespace

void CTransportBar::Create(QWidget* parent, Dispatch dispatch)
{
    m_pSlider = new CNiceSliderCtrl(parent);
    m_pSlider->setObjectName(QStringLiteral("Seek"));
    m_pSlider->setFixedHeight(zv::DialogUnitsToPixelsY(zv::DialogBaseUnits(zv::DialogFont()), kSliderTemplateHeight));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const TransportButton& entry = kTransportButtons[i];
        auto* button = new CHoverButton(parent);
        button->setObjectName(QString::fromUtf8(entry.tooltip));
        button->setFocusPolicy(Qt::StrongFocus);   // tab stop
        QObject::connect(button, &CHoverButton::clicked, parent, [dispatch, id = entry.id] { dispatch(id); });
        m_buttons[i] = button;
    }
    // Tab order follows the row: slider first, then the buttons from left to right.
    QWidget* previous = m_pSlider;
    for (CHoverButton* button : m_buttons) {
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    // The order the strips are loaded in; each load sizes its button to one frame of the strip.
    for (const int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FRAME_FORWARD, IDC_FRAME_BACKWARD, IDC_NEXT_SCENE,
                         IDC_PREVIOUS_SCENE}) {
        const TransportButton* entry = FindTransportButton(id);
        CHoverButton* button = Button(id);
        button->LoadBitmapStrip(entry->strip);
        button->SetTooltipText(entry->tooltip, true);
    }
    m_pSlider->setRange(0, kInitialSliderMaximum);
}

CHoverButton* CTransportBar::Button(int id) const
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (kTransportButtons[i].id == id) {
            return m_buttons[i];
        }
    }
    return nullptr;
}

void CTransportBar::SetLatched(bool play, bool pause)
{
    CHoverButton* playButton = Button(IDC_PLAY);
    CHoverButton* pauseButton = Button(IDC_PAUSE);
    playButton->m_bLatched = play;
    playButton->update();
    pauseButton->m_bLatched = pause;
    pauseButton->update();
}

void CTransportBar::Enable(bool enabled)
{
    for (CHoverButton* button : m_buttons) {
        button->setEnabled(enabled);
    }
    m_pSlider->setEnabled(enabled);
}

void CTransportBar::ShowPlaying()
{
    SetLatched(true, false);
    Enable(true);
}

void CTransportBar::ShowPaused()
{
    SetLatched(false, true);
    Enable(true);
}

void CTransportBar::ShowStopped()
{
    SetLatched(false, false);
    Enable(true);
}

void CTransportBar::Disable()
{
    for (CHoverButton* button : m_buttons) {
        button->setEnabled(false);
    }
    m_pSlider->setValue(0);
    m_pSlider->ClearTics(false);
    m_pSlider->setEnabled(false);
}

void CTransportBar::SetFrameCount(std::int64_t count)
{
    if (count < 1) {
        count = 1;
    }
    const int maximum = count - 1 > INT_MAX ? INT_MAX : static_cast<int>(count - 1);
    m_pSlider->setRange(0, maximum);
}

void CTransportBar::ShowFrame(std::int64_t frame)
{
    m_pSlider->setValue(static_cast<int>(frame));
}

// One repaint of the whole slider shows all the new tick marks.
void CTransportBar::ShowSceneStarts(const std::vector<std::int32_t>& starts)
{
    m_pSlider->ClearTics(false);
    for (const std::int32_t start : starts) {
        m_pSlider->SetTic(start);
    }
    m_pSlider->update();
}

int CTransportBar::RowHeight() const
{
    return Button(IDC_PLAY)->height();
}

int CTransportBar::SliderHeight() const
{
    return m_pSlider->height();
}

void CTransportBar::Place(int width, int rowTop, int margin, ControlStrip& strip)
{
    const int bw = Button(IDC_PLAY)->width();
    const int bh = RowHeight();
    for (std::size_t i = 0; i < kTransportButtons.size(); ++i) {
        const int left = kTransportButtons[i].inset + static_cast<int>(i) * bw;
        m_buttons[i]->setGeometry(left, rowTop, bw, bh);
    }
    for (std::size_t i = 0; i < kSeparatorPlaces.size(); ++i) {
        strip.separators[i] = {kSeparatorPlaces[i].inset + kSeparatorPlaces[i].buttonsBefore * bw, rowTop, bh};
    }
    m_pSlider->setGeometry(margin, rowTop - SliderHeight() - margin, width - 2 * margin, SliderHeight());
}

void CTransportBar::Update()
{
    for (CHoverButton* button : m_buttons) {
        button->update();
    }
    m_pSlider->update();
}

int CTransportBar::RowRight() const
{
    const CHoverButton* last = m_buttons.back();
    return last->x() + last->width();
}

void CTransportBar::SetVisible(bool visible)
{
    for (CHoverButton* button : m_buttons) {
        button->setVisible(visible);
    }
    m_pSlider->setVisible(visible);
}
