// CPlayerDlg opening and closing a file: the file dialog or a named file, the file check, the graph's
// construction and first pause, the window shown for the new file, and taking it all down again.

#include "ui/window/player_dlg.h"

#include "dvmeta/overlay_font.h"
#include "playback/playback_graph.h"
#include "ui/window/file_refusal.h"
#include "ui/window/graph_error_box.h"
#include "ui/window/input_discard.h"
#include "ui/window/open_file_dialog.h"
#include "ui/window/paint_pump.h"
#include "ui/window/position_timer.h"
#include "ui/window/vr_window.h"

#include <QFile>
#include <QGuiApplication>
#include <QSize>

#include <algorithm>
#include <new>

namespace {

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

// The wait cursor for as long as the open sequence runs.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void CPlayerDlg::OnFileOpen()
{
    if (OpenMediaFile(false) != 0) {
        OnFileClose();
    }
}

void CPlayerDlg::OnOpenCommandLine()
{
    OpenFile(m_commandLineFile.c_str());
}

void CPlayerDlg::OpenFile(const char* path)
{
    // A scene scan further up the stack reads the playing file: it must not be closed under it.
    if (Busy() || !StorePath(path)) {
        return;
    }
    if (OpenMediaFile(true) != 0) {
        OnFileClose();
    }
}

bool CPlayerDlg::StorePath(const char* path)
{
    if (!m_names.Store(path)) {
        ShowPathTooLong(this, path);
        return false;
    }
    return true;
}

bool CPlayerDlg::ChooseFile()
{
    const QByteArray path = ChooseMediaFile(this);
    return !path.isEmpty() && StorePath(path.constData());
}

// 0 also when the person cancelled or the file was refused; E_FAIL after a failure the caller closes.
HRESULT CPlayerDlg::OpenMediaFile(bool skipDialog)
{
    if (!skipDialog && !ChooseFile()) {
        return 0;
    }
    if (RefuseFile(this, m_names.Path())) {
        // The file that was playing goes on playing, and the names stay its own.
        m_names.Restore();
        return 0;
    }

    WaitCursor wait;
    if (m_pPlayback) {
        OnFileClose();
    }
    PumpPaintMessages();
    if (FAILED(BuildAndPause())) {
        return E_FAIL;
    }
    ShowOpenedFile();
    return 0;
}

HRESULT CPlayerDlg::BuildAndPause()
{
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

    // The strip's fonts are tried now, while the decoder's plugin may still be loading on GStreamer's thread
    // (see plugin_preload.h), rather than by the metadata filter after it.
    WarmOverlayFonts();
    HRESULT hr = m_pPlayback->BuildGraph(m_names.Path(), m_settings.Renderer, m_settings.DvDecoderRes,
                                         m_settings.DateFormat, m_nOverlayWidth, m_nOverlayHeight);
    if (FAILED(hr)) {
        ShowGraphError(hr, "Error Building Filter Graph", m_pPlayback->m_szError);
        return hr;
    }
    m_pVideo->SetPlayback(m_pPlayback.get());
    m_pMeta->SetPlayback(m_pPlayback.get());
    // The picture and the strip of a frame in one paint.
    m_framePacer.Pace({m_pPlayback->VideoControl(), m_pPlayback->MetaControl()});

    hr = m_pPlayback->Pause();
    if (FAILED(hr)) {
        ShowGraphError(hr, "Error initially pausing filter graph", m_pPlayback->m_szError);
    }
    return hr;
}

// The window sized to the picture, the slider's range, the caption, and playing from the first frame.
void CPlayerDlg::ShowOpenedFile()
{
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

    m_caption.ShowFile(m_names.FileTitle());
    m_transport.ShowPlaying();
    DiscardPendingInput();
    OnPlay();
    emit fileOpened(QFile::decodeName(m_names.Path()));
}

void CPlayerDlg::ShowGraphError(HRESULT hr, const char* caption, const char* stepText)
{
    ::ShowGraphError(this, hr, caption, stepText, m_pPlayback ? m_pPlayback->ErrorDetail() : std::string());
}

void CPlayerDlg::OnFileClose()
{
    m_transport.Disable();
    m_caption.ShowNoFile();
    m_readout.Clear();
    m_scenePanel.Clear();
    ReleaseGraph();
    m_scenes.Close();
    emit fileClosed();
}

void CPlayerDlg::ReleaseGraph()
{
    m_pPositionTimer->Kill();
    m_framePacer.Pace({});
    m_pVideo->SetPlayback(nullptr);
    m_pMeta->SetPlayback(nullptr);
    m_pPlayback.reset();
    m_pVideo->update();
    m_pMeta->update();
    PumpPaintMessages();
}
