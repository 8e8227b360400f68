// CPlaybackGraph control: run, pause, stop, positions in frames, seeking, stepping, graph events and
// teardown. Positions are 100 ns units here; GStreamer's nanoseconds appear only at the calls.

#include "playback/playback_graph.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr std::int64_t kNsPer100ns = 100;
constexpr int kPauseConfirmations = 10;
constexpr std::int32_t kPauseConfirmMs = 5000;
constexpr int kRefreshRepeats = 7;
constexpr int kRefreshStateTries = 20;
constexpr std::int32_t kRefreshStateMs = 500;
constexpr std::int32_t kSeekPrerollMs = 5000;

}  // namespace

CPlaybackGraph::CPlaybackGraph() = default;

CPlaybackGraph::~CPlaybackGraph()
{
    // Held streaming threads would deadlock any state change below.
    ReleaseGates();
    if (m_pEvent) {
        m_events.SetNotifyWindow(nullptr, 0);
        // Messages hold a reference on the element that posted them, the pipeline's own included: left
        // queued on the pipeline's bus they would keep the whole pipeline alive. Drop them, and every
        // message the state changes below post.
        gst_bus_set_flushing(m_pEvent.get(), TRUE);
    }
    if (m_pGraph) {
        Stop();
    }
    m_pVideoWC9.reset();
    m_pVideoWC7.reset();
    m_pMetaWC9.reset();
    m_pMetaWC7.reset();
    m_pVideoRenderer.reset();
    m_pMetaRenderer.reset();
    m_events.Detach();
    m_pEvent.reset();
    if (m_pGraph) {
        // GStreamer disposes of a pipeline only from the null state.
        gst_element_set_state(GST_ELEMENT(m_pGraph.get()), GST_STATE_NULL);
    }
    m_pGraph.reset();
}

std::string ResultDetailText(HRESULT hr, const std::string& gstreamerMessage)
{
    if (!gstreamerMessage.empty()) {
        return gstreamerMessage;
    }
    if (const char* text = ResultCodeText(hr)) {
        return text;
    }
    char unknown[40];
    std::snprintf(unknown, sizeof unknown, "Unknown Error: 0x%8x", static_cast<unsigned>(hr));
    return unknown;
}

HRESULT CPlaybackGraph::GetPositions(std::int64_t* current, std::int64_t* stop)
{
    if (!m_pGraph) {
        return E_POINTER;
    }
    gint64 value = 0;
    if (current != nullptr) {
        if (!gst_element_query_position(Control(), GST_FORMAT_TIME, &value) || value < 0) {
            return E_FAIL;
        }
        *current = value / kNsPer100ns;
    }
    if (stop != nullptr) {
        if (!gst_element_query_duration(Control(), GST_FORMAT_TIME, &value) || value < 0) {
            return E_FAIL;
        }
        *stop = value / kNsPer100ns;
    }
    return S_OK;
}

bool CPlaybackGraph::WaitForPreroll(std::int32_t timeoutMs)
{
    const GstStateChangeReturn r = gst_element_get_state(Control(), nullptr, nullptr,
                                                         static_cast<GstClockTime>(timeoutMs) * GST_MSECOND);
    return r == GST_STATE_CHANGE_SUCCESS || r == GST_STATE_CHANGE_NO_PREROLL;
}

// One flushing, accurate seek through a single renderer (through the pipeline the AVI splitter would run
// it once per renderer), then the new preroll. A seek that shows no new frame has failed.
HRESULT CPlaybackGraph::SetPositions(std::int64_t position)
{
    GstElement* target = SeekTarget();
    if (target == nullptr || !m_pGraph) {
        return E_POINTER;
    }
    // Nanoseconds must fit 64 bits: a position beyond that lies past any stream's end anyway.
    position = SeekPointOf(std::clamp<std::int64_t>(position, 0, std::numeric_limits<std::int64_t>::max() / kNsPer100ns));
    GstEvent* seek = gst_event_new_seek(1.0, GST_FORMAT_TIME,
                                        static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                        GST_SEEK_TYPE_SET, position * kNsPer100ns, GST_SEEK_TYPE_NONE, -1);
    if (!gst_element_send_event(target, seek)) {
        return E_FAIL;
    }
    if (!WaitForPreroll(kSeekPrerollMs)) {
        return E_FAIL;
    }
    GstState state = GST_STATE_NULL;
    gst_element_get_state(Control(), &state, nullptr, 0);
    if (state >= GST_STATE_PAUSED && m_seekWatch.FramesSinceFlush() == 0) {
        return E_FAIL;
    }
    return S_OK;
}

