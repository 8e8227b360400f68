#pragma once
// CPlaybackGraph: one DV AVI file as a ready GStreamer pipeline with two display branches (the decoded
// picture and the metadata strip), plus everything the player does with it: run, pause, stop, seek and
// step by frames, react to the end of the stream, and take it apart. Positions are kept in 100 ns units
// and converted to nanoseconds only at the GStreamer call. Lives on the GUI thread; the pipeline's own
// threads reach it only through the bus (graph events) and the renderers.

#include "dvfilter/gst_handles.h"
#include "dvfilter/result_codes.h"
#include "playback/frame_timing_probe.h"
#include "playback/graph_events.h"
#include "playback/pad_gate.h"
#include "playback/pad_relinker.h"
#include "playback/seek_frame_gate.h"
#include "playback/sink_watch.h"
#include "playback/sound_guard.h"
#include "playback/windowless_control.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QWidget;
struct FirstStreamInfo;
struct GraphBuild;

inline constexpr std::int32_t State_Stopped = 0;
inline constexpr std::int32_t State_Paused = 1;
inline constexpr std::int32_t State_Running = 2;
inline constexpr std::int32_t DVRESOLUTION_FULL = 1000;
inline constexpr std::int32_t DVRESOLUTION_HALF = 1001;

class CPlaybackGraph {
public:
    CPlaybackGraph();
    ~CPlaybackGraph();   // teardown: notification off, stop, release in member order
    CPlaybackGraph(const CPlaybackGraph&) = delete;
    CPlaybackGraph& operator=(const CPlaybackGraph&) = delete;

    // --- construction ---
    HRESULT BuildGraph(const char* path, std::int32_t renderer, std::int32_t decoderRes, std::int32_t dateFormat,
                       std::int32_t overlayWidth, std::int32_t overlayHeight);
    HRESULT GetUnconnectedPin(GstElement* filter, GstPadDirection direction, zv::GstPtr<GstPad>& pin);
    HRESULT ConnectPinToFilter(GstPipeline* graph, GstPad* outputPin, GstElement* destination);
    HRESULT ConnectFilters(GstPipeline* graph, GstElement* source, GstElement* destination);
    HRESULT AddVideoRenderer(std::int32_t kind, zv::GstPtr<GstElement>& renderer);
    HRESULT SetWindowlessVMR9(GstElement* renderer, QWidget* clippingWindow, std::unique_ptr<IWindowlessControl>& control);
    HRESULT SetWindowlessVMR7(GstElement* renderer, QWidget* clippingWindow, std::unique_ptr<IWindowlessControl>& control);
    static HRESULT GetFrameDuration(const FirstStreamInfo& info, std::int64_t& duration);

    // --- control and positioning ---
    HRESULT GetNativeVideoSize(std::int32_t* width, std::int32_t* height);
    HRESULT GetVideoAspectRatio(std::int32_t* arWidth, std::int32_t* arHeight);   // 4:3, 16:9
    HRESULT GetCurrentFrame(std::int64_t* frame);
    HRESULT GetFrameCount(std::int64_t* count);
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    HRESULT GetState(std::int32_t timeoutMs, std::int32_t* state);
    bool HandleGraphEvents();
    HRESULT StepFrame(bool forward);
    HRESULT SeekToTime(std::int64_t t);
    HRESULT SeekToFrame(std::int64_t n);
    HRESULT RefreshFrame();

    // The sink audio goes to: "autoaudiosink" unless set (a headless export uses "fakesink"). Before
    // BuildGraph only.
    void SetAudioSinkFactory(const char* factoryName) { m_audioSinkFactory = factoryName; }
    // The DV decoder: DvDecoderFactory()'s unless set. Before BuildGraph only.
    void SetDecoderFactory(const char* factoryName) { m_decoderFactory = factoryName; }
    // For one still picture (the headless snapshot): the decoder and the strip take one frame per seek and
    // none before the first, so the frame sought is the only one decoded. Before BuildGraph only. Nothing
    // prerolls before that seek: seek with ShowFrame before the first Pause.
    void HoldFramesUntilFirstSeek() { m_holdUntilFirstSeek = true; }
    // One accurate seek to the middle of frame n (kept inside the file) and its preroll, without the
    // re-seeks that keep the last frame on the screen: a still picture needs its frame decoded once.
    HRESULT ShowFrame(std::int64_t n);
    // What the last failure was about: the element that could not be made and the package it comes from,
    // or what GStreamer said (an error on the bus); empty when there is nothing to add.
    const std::string& ErrorDetail() const { return m_errorDetail; }

    // The renderer control of the picture, and of the strip: the built-in renderer's, else the overlay's;
    // nullptr before a successful build. A graph with a picture control is one the player can use.
    IWindowlessControl* VideoControl() const { return m_pVideoWC9 ? m_pVideoWC9.get() : m_pVideoWC7.get(); }
    IWindowlessControl* MetaControl() const { return m_pMetaWC9 ? m_pMetaWC9.get() : m_pMetaWC7.get(); }
    // The control of the renderer that draws in window (the video or the metadata area), or nullptr.
    IWindowlessControl* ControlFor(const QWidget* window) const;
    // The pipeline (null before the build): as a bin of the graph's elements, and as the element that
    // takes the state changes, position queries and seeks.
    GstPipeline* Graph() const { return m_pGraph.get(); }
    GstElement* Control() const { return m_pGraph ? GST_ELEMENT(m_pGraph.get()) : nullptr; }

