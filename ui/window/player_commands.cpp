// CPlayerDlg routing: the command-id table every menu item, accelerator and button goes through, and the
// window events (private events, keys, close, move, timer).

#include "ui/window/player_dlg.h"

#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/options_apply.h"
#include "ui/window/command_ids.h"
#include "ui/window/vr_window.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace {

struct CommandRoute {
    int id;
    void (CPlayerDlg::*handler)();
};

// OK and Cancel have no handler: Enter and Escape never close the window. The scene commands (Previous and
// Next Scene) are not routed here yet: their buttons are enabled with the others but do nothing.
constexpr CommandRoute kCommandRoutes[] = {
    {IDOK, nullptr},
    {IDCANCEL, nullptr},
    {IDC_PLAY, &CPlayerDlg::OnPlay},
    {IDC_STOP, &CPlayerDlg::OnStop},
    {IDC_PAUSE, &CPlayerDlg::OnPause},
    {IDC_FRAME_BACKWARD, &CPlayerDlg::OnFrameBackward},
    {IDC_FRAME_FORWARD, &CPlayerDlg::OnFrameForward},
    {ID_FILE_OPEN, &CPlayerDlg::OnFileOpen},
    {ID_FILE_CLOSE, &CPlayerDlg::OnFileClose},
    {ID_APP_EXIT, &CPlayerDlg::OnExit},
    {ID_TOOLS_OPTIONS, &CPlayerDlg::OnOptions},
    {ID_HELP_ABOUT, &CPlayerDlg::OnAbout},
    {ID_ACCEL_FILE_OPEN, &CPlayerDlg::OnFileOpen},
    {IDC_META, nullptr},
};

}  // namespace

bool CPlayerDlg::OnCommand(int id)
{
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.id == id) {
            if (route.handler != nullptr) {
                (this->*route.handler)();
            }
            return true;
        }
    }
    return false;
}

bool CPlayerDlg::event(QEvent* event)
{
    if (event->type() == kGraphNotifyEvent) {
        OnGraphNotify();
        return true;
    }
    if (event->type() == kOpenCommandLineEvent) {
        OnOpenCommandLine();
        return true;
    }
    return QDialog::event(event);
}

void CPlayerDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        OnCommand(IDCANCEL);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OnCommand(IDOK);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CPlayerDlg::accept()
{
    OnCommand(IDOK);
}

void CPlayerDlg::reject()
{
    OnCommand(IDCANCEL);
}

void CPlayerDlg::closeEvent(QCloseEvent* event)
{
    OnExit();
    event->accept();
}

void CPlayerDlg::OnExit()
{
    ReleaseGraph();
    // Ends the modal run with the OK result, past this window's own OK routing.
    QDialog::done(QDialog::Accepted);
}

void CPlayerDlg::OnOptions()
{
    // The new values take effect at the next open: Options is greyed while a file is open.
    RunOptionsDialog(this, m_settings, m_nRendererMask);
}

void CPlayerDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CPlayerDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // The video overlay draws into the native window directly: after a move it must expose again. The
    // built-in renderer is painted by the window and needs nothing.
    if (m_pPlayback && m_settings.Renderer == 1) {
        m_pVideo->Repaint();
    }
}

void CPlayerDlg::timerEvent(QTimerEvent* event)
{
    OnTimer(event->timerId());
}
