// CPlayerDlg's construction: the window part of the initialisation, as a sequence of named steps.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/window/app_icon.h"
#include "ui/window/dialog_client.h"
#include "ui/window/keyboard_shortcuts.h"
#include "ui/window/position_timer.h"
#include "ui/window/vr_window.h"

#include <QApplication>

namespace {

constexpr int kInitialVideoWidth = 360;
constexpr int kInitialVideoHeight = 240;

}  // namespace

CPlayerDlg::CPlayerDlg(QWidget* parent) : QDialog(parent), m_caption(this, m_menu), m_scenes(this)
{
    // A resizable top-level window with caption, system menu, minimise and maximise boxes, in the taskbar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    CreateChildControls();
    CreateMenuBar();
    CreateReviewParts();
    InstallKeyboardShortcuts(this, [this](int id) { OnCommand(id); });
    // A window without an icon of its own shows the application's: a second copy would hold its four
    // pictures again (a quarter of a megabyte). Set here only where no program start set that one.
    if (QApplication::windowIcon().isNull()) {
        setWindowIcon(AppIcon());
    }
    ResetPlaybackState();
    SizeWindowToVideo(kInitialVideoWidth, kInitialVideoHeight);
    m_caption.ShowNoFile();
    m_transport.Disable();
}

CPlayerDlg::~CPlayerDlg()
{
    // The areas must not keep a pointer into a graph that is going away.
    ReleaseGraph();
}

void CPlayerDlg::CreateChildControls()
{
    m_pClient = new CDialogClient(this);
    m_pClient->SetResizeHandler([this] {
        if (m_pVideo != nullptr) {
            LayoutControls();
        }
    });
    m_pClient->SetScrollHandler([this](int code, int position) { OnHScroll(code, position); });
    m_pClient->SetFirstPaintHandler([this] { PostCommandLineHandOver(); });

    m_pVideo = new CVRWindow(m_pClient);
    m_pVideo->setObjectName(QStringLiteral("Video"));
    m_pMeta = new CVRWindow(m_pClient);
    m_pMeta->setObjectName(QStringLiteral("Metadata"));
    m_transport.Create(m_pClient, [this](int id) { OnCommand(id); });

    m_pPositionTimer = new CPositionTimer(this);
    QObject::connect(m_pPositionTimer, &CPositionTimer::tick, this, [this] { UpdateSliderPosition(); });
}

void CPlayerDlg::CreateMenuBar()
{
    m_menu.Build(this, [this](int id) { OnCommand(id); });
}

void CPlayerDlg::ResetPlaybackState()
{
    m_bSliderIdle = true;
    m_pClient->SetStrip(ControlStrip{});
    m_nOverlayWidth = 700;
    m_nOverlayHeight = 100;
}