// The QuickTime splitter starts an accurate seek at the next whole unit of the track's time base: the
// middle of a frame in a track that counts 25 units a second is already the next frame's start. The
// middle unit of the frame is inside it whatever the time base.
std::int64_t CPlaybackGraph::SeekPointOf(std::int64_t position) const
{
    if (m_nTrackRate == 0 || m_nTrackScale == 0 || m_rtFrame <= 0) {
        return position;
    }
    const auto frame = static_cast<guint64>(position / m_rtFrame);
    const guint64 units = frame * m_nTrackScale + m_nTrackScale / 2;   // frame numbers are 32-bit: no overflow
    return static_cast<std::int64_t>(gst_util_uint64_scale(units, 10000000, m_nTrackRate));
}

HRESULT CPlaybackGraph::SeekOrStay(std::int64_t position)
{
    std::int64_t before = 0;
    const bool known = SUCCEEDED(GetPositions(&before, nullptr));
    const HRESULT hr = SetPositions(position);
    // A seek past the end of what a cut-short file holds shows no frame, yet the position would read as
    // the one sought: back to the frame on the screen, so the position and the picture agree.
    if (FAILED(hr) && known && before != position) {
        SetPositions(before);
    }
    return hr;
}

HRESULT CPlaybackGraph::GetNativeVideoSize(std::int32_t* width, std::int32_t* height)
{
    IWindowlessControl* video = VideoControl();
    return video != nullptr ? video->GetNativeVideoSize(width, height) : E_FAIL;
}

HRESULT CPlaybackGraph::GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight)
{
    IWindowlessControl* video = VideoControl();
    return video != nullptr ? video->GetVideoAspectRatio(arWidth, arHeight) : E_FAIL;
}

HRESULT CPlaybackGraph::GetCurrentFrame(std::int64_t* frame)
{
    std::int64_t current = 0;
    const HRESULT hr = GetPositions(&current, nullptr);
    if (FAILED(hr) || m_rtFrame <= 0) {
        return Fail(FAILED(hr) ? hr : E_FAIL, "Failed to get Current Position");
    }
    if (frame != nullptr) {
        *frame = current / m_rtFrame;
    }
    return S_OK;
}

HRESULT CPlaybackGraph::GetFrameCount(std::int64_t* count)
{
    std::int64_t duration = 0;
    const HRESULT hr = GetPositions(nullptr, &duration);
    if (FAILED(hr) || m_rtFrame <= 0) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    if (m_rtStop > 0 && m_rtStop < duration) {
        duration = m_rtStop;   // the stream ended short of what its index claims (EndAtCurrentFrame)
    }
    if (count != nullptr) {
        *count = (duration + m_rtHalfFrame) / m_rtFrame;
    }
    return S_OK;
}

