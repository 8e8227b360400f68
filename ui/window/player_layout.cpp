// CPlayerDlg layout: where every child sits for a client size, the window sized to a video, centring a
// window on the screen, and the synchronous repaint the layout relies on.
//
// The client area (below the menu bar) is, from the bottom: 10 pixels margin, the button row, 10 pixels,
// the slider, 10 pixels, the metadata area, and the video area takes the rest.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/dialog_client.h"
#include "ui/window/transport_buttons.h"
#include "ui/window/vr_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>

namespace {

constexpr int kMargin = 10;

// The picture of a renderer fills destination, letter-boxed by the renderer itself; source is the whole
// native picture. A renderer that has no picture yet keeps its previous rectangles.
void PositionRenderer(IWindowlessControl* control, const QRect& destination)
{
    if (control == nullptr) {
        return;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (FAILED(control->GetNativeVideoSize(&width, &height))) {
        return;
    }
    const QRect source(0, 0, width, height);
    control->SetVideoPosition(&source, &destination);
}

QRect PrimaryScreenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 0, 0);
}

}  // namespace

int CPlayerDlg::MenuBarHeight() const
{
    const QMenuBar* bar = m_menu.Bar();
    return bar != nullptr ? bar->sizeHint().height() : 0;
}

void CPlayerDlg::PlaceClientArea()
{
    const int menuHeight = MenuBarHeight();
    if (QMenuBar* bar = m_menu.Bar()) {
        bar->setGeometry(0, 0, width(), menuHeight);
    }
    // The client area's resize handler runs the layout.
    m_pClient->setGeometry(0, menuHeight, width(), height() - menuHeight);
}

void CPlayerDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceClientArea();
}

void CPlayerDlg::LayoutControls()
{
    const int W = m_pClient->width();
    const int H = m_pClient->height();
    CHoverButton* play = Button(IDC_PLAY);
    const int bw = play->width();
    const int bh = play->height();
    const int sh = m_pSlider->height();
    const int mh = m_nOverlayHeight;

    // Buttons and separator lines.
    const int yb = H - bh - kMargin;
    for (std::size_t i = 0; i < kTransportButtons.size(); ++i) {
        const int left = kTransportButtons[i].inset + static_cast<int>(i) * bw;
        m_buttons[i]->setGeometry(left, yb, bw, bh);
    }
    ControlStrip strip;
    for (std::size_t i = 0; i < kSeparatorPlaces.size(); ++i) {
        strip.separators[i] = {kSeparatorPlaces[i].inset + kSeparatorPlaces[i].buttonsBefore * bw, yb, bh};
    }

    // Slider, metadata area, video area.
    m_pSlider->setGeometry(kMargin, yb - sh - kMargin, W - 2 * kMargin, sh);
    const int ym = yb - sh - kMargin - mh - kMargin;
    m_pMeta->setGeometry(0, ym, W, mh);
    m_pVideo->setGeometry(0, 0, W, ym);

    // The strip under the controls, painted at once.
    strip.rect = QRect(0, ym + mh, W, H - (ym + mh) + 1);
    m_pClient->SetStrip(strip);
    m_pClient->repaint(strip.rect);

    m_pMeta->update();
    m_pVideo->update();
    for (CHoverButton* button : m_buttons) {
        button->update();
    }
    m_pSlider->update();
    PumpPaintMessages();

    // The renderers are told their new rectangles only after the controls have repainted.
    if (m_pPlayback && m_pPlayback->VideoControl() != nullptr) {
        PositionRenderer(m_pPlayback->VideoControl(), QRect(0, 0, W, ym));
        PositionRenderer(m_pPlayback->MetaControl(), QRect(0, 0, W, mh));
    }
}

void CPlayerDlg::SizeWindowToVideo(int videoWidth, int videoHeight)
{
    // Qt places the menu bar inside the dialog: the frame's extra over the dialog and the menu bar
    // together are what the window adds around the client area.
    PlaceClientArea();
    const int bh = Button(IDC_PLAY)->height();
    const int sh = m_pSlider->height();
    const int cw = m_pClient->width();
    const int ch = m_pClient->height();
    const QRect frame = frameGeometry();

    int left = frame.left();
    int top = frame.top();
    int windowWidth = frame.width() - cw + videoWidth;
    int windowHeight = frame.height() - ch + videoHeight + m_nOverlayHeight + sh + bh + 3 * kMargin;

    const QRect screen = PrimaryScreenRect();
    if (left + windowWidth > screen.width()) {
        left = screen.width() - windowWidth;
        if (left < 0) {
            left = 0;
            windowWidth = screen.width();
        }
    }
    if (top + windowHeight > screen.height()) {
        top = screen.height() - windowHeight;
        if (top < 0) {
            top = 0;
            windowHeight = screen.height();
        }
    }

    // move() places the frame; resize() sizes the dialog inside the frame.
    const int frameExtraWidth = frame.width() - width();
    const int frameExtraHeight = frame.height() - height();
    move(left, top);
    resize(windowWidth - frameExtraWidth, windowHeight - frameExtraHeight);
    PlaceClientArea();
    LayoutControls();
}

void CPlayerDlg::CenterWindowOnScreen(QWidget* window)
{
    if (window == nullptr) {
        return;
    }
    const QRect reference = PrimaryScreenRect();
    const QRect frame = window->frameGeometry();
    const int ww = frame.width();
    const int wh = frame.height();

    int x = (reference.width() - ww) / 2 + reference.left();
    if (x < 0) {
        x = 0;
    } else if (x + ww > reference.width()) {
        x = reference.width() - ww;
    }
    int y = (reference.height() - wh) / 2 + reference.top();
    if (y < 0) {
        y = 0;
    } else if (y + wh > reference.height()) {
        y = reference.height() - wh;
    }
    window->move(x, y);
}

void CPlayerDlg::PumpPaintMessages()
{
    // Pending repaints only: no input, timer or graph event is handled here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
}
