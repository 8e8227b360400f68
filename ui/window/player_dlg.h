#pragma once
// CPlayerDlg: the player's only top-level window. From top to bottom: menu bar, video area, metadata
// area, seek slider and the row of seven transport buttons. It owns the open file's playback graph and
// carries out the player's commands on it; the parts it keeps in step with the graph do one job each:
// the transport bar (buttons and slider), the caption and menu, the position timer, the scene finder.
//
// Every command goes through OnCommand to one handler, whatever sent it (menu, shortcut, button), so a
// new key, menu item or panel calls the same path. The handlers live by job: routing and window events
// (player_commands.cpp), open and close (player_open.cpp), transport and slider (player_transport.cpp),
// scenes (player_scenes.cpp), the exports (player_export.cpp), the seek keys (player_seek.cpp), Go to, the scene panel, full screen, recent
// and dropped files (player_review.cpp); set-up (player_dlg.cpp), start-up (player_startup.cpp), layout
// (player_layout.cpp).

#include "dvfilter/result_codes.h"
#include "export/export_progress.h"
#include "settings/player_settings.h"
#include "ui/window/frame_pacer.h"
#include "ui/window/file_caption.h"
#include "ui/window/file_names.h"
#include "ui/window/player_menu.h"
#include "ui/window/position_readout.h"
#include "ui/window/recent_files_menu.h"
#include "ui/window/scene_finder.h"
#include "ui/window/scene_panel.h"
#include "ui/window/transport_bar.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CDialogClient;
class CFullScreen;
class CPlaybackGraph;
class CPositionTimer;
class CVRWindow;

class CPlayerDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPlayerDlg(QWidget* parent = nullptr);
    ~CPlayerDlg() override;
    CPlayerDlg(const CPlayerDlg&) = delete;
    CPlayerDlg& operator=(const CPlayerDlg&) = delete;

    // The start-up steps that follow the window's own set-up: the media framework, the renderer probe,
    // the settings (read and repaired) and the command-line hand-over. commandLineFile is the first
    // argument after the program name, or nullptr. False after a start-up failure has been shown: the
    // window must then close at once.
    bool InitMediaFramework(const char* commandLineFile);

    // The single path every command takes. False for an id this window does not route.
    bool OnCommand(int id);

    // --- the commands, one handler each
    void OnFileOpen();
    void OnOpenCommandLine();
    void OnFileClose();
    void OnExit();
    void OnOptions();
    void OnAbout();
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnFrameBackward();
    void OnFrameForward();
    // Seek to the start of the scene before or after the current frame. The first use for a file indexes
    // it and scans it for scene changes behind a progress popup.
    void OnPreviousScene();
    void OnNextScene();
    // Space: Play when paused or stopped, Pause when playing.
    void OnPlayPause();
    // The seek keys (seek_commands.h): to a frame exactly, paused or running as before.
    void OnSeekCommand(int id);
    // F, F11, a double-click on the picture: full screen or back; Escape: back only.
    void OnFullScreen();
    void OnLeaveFullScreen();
    // Ctrl+G: a frame number, a position or a recording date and time to go to.
    void OnGoTo();
    // View > Scenes: the scene panel, scanning the file first when it has not been scanned.
    void OnViewScenes();
    // File > Export: one file per scene in a chosen folder (scanning first when not done), and the
    // recording date and time as subtitles. Playback pauses while they run.
    void OnExportScenes();
    void OnExportSubtitles();
    // The slider's notifications (TB_THUMBTRACK, TB_ENDTRACK act) and the graph's.
    void OnHScroll(int code, int position);
    void OnGraphNotify();

    // Opens the file at path as the command line does, without the file dialog; the file that plays
    // goes on playing when path is refused.
    void OpenFile(const char* path);

    // --- layout: every child placed for the client size; the window sized so that the video area gets
    // exactly videoWidth x videoHeight (moved and cut down to stay on the screen).
    void LayoutControls();
    void SizeWindowToVideo(int videoWidth, int videoHeight);

    // --- read access for the window's dialogs and panels
    // The open file's graph, nullptr while no file is open.
    CPlaybackGraph* Playback() const { return m_pPlayback.get(); }
    const PlayerSettings& Settings() const { return m_settings; }
    unsigned RendererMask() const { return m_nRendererMask; }

