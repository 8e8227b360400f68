#pragma once
// CPlayerDlg: the player's only top-level window. From top to bottom: menu bar, video area, metadata
// area, seek slider and the row of seven transport buttons. It owns the open file's playback graph and
// keeps the buttons, slider, menu and title in step with it.
//
// The class is split by job: set-up (player_dlg.cpp), start-up of the media framework and settings
// (player_startup.cpp), command routing and window events (player_commands.cpp), layout and sizing
// (player_layout.cpp), open and close (player_open.cpp), transport, slider and timer
// (player_transport.cpp), the scene commands (player_scenes.cpp).

#include "avi/dv_avi_reader.h"
#include "dvfilter/result_codes.h"
#include "settings/player_settings.h"
#include "ui/window/player_menu.h"
#include "ui/dialogs/progress_popup.h"
#include "ui/dialogs/scan_owner.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CDialogClient;
class CHoverButton;
class CNiceSliderCtrl;
class CPlaybackGraph;
class CVRWindow;

class CPlayerDlg : public QDialog {
public:
    static constexpr std::size_t kPathBufferSize = 261;      // a path of at most 259 characters fits
    static constexpr std::size_t kMaxPathLength = 259;       // what the graph builder accepts
    static constexpr int kTransportButtonCount = 7;

    explicit CPlayerDlg(QWidget* parent = nullptr);
    ~CPlayerDlg() override;
    CPlayerDlg(const CPlayerDlg&) = delete;
    CPlayerDlg& operator=(const CPlayerDlg&) = delete;

    // The start-up steps that follow the window's own set-up: the media framework, the renderer probe,
    // the settings (read and repaired) and the command-line hand-over. commandLineFile is the first
    // argument after the program name, or nullptr. False after a start-up failure has been shown: the
    // window must then close at once.
    bool InitMediaFramework(const char* commandLineFile);
    // True until the command-line hand-over has been posted (it waits for the window's first paint).
    bool HandOverPending() const { return m_bHandOverPending; }

    // The single path every command takes, whatever sent it (menu, accelerator, button, test). False
    // for an id this window does not route.
    bool OnCommand(int id);

    // --- opening and closing
    HRESULT OpenMediaFile(bool skipDialog);
    bool ChooseFile();
    void OnFileOpen();
    void OnOpenCommandLine();
    void OnFileClose();
    void ReleaseGraph();
    void OnExit();
    void ShowGraphError(HRESULT hr, const char* caption, const char* stepText);
    void ShowFileTitle();

    // --- other windows
    void OnOptions();
    void OnAbout();

    // --- transport
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnFrameBackward();
    void OnFrameForward();
    void UpdateSliderPosition();
    void UpdateSliderRange();   // 0 to the last frame of the open file
    void OnTimer(int id);
    void OnHScroll(int code, int position);
    void OnGraphNotify();
    void ShowPlayingState();
    void ShowPausedState();
    void ShowStoppedState();
    void DisableTransport();

    // --- scenes: seek to the start of the scene before or after the current frame. The first use for a
    // file indexes it and scans it for scene changes behind a progress popup.
    void OnPreviousScene();
    void OnNextScene();

    // --- layout
    void LayoutControls();
    void SizeWindowToVideo(int videoWidth, int videoHeight);
    static void CenterWindowOnScreen(QWidget* window);
    void PumpPaintMessages();

    // --- read access (other windows' commands and the tests)
    CPlaybackGraph* Playback() const { return m_pPlayback.get(); }
    CVRWindow* VideoArea() const { return m_pVideo; }
    CVRWindow* MetaArea() const { return m_pMeta; }
    CNiceSliderCtrl* Slider() const { return m_pSlider; }
    CDialogClient* Client() const { return m_pClient; }
    // The transport button with this control id (1004 to 1010), nullptr for any other id.
    CHoverButton* Button(int id) const;
    const CPlayerMenu& Menu() const { return m_menu; }
    const PlayerSettings& Settings() const { return m_settings; }
    unsigned RendererMask() const { return m_nRendererMask; }
    int PositionTimer() const { return m_nPositionTimer; }
    bool SliderIdle() const { return m_bSliderIdle; }
    std::int32_t StateBeforeDrag() const { return m_nStateBeforeDrag; }
    const char* Path() const { return m_szPath; }
    const char* FileTitle() const { return m_szFileTitle; }
    std::int32_t OverlayWidth() const { return m_nOverlayWidth; }
    std::int32_t OverlayHeight() const { return m_nOverlayHeight; }
    CDvAviReader& Reader() { return m_reader; }
    // The popup of the scene scan running now, nullptr when none runs.
    CProgressPopup* Progress() const { return m_pProgress.get(); }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

public:
    // A dialog's OK and Cancel (Enter, Escape) go through the command path, which ignores them.
    void accept() override;
    void reject() override;

private:
    // Set-up steps, in the order the constructor runs them.
    void CreateChildControls();
    void CreateMenuBar();
    void CreateAccelerator();
    void SetIcons();
    void LoadTransportButtons();
    void InitSlider();
    void ResetPlaybackState();
    void PostCommandLineHandOver();

    // Steps of the scene commands (player_scenes.cpp).
    void StepToScene(bool next);
    bool IndexSceneReader();
    bool ScanForScenes();
    void ShowSceneTics();

    // Helpers of the commands.
    bool UsableGraph() const;
    void StartPositionTimer();
    void KillPositionTimer();
    void SetLatched(bool play, bool pause);
    void EnableTransport(bool enabled);
    bool RefuseFile(const char* path);
    bool StorePath(const char* path);
    void RememberFileName();
    void RestoreFileName();
    void PlaceClientArea();
    int MenuBarHeight() const;

    // Window parts (children, owned by Qt's parent chain).
    CDialogClient* m_pClient = nullptr;
    CVRWindow* m_pVideo = nullptr;
    CVRWindow* m_pMeta = nullptr;
    CNiceSliderCtrl* m_pSlider = nullptr;
    std::array<CHoverButton*, kTransportButtonCount> m_buttons{};   // Play, Pause, Stop, Backward Frame,
                                                                    // Forward Frame, Previous, Next Scene
    CPlayerMenu m_menu;
    CDvAviReader m_reader;
    CWidgetScanOwner m_scanOwner;   // the window as owner of the scene scan's boxes
    // The popup of a running scene scan. Only the scene command that made it deletes it: while it exists
    // that command is further up the stack, inside the scan.
    std::unique_ptr<CProgressPopup> m_pProgress;

    // Settings of the run and the renderer availability mask.
    PlayerSettings m_settings;
    unsigned m_nRendererMask = 0;
    std::string m_commandLineFile;
    bool m_bHandOverPending = false;

    // Playback state.
    std::unique_ptr<CPlaybackGraph> m_pPlayback;
    char m_szFileTitle[kPathBufferSize] = {};
    char m_szPath[kPathBufferSize] = {};
    char m_szWindowTitle[kPathBufferSize + 16] = {};
    char m_szPreviousFileTitle[kPathBufferSize] = {};   // restored when a newly chosen file is refused
    char m_szPreviousPath[kPathBufferSize] = {};
    int m_nPositionTimer = 0;
    std::int32_t m_nStateBeforeDrag = 0;
    bool m_bSliderIdle = true;
    std::int32_t m_nOverlayWidth = 700;
    std::int32_t m_nOverlayHeight = 100;
};
