// CPlayerDlg layout: where every child sits for a client size, and the window sized to a video.
//
// The client area (below the menu bar) is, from the bottom: 10 pixels margin, the button row, 10 pixels,
// the slider, 10 pixels, the metadata area, and the video area takes the rest.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/window/dialog_client.h"
#include "ui/window/full_screen.h"
#include "ui/window/paint_pump.h"
#include "ui/window/vr_window.h"
#include "ui/window/window_placement.h"

#include <QMenuBar>
#include <QResizeEvent>

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

}  // namespace

int CPlayerDlg::MenuBarHeight() const
{
    const QMenuBar* bar = m_menu.Bar();
    return bar != nullptr && bar->isVisibleTo(this) ? bar->sizeHint().height() : 0;
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
    const bool fullScreen = m_pFullScreen != nullptr && m_pFullScreen->Active();
    m_transport.SetVisible(!fullScreen);
    m_readout.SetVisible(!fullScreen);
    if (fullScreen) {
        LayoutFullScreen();
        return;
    }
    const int W = m_pClient->width();
    const int H = m_pClient->height();
    const int sh = m_transport.SliderHeight();
    const int mh = m_nOverlayHeight;

    // Buttons, separator lines and slider; then the metadata area and the video area above them.
    const int yb = H - m_transport.RowHeight() - kMargin;
    ControlStrip strip;
    m_transport.Place(W, yb, kMargin, strip);
    const int readoutLeft = m_transport.RowRight() + kMargin;
    m_readout.Place(QRect(readoutLeft, yb, W - readoutLeft - kMargin, m_transport.RowHeight()));
    const int ym = yb - sh - kMargin - mh - kMargin;
    m_pMeta->setGeometry(0, ym, W, mh);
    m_pVideo->setGeometry(0, 0, W, ym);

    // The strip under the controls, painted at once.
    strip.rect = QRect(0, ym + mh, W, H - (ym + mh) + 1);
    m_pClient->SetStrip(strip);
    m_pClient->repaint(strip.rect);

    m_pMeta->update();
    m_pVideo->update();
    m_transport.Update();
    PumpPaintMessages();

    // The renderers are told their new rectangles only after the controls have repainted.
    PositionRenderers(QRect(0, 0, W, ym), mh);
}

void CPlayerDlg::PositionRenderers(const QRect& video, int metaHeight)
{
    if (m_pPlayback && m_pPlayback->VideoControl() != nullptr) {
        PositionRenderer(m_pPlayback->VideoControl(), video);
        PositionRenderer(m_pPlayback->MetaControl(), QRect(0, 0, video.width(), metaHeight));
    }
}

// Full screen: the picture above the strip, together letter-boxed on the screen; nothing else shows.
void CPlayerDlg::LayoutFullScreen()
{
    const int W = m_pClient->width();
    const int H = m_pClient->height();
    std::int32_t arWidth = 4;
    std::int32_t arHeight = 3;
    if (m_pPlayback && (FAILED(m_pPlayback->GetVideoAspectRatio(&arWidth, &arHeight)) || arWidth <= 0 || arHeight <= 0)) {
        arWidth = 4;
        arHeight = 3;
    }
    const int mh = FullScreenStripHeight(QSize(W, H), QSize(arWidth, arHeight), QSize(m_nOverlayWidth, m_nOverlayHeight));
    m_pVideo->setGeometry(0, 0, W, H - mh);
    m_pMeta->setGeometry(0, H - mh, W, mh);
    m_pClient->SetStrip(ControlStrip{});
    m_pVideo->update();
    m_pMeta->update();
    PumpPaintMessages();
    PositionRenderers(QRect(0, 0, W, H - mh), mh);
}

void CPlayerDlg::SizeWindowToVideo(int videoWidth, int videoHeight)
{
    // A full screen keeps its size; the new picture is laid out on it.
    if (m_pFullScreen != nullptr && m_pFullScreen->Active()) {
        LayoutControls();
        return;
    }
    // Qt places the menu bar inside the dialog: the frame's extra over the dialog and the menu bar
    // together are what the window adds around the client area.
    PlaceClientArea();
    const int bh = m_transport.RowHeight();
    const int sh = m_transport.SliderHeight();
    const QRect frame = frameGeometry();
    const QRect fitted = FitOnScreen(QRect(frame.left(), frame.top(), frame.width() - m_pClient->width() + videoWidth,
                                           frame.height() - m_pClient->height() + videoHeight + m_nOverlayHeight
                                               + sh + bh + 3 * kMargin));

    // move() places the frame; resize() sizes the dialog inside the frame.
    const int frameExtraWidth = frame.width() - width();
    const int frameExtraHeight = frame.height() - height();
    move(fitted.left(), fitted.top());
    resize(fitted.width() - frameExtraWidth, fitted.height() - frameExtraHeight);
    PlaceClientArea();
    LayoutControls();
}