    // Set by the creator before building.
    QWidget* m_hwndVideo = nullptr;
    QWidget* m_hwndMeta = nullptr;
    // Windowless controls: kind 2 (built-in renderer) in the 9 members, kind 1 (video overlay) in the 7.
    std::unique_ptr<IWindowlessControl> m_pVideoWC9;
    std::unique_ptr<IWindowlessControl> m_pVideoWC7;
    std::unique_ptr<IWindowlessControl> m_pMetaWC9;
    std::unique_ptr<IWindowlessControl> m_pMetaWC7;
    zv::GstPtr<GstBus> m_pEvent;           // the pipeline's bus, for graph events
    zv::GstPtr<GstElement> m_pVideoRenderer;
    zv::GstPtr<GstElement> m_pMetaRenderer;
    std::int32_t m_nRenderer = 0;
    QObject* m_hwndNotify = nullptr;
    std::uint32_t m_uNotifyMsg = 0;
    std::int64_t m_rtFrame = 0;
    std::int64_t m_rtHalfFrame = 0;
    std::int64_t m_rtStop = 0;
    // A QuickTime track's frame rate as its time base gives it (units a second / units a frame); 0 otherwise.
    std::uint32_t m_nTrackRate = 0;
    std::uint32_t m_nTrackScale = 0;
    char m_szError[128] = {};

private:
    // The build, one step per stage (playback_graph_build.cpp, the picture's branch in
    // graph_build_picture.cpp); each step names its own failure.
    using BuildStep = HRESULT(GraphBuild& build);
    BuildStep CreateFramework, AddPictureRenderer, AddFileReader, TakeFrameDuration;   // framework, renderer, file
    BuildStep AddSplitter, AddTee, ReadStreamType;                                     // source and splitter
    BuildStep AddDecoder, RouteFramesToDecoder, ConnectDecoderToRenderer;              // the picture
    BuildStep RouteThroughDvSplitter;   // type-1 file, or type-2 without a sound stream
    BuildStep RequireFrameRate, AddMetadataFilter, AddStripRenderer;                   // the strip
    BuildStep KeepPictureShapes, TakeNotifyAndStop, StartDataFlow;                     // finishing
    HRESULT RenderSeparateSound(GraphBuild& build, GstPad* soundPin);   // type-2 file: its own sound stream
    // Pieces of those steps.
    HRESULT WaitForDvSplitterPads(GstElement* dvSplitter);
    void TimeDvSplitterPictures(GstElement* dvSplitter);
    void KeepUnlinkedRendererFromPreroll();
    void WatchRelinking(GraphBuild& build);
    void HoldOrRestartFrames(const GraphBuild& build);

    HRESULT Fail(HRESULT hr, const char* message);
    // An element from the factory; when it cannot be made, the detail names it and its package.
    zv::GstPtr<GstElement> MakeElement(const char* factory);
    HRESULT AddNamed(GstElement* element, const char* name);
    HRESULT MakeAndAdd(const char* factory, const char* name, zv::GstPtr<GstElement>& element,
                       const char* createMessage, const char* addMessage);
    HRESULT LinkThroughConverter(GstPad* outputPin, GstPad* inputPin);
    // The sound chain on outputPin. A late chain (for sound that starts after the graph was built) joins a
    // running graph, so its output does not wait to preroll; it is kept for the pads made after a stop.
    HRESULT RenderAudio(GstPad* outputPin, bool late = false);
    // A DV splitter's output that only appeared once the frames brought sound: to the late sound chain.
    void LinkLateSound(GstPad* pad);
    // The elements inside a renderer of each kind, first to last; empty when one cannot be made.
    std::vector<zv::GstPtr<GstElement>> OverlayChain();
    std::vector<zv::GstPtr<GstElement>> BuiltInChain();
    HRESULT AddCapsSetter(const char* caps, GstElement* destination, zv::GstPtr<GstElement>& adapter);
    HRESULT HoldFirstFrame(GraphBuild& build);
    HRESULT ConnectFramesToDecoder(GstElement* tee, GstElement* decoder, bool systemStream);
    HRESULT GetPositions(std::int64_t* current, std::int64_t* stop);
    HRESULT SetPositions(std::int64_t position);
    // Where a seek to position goes: position itself, or for a track that counts time in units of its
    // own, the middle unit of the frame position lies in.
    std::int64_t SeekPointOf(std::int64_t position) const;
    bool WaitForPreroll(std::int32_t timeoutMs);
    // SetPositions; when it fails, back to the position before, which showed a frame.
    HRESULT SeekOrStay(std::int64_t position);
    // The stream ended before m_rtStop: m_rtStop becomes the end of the last frame shown.
    void EndAtCurrentFrame();
    void ReleaseGates();
    GstElement* SeekTarget() const;

    zv::GstPtr<GstPipeline> m_pGraph;   // the one owner of the pipeline
    CGraphEvents m_events;
    CPadGate m_splitterGate;
    CPadGate m_dvSplitterGate;
    CBufferValve m_discoveryValve;
    CFrameTimingProbe m_dvSplitterTiming;
    CSoundGuard m_splitterSound;
    CSoundGuard m_dvSplitterSound;
    CPadRelinker m_splitterLinks;
    CPadRelinker m_dvSplitterLinks;
    CSinkWatch m_seekWatch;
    bool m_holdUntilFirstSeek = false;
    CSeekFrameGate m_decoderGate;
    CSeekFrameGate m_stripGate;
    std::string m_audioSinkFactory = "autoaudiosink";
    std::string m_decoderFactory;   // empty: DvDecoderFactory()'s
    zv::GstPtr<GstElement> m_lateSoundInput;   // touched only on the streaming thread that found the sound
    std::string m_errorDetail;
};

// The detail text for a failed step: GStreamer's own message when there is one, else our text for the
// code, else "Unknown Error: 0x%8x".
std::string ResultDetailText(HRESULT hr, const std::string& gstreamerMessage);
