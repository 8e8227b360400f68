// CPlayerDlg opening and closing a file: the file dialog, the command-line hand-over, the file check, the
// graph's construction and first pause, and taking it all down again.

#include "ui/window/player_dlg.h"

#include "avi/dv_avi_check.h"
#include "avi/file_name.h"
#include "playback/playback_graph.h"
#include "ui/controls/nice_slider_ctrl.h"
#include "ui/window/command_ids.h"
#include "ui/window/input_discard.h"
#include "ui/window/message_box.h"
#include "ui/window/vr_window.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QSize>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr const char* kUnableToOpen = "Unable to open the requested file:\r\n\r\n%s";

// The video area a picture opens in. A 4:3 frame gets its own size: its pixels are within a few per cent of
// square, and the letter-boxing takes up the difference in thin bars. A picture meant wider than 3:2 (16:9)
// would lose a third of the area to bars at its frame size, so it gets its full display width at the
// frame's height.
QSize VideoAreaFor(std::int32_t width, std::int32_t height, std::int32_t arWidth, std::int32_t arHeight)
{
    if (arWidth <= 0 || arHeight <= 0 || std::int64_t{arWidth} * 2 <= std::int64_t{arHeight} * 3) {
        return QSize(width, height);
    }
    const std::int64_t displayWidth = (std::int64_t{height} * arWidth + arHeight / 2) / arHeight;
    return QSize(std::max(width, static_cast<int>(displayWidth)), height);
}