signals:
    // A file has opened and plays; the window has gone back to no file (closed, or an open that failed).
    void fileOpened(const QString& path);
    void fileClosed();

protected:
    bool event(QEvent* event) override;
    // A file dropped on the window opens as File > Open would open it; of several, the first.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // A dialog's OK and Cancel (Enter, Escape) go through the command path, which ignores them.
    void accept() override;
    void reject() override;

private:
    // Set-up steps, in the order the constructor runs them.
    void CreateChildControls();
    void CreateMenuBar();
    void ResetPlaybackState();
    void PostCommandLineHandOver();

    // Steps of the open sequence (player_open.cpp).
    HRESULT OpenMediaFile(bool skipDialog);
    bool ChooseFile();
    bool StorePath(const char* path);
    HRESULT BuildAndPause();
    void ShowOpenedFile();
    void ShowGraphError(HRESULT hr, const char* caption, const char* stepText);
    void ReleaseGraph();

    // Steps of the transport and scene commands.
    bool UsableGraph() const;
    void UpdateSliderPosition();
    void UpdateSliderRange();   // 0 to the last frame of the open file
    void StepOneFrame(bool forward);
    void StepToScene(bool next);
    bool ScanForScenes();
    // Indexes and scans the playing file unless done; false when that failed or the window closed meanwhile.
    bool EnsureScenesScanned();

    // Steps of the exports (player_export.cpp).
    void RunPaused(const std::function<void()>& exportCommand);
    void ExportScenes();
    void ExportSubtitles();
    zv::ExportOutcome RunExport(const char* message, const std::function<zv::ExportOutcome(zv::IExportProgress*)>& work);
    void ReportExport(zv::ExportOutcome outcome, const std::string& error, const std::string& done, const char* title);
    // True while a scan or an export pumps events behind its popup: commands wait, but closing.
    bool Busy() const { return m_scenes.Scanning() || m_pExportProgress != nullptr; }

    // Steps of the seek keys, Go to and the scene panel (player_seek.cpp, player_review.cpp).
    // Pauses a running graph for a seek: true when it was running and must be resumed with OnPlay.
    bool PauseForSeek();
    void SeekKeepingState(std::int64_t frame);
    void ShowPosition(std::int64_t frame);
    TimecodeRate PlaybackRate() const;
    std::int64_t PlaybackFrameCount() const;
    void GoTo(const QString& text);
    void GoToRecordedAt(std::int64_t seconds);
    void FillScenePanel();
    void OpenRecentFile(const QString& path);
    void CreateReviewParts();
    // Layout helpers.
    void PlaceClientArea();
    int MenuBarHeight() const;
    void LayoutFullScreen();
    void PositionRenderers(const QRect& video, int metaHeight);

    // Window parts (children, owned by Qt's parent chain) and the helpers that keep them.
    CDialogClient* m_pClient = nullptr;
    CVRWindow* m_pVideo = nullptr;
    CVRWindow* m_pMeta = nullptr;
    CPositionTimer* m_pPositionTimer = nullptr;
    CTransportBar m_transport;
    CPlayerMenu m_menu;
    CFileCaption m_caption;
    CSceneFinder m_scenes;
    CPositionReadout m_readout;
    CRecentFilesMenu m_recent;
    CScenePanel m_scenePanel;
    CFullScreen* m_pFullScreen = nullptr;
    // Exists while an export runs; only RunExport deletes it (the export is further up the stack).
    std::unique_ptr<CProgressPopup> m_pExportProgress;

    // Settings of the run and the renderer availability mask.
    PlayerSettings m_settings;
    unsigned m_nRendererMask = 0;
    std::string m_commandLineFile;
    bool m_bHandOverPending = false;

    // Playback state. The pacer outlives the graph whose renderers it paces.
    CFramePacer m_framePacer;
    std::unique_ptr<CPlaybackGraph> m_pPlayback;
    CFileNames m_names;
    std::int32_t m_nStateBeforeDrag = 0;
    bool m_bSliderIdle = true;
    std::int32_t m_nOverlayWidth = 700;    // the metadata strip asked of the next build; its height is
    std::int32_t m_nOverlayHeight = 100;   // the metadata area's
};
