// CPlayerDlg routing: the command-id table every menu item, keyboard shortcut and button goes through (a new
// command is one more row, naming its handler), and the window events (private events, keys, close, move).

#include "ui/window/player_dlg.h"

#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/options_apply.h"
#include "ui/window/command_ids.h"
#include "ui/window/seek_commands.h"
#include "ui/window/vr_window.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace {

struct CommandRoute {
    int id;
    void (CPlayerDlg::*handler)();
};

// OK and Cancel have no handler: Enter and Escape never close the window.
constexpr CommandRoute kCommandRoutes[] = {
    {IDOK, nullptr},
    {IDCANCEL, nullptr},
    {IDC_PLAY, &CPlayerDlg::OnPlay},
    {IDC_STOP, &CPlayerDlg::OnStop},
    {IDC_PAUSE, &CPlayerDlg::OnPause},
    {IDC_FRAME_BACKWARD, &CPlayerDlg::OnFrameBackward},
    {IDC_FRAME_FORWARD, &CPlayerDlg::OnFrameForward},
    {IDC_PREVIOUS_SCENE, &CPlayerDlg::OnPreviousScene},
    {IDC_NEXT_SCENE, &CPlayerDlg::OnNextScene},
    {ID_FILE_OPEN, &CPlayerDlg::OnFileOpen},
    {ID_FILE_CLOSE, &CPlayerDlg::OnFileClose},
    {ID_APP_EXIT, &CPlayerDlg::OnExit},
    {ID_TOOLS_OPTIONS, &CPlayerDlg::OnOptions},
    {ID_HELP_ABOUT, &CPlayerDlg::OnAbout},
    {ID_ACCEL_FILE_OPEN, &CPlayerDlg::OnFileOpen},
    {IDC_META, nullptr},
    {ID_PLAY_PAUSE, &CPlayerDlg::OnPlayPause},
    {ID_VIEW_FULL_SCREEN, &CPlayerDlg::OnFullScreen},
    {ID_LEAVE_FULL_SCREEN, &CPlayerDlg::OnLeaveFullScreen},
    {ID_VIEW_GO_TO, &CPlayerDlg::OnGoTo},
    {ID_VIEW_SCENES, &CPlayerDlg::OnViewScenes},
    {ID_FILE_EXPORT_SCENES, &CPlayerDlg::OnExportScenes},
    {ID_FILE_EXPORT_SUBTITLES, &CPlayerDlg::OnExportSubtitles},
};

const CommandRoute* FindRoute(int id)
{
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.id == id) {
            return &route;
        }
    }
    return nullptr;
}

}  // namespace

// The seek keys have a table of their own (seek_commands.h): one handler takes them all.
bool CPlayerDlg::OnCommand(int id)
{
    const CommandRoute* route = FindRoute(id);
    const bool seek = FindSeekCommand(id) != nullptr;
    if (route == nullptr && !seek) {
        return false;
    }
    // While a scene scan or an export runs the window is disabled and only closing it may act: any other
    // command dispatched by the popup's pump (closing or opening a file above all) would pull the reader
    // out from under it.
    if (Busy() && id != ID_APP_EXIT) {
        return true;
    }
    if (seek) {
        OnSeekCommand(id);
    } else if (route->handler != nullptr) {
        (this->*route->handler)();
    }
    return true;
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
    // A scene scan still running means this close came through the popup's pump, with the scene command and
    // the scan further up the stack: deleting the popup here would pull it out from under them. Cancelling
    // ends the scan at its next poll; the command then deletes the popup and, finding the graph released,
    // touches nothing else. Without an owner the scan shows no "Operation Cancelled" for a closing window.
    m_scenes.CancelForClose();
    // An export ends the same way, at its next poll, and removes what it wrote.
    if (m_pExportProgress) {
        m_pExportProgress->OnCancelClicked();
    }
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