// printf-style formatting of one path into a message; the path is never cut.
std::string FormatWithPath(const char* format, const char* path)
{
    const int length = std::snprintf(nullptr, 0, format, path);
    if (length < 0) {
        return format;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, path);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// The wait cursor for as long as the open sequence runs.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void CopyText(char* destination, std::size_t size, const char* source)
{
    std::snprintf(destination, size, "%s", source);
}

// The detail line holds at most 159 bytes, cut before a UTF-8 continuation byte so no character breaks.
std::string DetailLine(std::string detail)
{
    constexpr std::size_t kDetailMax = 159;
    if (detail.size() > kDetailMax) {
        std::size_t cut = kDetailMax;
        while (cut > 0 && (static_cast<unsigned char>(detail[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        detail.resize(cut);
    }
    return detail;
}

}  // namespace

void CPlayerDlg::OnFileOpen()
{
    if (OpenMediaFile(false) != 0) {
        OnFileClose();
    }
}

void CPlayerDlg::RememberFileName()
{
    CopyText(m_szPreviousPath, sizeof m_szPreviousPath, m_szPath);
    CopyText(m_szPreviousFileTitle, sizeof m_szPreviousFileTitle, m_szFileTitle);
}

void CPlayerDlg::RestoreFileName()
{
    CopyText(m_szPath, sizeof m_szPath, m_szPreviousPath);
    CopyText(m_szFileTitle, sizeof m_szFileTitle, m_szPreviousFileTitle);
}

bool CPlayerDlg::StorePath(const char* path)
{
    // A longer path does not fit the buffer and the graph builder would refuse it anyway: say so with
    // the whole path rather than open a shortened one.
    if (std::strlen(path) > kMaxPathLength) {
        errno = ENAMETOOLONG;
        ShowLastErrorBox(this, FormatWithPath(kUnableToOpen, path).c_str());
        return false;
    }
    RememberFileName();
    CopyText(m_szPath, sizeof m_szPath, path);
    CopyText(m_szFileTitle, sizeof m_szFileTitle, FileNameFromPath(path));
    return true;
}

bool CPlayerDlg::ChooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Select file to play..."));
    // A Qt-drawn dialog, so that it can be centred on the screen like every window of the player.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("All (*.*)"), QStringLiteral("AVI (*.AVI)")});
    dialog.selectNameFilter(QStringLiteral("AVI (*.AVI)"));
    // "*.AVI" must match clip.avi as well: name filters compare without regard to case.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    // Centred once it has its size, as the dialog's initialisation would do it.
    QTimer::singleShot(0, &dialog, [&dialog] { CPlayerDlg::CenterWindowOnScreen(&dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QByteArray path = QFile::encodeName(dialog.selectedFiles().constFirst());
    return StorePath(path.constData());
}

void CPlayerDlg::OnOpenCommandLine()
{
    if (!StorePath(m_commandLineFile.c_str())) {
        return;
    }
    if (OpenMediaFile(true) != 0) {
        OnFileClose();
    }
}

bool CPlayerDlg::RefuseFile(const char* path)
{
    const DvAviCheckResult result = CheckDvAviFile(path);
    if (result == Recognised) {
        return false;
    }
    // errno is still the check's: nothing may run between it and the box.
    const std::string text = FormatWithPath(DvAviCheckMessage(result), path);
    if (DvAviCheckNeedsSystemText(result)) {
        ShowLastErrorBox(this, text.c_str());
    } else {
        ShowErrorBox(this, text.c_str(), "Error!");
    }
    return true;
}

HRESULT CPlayerDlg::OpenMediaFile(bool skipDialog)
{
    if (!skipDialog && !ChooseFile()) {
        return 0;
    }
    if (RefuseFile(m_szPath)) {
        // The file that was playing goes on playing, and the names stay its own.
        RestoreFileName();
        return 0;
    }

    WaitCursor wait;
    if (m_pPlayback) {
        OnFileClose();
    }
    PumpPaintMessages();

    m_pPlayback.reset(new (std::nothrow) CPlaybackGraph());
    if (!m_pPlayback) {
        return E_FAIL;
    }
    m_pPlayback->m_hwndVideo = m_pVideo;
    m_pPlayback->m_hwndMeta = m_pMeta;
    m_pPlayback->m_hwndNotify = this;
    m_pPlayback->m_uNotifyMsg = WM_APP_GRAPH_NOTIFY;

    if (m_settings.DvDecoderRes == 1) {
        m_nOverlayWidth = 350;
        m_nOverlayHeight = 50;
    } else {
        m_nOverlayWidth = 700;
        m_nOverlayHeight = 100;
    }

    HRESULT hr = m_pPlayback->BuildGraph(m_szPath, m_settings.Renderer, m_settings.DvDecoderRes,
                                         m_settings.DateFormat, m_nOverlayWidth, m_nOverlayHeight);
    if (FAILED(hr)) {
        ShowGraphError(hr, "Error Building Filter Graph", m_pPlayback->m_szError);
        return E_FAIL;
    }
    m_pVideo->SetPlayback(m_pPlayback.get());
    m_pMeta->SetPlayback(m_pPlayback.get());

    hr = m_pPlayback->Pause();
    if (FAILED(hr)) {
        ShowGraphError(hr, "Error initially pausing filter graph", m_pPlayback->m_szError);
        return E_FAIL;
    }

    std::int32_t videoWidth = 0;
    std::int32_t videoHeight = 0;
    if (SUCCEEDED(m_pPlayback->GetNativeVideoSize(&videoWidth, &videoHeight))) {
        std::int32_t arWidth = 0;
        std::int32_t arHeight = 0;
        if (FAILED(m_pPlayback->GetVideoAspectRatio(&arWidth, &arHeight))) {
            arWidth = arHeight = 0;
        }
        const QSize area = VideoAreaFor(videoWidth, videoHeight, arWidth, arHeight);
        SizeWindowToVideo(area.width(), area.height());
    } else {
        // No decoded picture (a stream the decoder does not take): keep the size, lay the new strip
        // height out.
        LayoutControls();
    }

    UpdateSliderRange();

    ShowFileTitle();
    ShowPlayingState();
    DiscardPendingInput();
    OnPlay();
    return 0;
}

void CPlayerDlg::ShowGraphError(HRESULT hr, const char* caption, const char* stepText)
{
    if (SUCCEEDED(hr)) {
        return;
    }
    const std::string detail =
        DetailLine(ResultDetailText(hr, m_pPlayback ? m_pPlayback->ErrorDetail() : std::string()));
    const std::string text = std::string(stepText != nullptr ? stepText : "") + "\n\nDetail: " + detail;
    ShowErrorBox(this, text.c_str(), caption);
}

void CPlayerDlg::ShowFileTitle()
{
    m_menu.Enable(ID_FILE_CLOSE, true);
    m_menu.Enable(ID_TOOLS_OPTIONS, false);
    std::snprintf(m_szWindowTitle, sizeof m_szWindowTitle, "%s - Zenk Vuvaz", m_szFileTitle);
    setWindowTitle(QString::fromUtf8(m_szWindowTitle));
}

void CPlayerDlg::OnFileClose()
{
    DisableTransport();
    m_menu.Enable(ID_FILE_CLOSE, false);
    m_menu.Enable(ID_TOOLS_OPTIONS, true);
    setWindowTitle(QStringLiteral("Zenk Vuvaz"));
    ReleaseGraph();
    m_reader.Close();
}

void CPlayerDlg::ReleaseGraph()
{
    KillPositionTimer();
    m_pVideo->SetPlayback(nullptr);
    m_pMeta->SetPlayback(nullptr);
    m_pPlayback.reset();
    m_pVideo->update();
    m_pMeta->update();
    PumpPaintMessages();
}
