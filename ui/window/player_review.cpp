// CPlayerDlg review aids: full screen, Go to, the scene panel, File > Recent Files and dropped files. Each
// goes through the same paths as the commands it stands beside: opening through OpenFile, seeking through
// SeekKeepingState, scanning through the scene commands' scan.

#include "ui/window/player_dlg.h"

#include "playback/playback_graph.h"
#include "ui/window/command_ids.h"
#include "ui/window/dialog_client.h"
#include "ui/window/full_screen.h"
#include "ui/window/goto_dialog.h"
#include "ui/window/goto_target.h"
#include "ui/window/message_box.h"
#include "ui/window/recorded_at.h"
#include "ui/window/vr_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

namespace {

// The first dropped item that is a local file, empty when there is none.
QString FirstLocalFile(const QMimeData* data)
{
    if (data == nullptr) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

}  // namespace

void CPlayerDlg::CreateReviewParts()
{
    m_readout.Create(m_pClient);
    m_pFullScreen = new CFullScreen(this, m_pVideo, [this](int id) { OnCommand(id); });
    m_scenePanel.Create(this, [this](std::int64_t frame) {
        // The panel is a window of its own: its clicks are commands too, and wait for a scan like any.
        if (!Busy()) {
            SeekKeepingState(frame);
        }
    });
    m_recent.Attach(m_menu.RecentFiles(), [this](const QString& path) { OpenRecentFile(path); });
    QObject::connect(this, &CPlayerDlg::fileOpened, this, [this](const QString& path) {
        m_recent.Add(path);
        // A panel left open lists the new file's scenes as soon as the open has finished.
        if (m_scenePanel.Visible()) {
            QTimer::singleShot(0, this, [this] { OnCommand(ID_VIEW_SCENES); });
        }
    });
    setAcceptDrops(true);
}

void CPlayerDlg::OnFullScreen()
{
    if (m_pFullScreen->Active()) {
        m_pFullScreen->Leave();
    } else {
        m_pFullScreen->Enter();
    }
    // The menu bar first: the client area is placed below whatever bar shows.
    m_menu.Bar()->setVisible(!m_pFullScreen->Active());
    PlaceClientArea();
}

void CPlayerDlg::OnLeaveFullScreen()
{
    if (m_pFullScreen->Active()) {
        OnFullScreen();
    }
}

void CPlayerDlg::OnGoTo()
{
    if (!UsableGraph()) {
        return;
    }
    CGoToDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted && UsableGraph()) {
        GoTo(dialog.Text());
    }
}

void CPlayerDlg::GoTo(const QString& text)
{
    const std::string typed = text.trimmed().toStdString();
    const std::optional<GoToTarget> target = ParseGoToTarget(typed, PlaybackRate());
    if (!target) {
        const std::string message = "\"" + typed + "\" is neither a frame number, a position h:mm:ss:ff nor a recording "
                                    "date and time such as 2024-07-08 19:55:58.";
        ShowErrorBox(this, message.c_str(), "Go to");
        return;
    }
    if (target->kind == GoToTarget::Kind::RecordedAt) {
        GoToRecordedAt(target->value);
        return;
    }
    const std::int64_t count = PlaybackFrameCount();
    if (target->value >= count) {
        const std::string message = "There is no frame " + std::to_string(target->value) + ": the file has "
                                  + std::to_string(count) + " frames, 0 to " + std::to_string(count - 1) + ".";
        ShowErrorBox(this, message.c_str(), "Go to");
        return;
    }
    SeekKeepingState(target->value);
}

// The scan runs paused, as for the scene commands, and playback resumes after the seek.
void CPlayerDlg::GoToRecordedAt(std::int64_t seconds)
{
    const bool resume = PauseForSeek();
    if (EnsureScenesScanned()) {
        const std::int64_t frame = zv::FirstFrameRecordedAtOrAfter(m_scenes.RecordingMarks(), seconds);
        if (frame < 0) {
            const std::string message = "No frame of this file was recorded at or after " + FormatRecordedAt(seconds)
                                      + ".";
            ShowErrorBox(this, message.c_str(), "Go to");
        } else {
            SeekKeepingState(frame);
        }
    }
    if (resume) {
        OnPlay();
    }
}

void CPlayerDlg::OnViewScenes()
{
    m_scenePanel.Show();
    if (!UsableGraph() || m_scenes.Scanned()) {
        return;
    }
    const bool resume = PauseForSeek();
    EnsureScenesScanned();
    if (resume) {
        OnPlay();
    }
}

void CPlayerDlg::FillScenePanel()
{
    m_scenePanel.Fill(SceneRows(m_scenes.SceneStarts(), m_scenes.FrameCount(), m_scenes.RecordingMarks()));
    std::int64_t frame = 0;
    if (UsableGraph() && SUCCEEDED(m_pPlayback->GetCurrentFrame(&frame))) {
        m_scenePanel.ShowFrame(frame);
    }
}

void CPlayerDlg::OpenRecentFile(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        m_recent.Remove(path);
        const std::string message = "The file " + path.toStdString()
                                  + " no longer exists. It has been removed from the list of recent files.";
        ShowErrorBox(this, message.c_str(), "Recent Files");
        return;
    }
    OpenFile(QFile::encodeName(path).constData());
}

void CPlayerDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!FirstLocalFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

// The open runs after the drop has been answered: the file manager is not kept waiting on the build.
void CPlayerDlg::dropEvent(QDropEvent* event)
{
    const QString path = FirstLocalFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, path] { OpenFile(QFile::encodeName(path).constData()); });
}