HRESULT CPlaybackGraph::Run()
{
    if (!m_pGraph) {
        return E_POINTER;
    }
    std::int64_t current = 0;
    std::int64_t stop = 0;
    GetPositions(&current, &stop);
    if (current + m_rtFrame >= m_rtStop) {
        return E_FAIL;   // already on the last frame: nothing to play
    }
    if (gst_element_set_state(Control(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return Fail(E_FAIL, "Could not run filter graph");
    }
    return S_OK;
}

HRESULT CPlaybackGraph::Pause()
{
    if (!m_pGraph) {
        return E_POINTER;
    }
    if (gst_element_set_state(Control(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return Fail(E_FAIL, "Could not pause filter graph");
    }
    std::int32_t state = State_Stopped;
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < kPauseConfirmations; ++attempt) {
        hr = GetState(kPauseConfirmMs, &state);
        if (hr == S_OK) {
            break;
        }
    }
    if (hr != S_OK && hr != VFW_S_CANT_CUE) {
        Fail(hr, "Failed to get paused graph state");
        return hr;
    }
    if (state != State_Paused) {
        return Fail(E_FAIL, "Failed to confirm pause");
    }
    return S_OK;
}

HRESULT CPlaybackGraph::Stop()
{
    if (!m_pGraph) {
        return E_POINTER;
    }
    ReleaseGates();
    if (gst_element_set_state(Control(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        return Fail(E_FAIL, "Could not stop filter graph");
    }
    return S_OK;
}

HRESULT CPlaybackGraph::GetState(std::int32_t timeoutMs, std::int32_t* state)
{
    if (!m_pGraph) {
        return E_POINTER;
    }
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    const GstStateChangeReturn r = gst_element_get_state(Control(), &current, &pending,
                                                         static_cast<GstClockTime>(timeoutMs < 0 ? 0 : timeoutMs) * GST_MSECOND);
    if (state != nullptr) {
        // While a change is under way the state reported is the one being reached.
        const GstState shown = r == GST_STATE_CHANGE_ASYNC && pending != GST_STATE_VOID_PENDING ? pending : current;
        *state = shown == GST_STATE_PLAYING ? State_Running : shown == GST_STATE_PAUSED ? State_Paused : State_Stopped;
    }
    switch (r) {
    case GST_STATE_CHANGE_SUCCESS: return S_OK;
    case GST_STATE_CHANGE_ASYNC: return VFW_S_STATE_INTERMEDIATE;
    case GST_STATE_CHANGE_NO_PREROLL: return VFW_S_CANT_CUE;
    default: return E_FAIL;
    }
}

bool CPlaybackGraph::HandleGraphEvents()
{
    if (!m_pEvent) {
        return false;
    }
    long code = 0;
    while (m_events.GetEvent(code)) {
        if (code == EC_COMPLETE || code == EC_USERABORT || code == EC_ERRORABORT) {
            Pause();
            if (code == EC_COMPLETE) {
                EndAtCurrentFrame();
            }
            RefreshFrame();
            m_events.DiscardEndOfStream();
            return true;
        }
    }
    return false;
}

void CPlaybackGraph::EndAtCurrentFrame()
{
    // A file cut short (still being copied, or truncated while it plays) ends before the end its index
    // claims: from here on the frame the stream ended on is the last one, so Play, steps and seeks past it
    // stay on a picture that exists, as at a normal end.
    std::int64_t current = 0;
    if (m_rtFrame <= 0 || FAILED(GetPositions(&current, nullptr))) {
        return;
    }
    // At the end of the stream the position is the end of the last frame shown.
    const std::int64_t end = (current + m_rtFrame - 1) / m_rtFrame * m_rtFrame;
    if (end >= m_rtFrame && end < m_rtStop) {
        m_rtStop = end;
    }
}

HRESULT CPlaybackGraph::StepFrame(bool forward)
{
    Pause();
    std::int64_t current = 0;
    std::int64_t stop = 0;
    if (FAILED(GetPositions(&current, &stop)) || m_rtFrame <= 0) {
        return Fail(E_FAIL, "Could not get filter graph position");
    }
    std::int64_t n = current / m_rtFrame;
    if (forward) {
        ++n;
    } else if (n > 0) {
        --n;
    }
    stop = std::min(stop, m_rtStop);   // the stream may have ended short of its index
    std::int64_t p = n * m_rtFrame + m_rtHalfFrame;
    if (p > stop) {
        p = stop - m_rtHalfFrame;
    }
    const HRESULT hr = SeekOrStay(p);
    if (p + m_rtFrame > stop) {
        RefreshFrame();
    }
    return hr;
}

HRESULT CPlaybackGraph::SeekToTime(std::int64_t t)
{
    if (m_rtFrame <= 0) {
        return Fail(E_FAIL, "Could not set position");
    }
    if (t < 0) {
        t = 0;
    } else if (t >= m_rtStop) {
        t = m_rtStop - m_rtHalfFrame;
    }
    t = (t / m_rtFrame) * m_rtFrame + m_rtHalfFrame;
    const HRESULT hr = SeekOrStay(t);
    if (FAILED(hr)) {
        return Fail(hr, "Could not set position");
    }
    if (t + m_rtFrame > m_rtStop) {
        RefreshFrame();
    }
    return hr;
}

HRESULT CPlaybackGraph::SeekToFrame(std::int64_t n)
{
    if (n < 0) {
        n = 0;
    }
    if (m_rtFrame <= 0) {
        return SeekToTime(0);   // fails with its own message
    }
    // A frame number from the command line may be any 64-bit value: one whose time does not fit goes to
    // the latest representable time, which SeekToTime turns into the last frame like any frame past the end.
    const std::int64_t latest = (std::numeric_limits<std::int64_t>::max() - m_rtHalfFrame) / m_rtFrame;
    if (n > latest) {
        return SeekToTime(std::numeric_limits<std::int64_t>::max());
    }
    return SeekToTime(n * m_rtFrame + m_rtHalfFrame);
}

HRESULT CPlaybackGraph::ShowFrame(std::int64_t n)
{
    std::int64_t count = 0;
    if (m_rtFrame <= 0 || FAILED(GetFrameCount(&count)) || count <= 0) {
        return Fail(E_FAIL, "Could not set position");
    }
    n = n < 0 ? 0 : n >= count ? count - 1 : n;
    std::int64_t t = n * m_rtFrame + m_rtHalfFrame;
    if (t >= m_rtStop) {
        t = m_rtStop - m_rtHalfFrame;   // a last frame shorter than half a frame: inside it all the same
    }
    const HRESULT hr = SetPositions(t);
    if (FAILED(hr)) {
        return Fail(hr, "Could not set position");
    }
    return hr;
}

HRESULT CPlaybackGraph::RefreshFrame()
{
    std::int64_t current = 0;
    if (FAILED(GetPositions(&current, nullptr))) {
        return Fail(E_FAIL, "Could not get position");
    }
    if (current >= m_rtStop) {
        current = m_rtStop - m_rtHalfFrame;
    }
    HRESULT hr = S_OK;
    for (int i = 0; i < kRefreshRepeats; ++i) {
        ++current;
        std::int32_t state = 0;
        for (int tries = 0; tries < kRefreshStateTries && GetState(kRefreshStateMs, &state) == VFW_S_STATE_INTERMEDIATE; ++tries) {
        }
        hr = SetPositions(current);
    }
    return hr;
}
