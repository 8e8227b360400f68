// CPlayerDlg's construction: the window part of the initialisation, as a sequence of named steps.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/controls/hover_button.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/app_icon.h"
#include "ui/window/command_ids.h"
#include "ui/window/dialog_client.h"
#include "ui/dialogs/dialog_template.h"
#include "ui/dialogs/dialog_units.h"
#include "ui/window/message_box.h"
#include "ui/window/transport_buttons.h"
#include "ui/window/vr_window.h"

#include <QShortcut>

namespace {

constexpr int kSliderTemplateHeight = 20;   // dialog units
constexpr int kInitialSliderMaximum = 2000;
constexpr int kInitialVideoWidth = 360;
constexpr int kInitialVideoHeight = 240;

}  // namespace

CPlayerDlg::CPlayerDlg(QWidget* parent) : QDialog(parent), m_scanOwner(nullptr, &CurrentMessagePresenter())
{
    // A resizable top-level window with caption, system menu, minimise and maximise boxes, in the taskbar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    CreateChildControls();
    CreateMenuBar();
    CreateAccelerator();
    SetIcons();
    LoadTransportButtons();
    InitSlider();
    ResetPlaybackState();
    SizeWindowToVideo(kInitialVideoWidth, kInitialVideoHeight);
    m_menu.Enable(ID_FILE_CLOSE, false);
    m_menu.Enable(ID_TOOLS_OPTIONS, true);
    setWindowTitle(QStringLiteral("Zenk Vuvaz"));
    DisableTransport();
    m_nPositionTimer = 0;
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
    m_pMeta = new CVRWindow(m_pClient);
    m_pSlider = new CNiceSliderCtrl(m_pClient);
    m_pSlider->setFixedHeight(zv::DialogUnitsToPixelsY(zv::DialogBaseUnits(zv::DialogFont()), kSliderTemplateHeight));
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const TransportButton& entry = kTransportButtons[i];
        CHoverButton* button = new CHoverButton(m_pClient);
        button->setFocusPolicy(Qt::StrongFocus);   // tab stop
        QObject::connect(button, &CHoverButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        m_buttons[i] = button;
    }
    // Tab order follows the row: slider first, then the buttons from left to right.
    QWidget* previous = m_pSlider;
    for (CHoverButton* button : m_buttons) {
        setTabOrder(previous, button);
        previous = button;
    }
}

void CPlayerDlg::CreateMenuBar()
{
    m_menu.Build(this, [this](int id) { OnCommand(id); });
}

void CPlayerDlg::CreateAccelerator()
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, this, [this] {
        // While a modal window has disabled the main window, the accelerator does nothing.
        if (isEnabled()) {
            OnCommand(ID_ACCEL_FILE_OPEN);
        }
    });
}

void CPlayerDlg::SetIcons()
{
    setWindowIcon(AppIcon());
}

void CPlayerDlg::LoadTransportButtons()
{
    // The order the strips are loaded in; each load sizes its button to one frame of the strip.
    for (const int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_FRAME_FORWARD, IDC_FRAME_BACKWARD, IDC_NEXT_SCENE,
                         IDC_PREVIOUS_SCENE}) {
        const TransportButton* entry = FindTransportButton(id);
        CHoverButton* button = Button(id);
        button->LoadBitmapStrip(entry->strip);
        button->SetTooltipText(entry->tooltip, true);
    }
}

void CPlayerDlg::InitSlider()
{
    m_pSlider->setRange(0, kInitialSliderMaximum);
}

void CPlayerDlg::ResetPlaybackState()
{
    m_bSliderIdle = true;
    m_pClient->SetStrip(ControlStrip{});
    m_nOverlayWidth = 700;
    m_nOverlayHeight = 100;
}

CHoverButton* CPlayerDlg::Button(int id) const
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (kTransportButtons[i].id == id) {
            return m_buttons[i];
        }
    }
    return nullptr;
}
