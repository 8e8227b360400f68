// CPlaybackGraph construction: the pipeline for one file, built in a fixed order of steps, each with one
// failure point and its own message. The steps of the picture's branch (decoder, sound, DV splitter) are
// in graph_build_picture.cpp, the building blocks they all use in graph_elements.cpp.

#include "playback/graph_build.h"
#include "playback/playback_graph.h"

#include "playback/audio_output_ahead.h"

#include "avi/index_claims.h"
#include "avi/quicktime_index.h"
#include "avi/last_error.h"
#include "dvfilter/gst_dv_metadata_filter.h"
#include "playback/framework_complaints.h"
#include "playback/stream_subtype.h"

#include <cstring>
#include <functional>

namespace {

constexpr std::int32_t kPrerollWaitMs = 10000;

// Gates the frames bound for the named element, on the output that feeds it (no element of that name, as
// the decoder of a stream that is not DV, gates nothing).
void GateInputOf(GstBin* graph, const char* name, CSeekFrameGate& gate)
{
    const zv::GstPtr<GstElement> element = zv::AdoptObject(gst_bin_get_by_name(graph, name));
    const zv::GstPtr<GstPad> input = element ? zv::AdoptObject(gst_element_get_static_pad(element.get(), "sink"))
                                             : zv::GstPtr<GstPad>();
    const zv::GstPtr<GstPad> feed = input ? zv::AdoptObject(gst_pad_get_peer(input.get())) : zv::GstPtr<GstPad>();
    if (!feed) {
        return;
    }
    // Frame threads would make the decoder wait for the frames after the one sought before giving it out.
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element.get()), "thread-type") != nullptr) {
        gst_util_set_object_arg(G_OBJECT(element.get()), "thread-type", "slice");
    }
    gate.Attach(feed.get());
}

// Whether the file is a QuickTime movie; build.quickTime says whether our own reader indexed its DV track,
// else refusal says why not. The QuickTime splitter sizes its tables from the movie's sample tables: it
// meets only a movie whose tables our reader has bounded.
bool IsQuickTimeFile(GraphBuild& build, std::string& refusal)
{
    build.quickTime = build.haveInfo && build.info.container == DvContainer::QuickTime;
    std::uint8_t head[8];
    if (build.quickTime || !ReadExactAt(build.file.Get(), head, sizeof head, 0) || !LooksLikeQuickTime(head, sizeof head)) {
        return build.quickTime;
    }
    QuickTimeDvIndex index;
    if (!BuildQuickTimeDvIndex(build.file.Get(), index, refusal) && refusal.empty()) {
        refusal = GetLastErrorText();
    }
    return true;
}

}  // namespace

HRESULT CPlaybackGraph::BuildGraph(const char* path, std::int32_t renderer, std::int32_t decoderRes,
                                   std::int32_t dateFormat, std::int32_t overlayWidth, std::int32_t overlayHeight)
{
    m_errorDetail.clear();
    if (path == nullptr) {
        return Fail(E_POINTER, "Could not create the file reader");
    }
    GraphBuild build;
    build.path = path;
    build.renderer = renderer;
    build.decoderRes = decoderRes;
    build.dateFormat = dateFormat;
    build.overlayWidth = overlayWidth;
    build.overlayHeight = overlayHeight;
    using Step = HRESULT (CPlaybackGraph::*)(GraphBuild&);
    static constexpr Step kSteps[] = {
        &CPlaybackGraph::CreateFramework,           // 1-3
        &CPlaybackGraph::AddPictureRenderer,        // 4-5
        &CPlaybackGraph::AddFileReader,             // 6-8
        &CPlaybackGraph::TakeFrameDuration,         // 9
        &CPlaybackGraph::AddSplitter,               // 10-11
        &CPlaybackGraph::AddTee,                    // 12-14
        &CPlaybackGraph::ReadStreamType,            // 15
        &CPlaybackGraph::AddDecoder,                // 16-17, DV video only
        &CPlaybackGraph::RouteFramesToDecoder,      // 18: the sound of a type-2 or a type-1 file
        &CPlaybackGraph::ConnectDecoderToRenderer,  // 19-20
        &CPlaybackGraph::RequireFrameRate,
        &CPlaybackGraph::AddMetadataFilter,         // 21-22
        &CPlaybackGraph::AddStripRenderer,          // 23-26
        &CPlaybackGraph::KeepPictureShapes,         // 27-28
        &CPlaybackGraph::TakeNotifyAndStop,         // 29-30
        &CPlaybackGraph::StartDataFlow,
    };
    HRESULT hr = S_OK;
    for (const Step step : kSteps) {
        hr = (this->*step)(build);
        if (FAILED(hr)) {
            break;
        }
    }
    // The sound output opened ahead is for the first graph only: one without sound (or failed) leaves it
    // to no one, and a later graph opens its own.
    DropAudioOutputOpenedAhead();
    return hr;
}

// The pipeline, its bus for graph events, and the one element that takes state changes and seeks.
HRESULT CPlaybackGraph::CreateFramework(GraphBuild& /*build*/)
{
    zv::GstPtr<GstElement> pipeline = MakeElement("pipeline");
    if (!pipeline || !GST_IS_PIPELINE(pipeline.get())) {
        return Fail(E_FAIL, "Could not create the Filter Graph Manager");
    }
    m_pGraph = zv::GstPtr<GstPipeline>(GST_PIPELINE(pipeline.release()));
    m_pEvent = zv::AdoptObject(gst_pipeline_get_bus(m_pGraph.get()));
    if (!m_pEvent) {
        return Fail(E_FAIL, "Could not create the Media Event object");
    }
    m_events.Attach(m_pEvent.get());
    return S_OK;
}

HRESULT CPlaybackGraph::AddPictureRenderer(GraphBuild& build)
{
    m_nRenderer = build.renderer;
    HRESULT hr = AddVideoRenderer(build.renderer, m_pVideoRenderer);
    if (FAILED(hr)) {
        return Fail(hr, "Could not add renderer");
    }
    hr = build.renderer == 1 ? SetWindowlessVMR7(m_pVideoRenderer.get(), m_hwndVideo, m_pVideoWC7)
                             : SetWindowlessVMR9(m_pVideoRenderer.get(), m_hwndVideo, m_pVideoWC9);
    if (FAILED(hr)) {
        return Fail(hr, "Could not set windowless renderer");
    }
    return S_OK;
}

// The file reader, named by the path, on the file; the file itself opened once for the build's own looks.
HRESULT CPlaybackGraph::AddFileReader(GraphBuild& build)
{
    build.reader = MakeElement("filesrc");
    if (!build.reader) {
        return Fail(E_FAIL, "Could not create the file reader");
    }
    if (FAILED(AddNamed(build.reader.get(), build.path))) {
        return Fail(E_FAIL, "Could not add the file reader");
    }
    g_object_set(build.reader.get(), "location", build.path, nullptr);
    // The reader opens the file only when the pipeline starts; find out now whether it can.
    // Never waiting on a FIFO, nor handing the reader anything but a regular file.
    build.file = zv::OpenForSequentialRead(build.path);
    if (!build.file) {
        m_errorDetail = GetLastErrorText();
        return Fail(E_FAIL, "Could not add source filter");
    }
    // The splitter reserves its index tables from the counts the file claims and allocates each chunk at
    // the size its index entry gives: a claim no DV file backs would have it take gigabytes, or abort when
    // it cannot. The frame index refuses the same files with the same sentence.
    TellFrameworkComplaintsInOwnWords();
    build.haveInfo = ReadFirstStreamInfo(build.file.Get(), build.info);
    build.rawDv = build.haveInfo && build.info.container == DvContainer::RawDv;
    if (build.rawDv) {
        // No index to claim anything: the DV splitter reads frames of one size back to back, and a file
        // without a whole frame has none for it.
        if (build.info.length == 0) {
            m_errorDetail = graph_build::kEndsBeforeFirstFrame;
            return Fail(E_FAIL, "Could not connect from source filter");
        }
        return S_OK;
    }
    std::string refusal;
    m_nTrackRate = 0;
    m_nTrackScale = 0;
    if (IsQuickTimeFile(build, refusal)) {
        if (build.quickTime) {
            m_nTrackRate = build.info.rate;
            m_nTrackScale = build.info.scale;
            return S_OK;
        }
        m_errorDetail = refusal;
        return Fail(E_FAIL, "Could not connect from source filter");
    }
    const IndexClaimsVerdict claims = CheckIndexClaims(build.file.Get());
    if (!claims.fits) {
        m_errorDetail = DescribeIndexClaims(claims);
        return Fail(E_FAIL, "Could not connect from source filter");
    }
    return S_OK;
}

// The frame duration from the stream header; a missing one is looked for again in the caps.
HRESULT CPlaybackGraph::TakeFrameDuration(GraphBuild& build)
{
    std::int64_t duration = 0;
    if (build.haveInfo && SUCCEEDED(GetFrameDuration(build.info, duration))) {
        m_rtFrame = duration;
    }
    m_rtHalfFrame = m_rtFrame / 2;
    return S_OK;
}

// The AVI splitter on the reader (for a raw DV stream, the DV splitter: its video output carries the whole
// frames, its sound output the sound inside them). The AVI splitter's pads come from the file's headers,
// the DV splitter's from the first frame, so the pipeline starts pausing here; the gate holds the
// splitter's thread until the whole graph is linked.
HRESULT CPlaybackGraph::AddSplitter(GraphBuild& build)
{
    const bool rawDv = build.rawDv;
    HRESULT hr = rawDv ? MakeAndAdd("dvdemux", "DV Splitter", build.splitter, "Could not create DV splitter",
                                    "Could not add DV splitter")
               : build.quickTime ? MakeAndAdd("qtdemux", "QuickTime Splitter", build.splitter,
                                              "Could not create QuickTime splitter", "Could not add QuickTime splitter")
                                 : MakeAndAdd("avidemux", "AVI Splitter", build.splitter, "Could not create AVI splitter",
                                              "Could not add AVI splitter");
    if (FAILED(hr)) {
        return hr;
    }
    m_splitterGate.Attach(build.splitter.get(), rawDv ? CPadGate::HoldAt::VideoPad : CPadGate::HoldAt::NoMorePads);
    if (rawDv) {
        // The splitter's pictures are the strip's frames too: they leave it with the sound they recorded.
        build.framesCarrySound = FindFileSoundPacks(build.path, build.soundPacks);
        m_splitterSound.Attach(build.splitter.get(), build.info.is625, build.soundPacks, true);
    }
    hr = ConnectFilters(m_pGraph.get(), build.reader.get(), build.splitter.get());
    if (SUCCEEDED(hr)) {
        if (gst_element_set_state(GST_ELEMENT(m_pGraph.get()), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE
            || !m_splitterGate.WaitHeld(graph_build::kPadWait, [this] { return m_events.HasError(); })) {
            hr = E_FAIL;
        }
    }
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from source filter");
    }
    return S_OK;
}

// The first stream into the tee.
HRESULT CPlaybackGraph::AddTee(GraphBuild& build)
{
    HRESULT hr = GetUnconnectedPin(build.splitter.get(), GST_PAD_SRC, build.splitterPin);
    if (FAILED(hr)) {
        return Fail(hr, "Could not get output pin of AVI Splitter");
    }
    hr = MakeAndAdd("tee", "Infinite Pin Tee Filter", build.tee, "Could not create Tee filter", "Could not add Tee filter");
    if (FAILED(hr)) {
        return hr;
    }
    hr = ConnectPinToFilter(m_pGraph.get(), build.splitterPin.get(), build.tee.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from AVI splitter");
    }
    if (build.rawDv) {
        // The strip's frames come straight from the DV splitter too, and need their times as the pictures
        // do. Its output has no caps yet when its pad appears: the rate is the first frame's.
        m_dvSplitterTiming.Attach(build.splitterPin.get(), build.info.rate, build.info.scale, true);
    }
    return S_OK;
}

// The stream's type decides whether there is a picture to decode.
HRESULT CPlaybackGraph::ReadStreamType(GraphBuild& build)
{
    const zv::CapsPtr streamCaps(gst_pad_get_current_caps(build.splitterPin.get()));
    if (!streamCaps || gst_caps_is_empty(streamCaps.get())) {
        return Fail(E_FAIL, "Could not get output type from splitter");
    }
    const GstStructure* streamType = gst_caps_get_structure(streamCaps.get(), 0);
    build.subtype = build.haveInfo ? FirstStreamSubtype(build.file.Get(), build.info) : 0;
    if (!gst_structure_has_name(streamType, "video/x-dv")) {
        build.subtype = 0xFFFFFFFFu;   // not DV at all
    } else if (build.subtype == 0) {
        build.subtype = graph_build::kSubtypeDvsd;
    }
    if (m_rtFrame == 0) {
        m_rtFrame = graph_build::FrameDurationOfPad(build.splitterPin.get());
        m_rtHalfFrame = m_rtFrame / 2;
    }
    gboolean systemStream = FALSE;
    gst_structure_get_boolean(streamType, "systemstream", &systemStream);
    build.systemStream = systemStream != FALSE;
    return S_OK;
}

// Every position is counted in frames of this duration: without one nothing can be sought.
HRESULT CPlaybackGraph::RequireFrameRate(GraphBuild& /*build*/)
{
    return m_rtFrame > 0 ? S_OK : Fail(E_FAIL, "Could not get frame rate");
}

// The metadata filter, configured before it joins the pipeline, on the tee's next output.
HRESULT CPlaybackGraph::AddMetadataFilter(GraphBuild& build)
{
    build.metaFilter = MakeElement("dvmetadatafilter");
    CDVMetadataFilter* filter = DvMetadataFilterOf(build.metaFilter.get());
    if (filter == nullptr) {
        return Fail(E_OUTOFMEMORY, "Could not add Meta filter");
    }
    filter->SetOverlaySize(build.overlayWidth, build.overlayHeight);
    filter->SetDateOrder(build.dateFormat);
    DvSourceStream source;
    source.subtype = build.subtype;
    source.hasDvInfo = build.haveInfo && build.info.hasDvInfo;
    source.dvVAuxSrc = build.info.dvVAuxSrc;
    source.rate = build.haveInfo ? build.info.rate : 0;
    source.scale = build.haveInfo ? build.info.scale : 0;
    filter->SetSourceStream(source);
    if (FAILED(AddNamed(build.metaFilter.get(), "DV Metadata Filter"))) {
        return Fail(E_FAIL, "Could not add Meta filter");
    }
    const HRESULT hr = ConnectFilters(m_pGraph.get(), build.tee.get(), build.metaFilter.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect Tee to Meta filter");
    }
    return S_OK;
}

// The strip's renderer, with a converter at hand for that connection.
HRESULT CPlaybackGraph::AddStripRenderer(GraphBuild& build)
{
    HRESULT hr = AddVideoRenderer(build.renderer, m_pMetaRenderer);
    if (FAILED(hr)) {
        return Fail(hr, "Could not add renderer");
    }
    hr = build.renderer == 1 ? SetWindowlessVMR7(m_pMetaRenderer.get(), m_hwndMeta, m_pMetaWC7)
                             : SetWindowlessVMR9(m_pMetaRenderer.get(), m_hwndMeta, m_pMetaWC9);
    if (FAILED(hr)) {
        return Fail(hr, "Could not add Meta Renderer");
    }
    zv::GstPtr<GstElement> converter;
    hr = MakeAndAdd("videoconvert", "Color Space Converter", converter, "Could not create Color Space Converter",
                    "Could not add Color Space Converter");
    if (FAILED(hr)) {
        return hr;
    }
    hr = ConnectFilters(m_pGraph.get(), build.metaFilter.get(), m_pMetaRenderer.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect Meta filter to renderer");
    }
    return S_OK;
}

// Both pictures keep their shape.
HRESULT CPlaybackGraph::KeepPictureShapes(GraphBuild& /*build*/)
{
    for (IWindowlessControl* control : {VideoControl(), MetaControl()}) {
        if (control != nullptr) {
            const HRESULT hr = control->SetAspectRatioMode(VMR_ARMODE_LETTER_BOX);
            if (FAILED(hr)) {
                return Fail(hr, "Could not set aspect ratio mode");
            }
        }
    }
    return S_OK;
}

// Graph events to the notify object, and the stop position, the end every later test of "last frame"
// measures against.
HRESULT CPlaybackGraph::TakeNotifyAndStop(GraphBuild& build)
{
    m_events.SetNotifyWindow(m_hwndNotify, m_uNotifyMsg);
    const HRESULT hr = GetPositions(nullptr, &m_rtStop);
    if (FAILED(hr)) {
        return Fail(hr, "Could not get positions");
    }
    // A cut movie's tables still time the frames it lost: its end is after the last frame it holds.
    if (build.quickTime && build.info.length > 0) {
        m_rtStop = std::min<std::int64_t>(m_rtStop, static_cast<std::int64_t>(build.info.length) * m_rtFrame);
    }
    return hr;
}

// The graph is complete: a renderer left without input must not hold up pausing, then data flows.
HRESULT CPlaybackGraph::StartDataFlow(GraphBuild& build)
{
    KeepUnlinkedRendererFromPreroll();
    zv::GstPtr<GstPad> seekInput = zv::AdoptObject(gst_element_get_static_pad(SeekTarget(), "sink"));
    if (seekInput) {
        m_seekWatch.Attach(seekInput.get());
    }
    WatchRelinking(build);
    if (m_holdUntilFirstSeek) {
        GateInputOf(GST_BIN(m_pGraph.get()), "DV Decoder", m_decoderGate);
        GateInputOf(GST_BIN(m_pGraph.get()), "DV Metadata Filter", m_stripGate);
    }
    ReleaseGates();
    HoldOrRestartFrames(build);
    return S_OK;
}

void CPlaybackGraph::KeepUnlinkedRendererFromPreroll()
{
    zv::GstPtr<GstPad> videoInput = zv::AdoptObject(gst_element_get_static_pad(m_pVideoRenderer.get(), "sink"));
    if (!videoInput || gst_pad_is_linked(videoInput.get())) {
        return;
    }
    // Taken out and put back, so the pipeline forgets the preroll it was waiting for from it.
    gst_bin_remove(GST_BIN(m_pGraph.get()), m_pVideoRenderer.get());
    gst_element_set_state(m_pVideoRenderer.get(), GST_STATE_NULL);
    zv::ForEachElement(gst_bin_iterate_sinks(GST_BIN(m_pVideoRenderer.get())), [](GstElement* sink) {
        g_object_set(sink, "async", FALSE, nullptr);
        return true;
    });
    if (gst_bin_add(GST_BIN(m_pGraph.get()), m_pVideoRenderer.get())) {
        gst_element_sync_state_with_parent(m_pVideoRenderer.get());
    }
}

// A stop drops the splitters' outputs; they are linked again where they lead now.
void CPlaybackGraph::WatchRelinking(GraphBuild& build)
{
    const auto timeVideoPad = [this](GstPad* pad) {
        if (std::strncmp(GST_OBJECT_NAME(pad), "video", 5) == 0) {
            m_dvSplitterTiming.MoveTo(pad);
        }
    };
    std::function<void(GstPad*)> lateSound;
    if (build.lateSound) {
        lateSound = [this](GstPad* pad) { LinkLateSound(pad); };
    }
    if (build.rawDv) {
        m_splitterLinks.Watch(build.splitter.get(), timeVideoPad, lateSound);
    } else {
        m_splitterLinks.Watch(build.splitter.get());
    }
    if (build.dvSplitter) {
        m_dvSplitterLinks.Watch(build.dvSplitter.get(), timeVideoPad, lateSound);
    }
}

void CPlaybackGraph::HoldOrRestartFrames(const GraphBuild& build)
{
    if (m_holdUntilFirstSeek) {
        // A seek that came before the DV splitter has taken up its pads would not reach the picture. When
        // the stream ended with the splitter's discovery frame, that frame still comes to the decoder's
        // gate, but the strip's branch will get no frame to hold: the first seek starts it there.
        m_decoderGate.WaitFirstFrame(graph_build::kPadWait);
        if (!m_discoveryValve.EndOfStream()) {
            m_stripGate.WaitFirstFrame(graph_build::kPadWait);
        }
    } else if (build.dvSplitter) {
        // The DV splitter's first frame went through before the strip's branch existed: start again at
        // frame 0 so both branches begin together (a held graph begins at its first seek instead). When
        // the stream ended with that frame, the strip's branch will get neither a frame nor the end, so it
        // cannot preroll: nothing to wait for.
        if (!m_discoveryValve.EndOfStream()) {
            WaitForPreroll(kPrerollWaitMs);
        }
        SetPositions(m_rtHalfFrame);
    }
}

void CPlaybackGraph::ReleaseGates()
{
    m_splitterGate.Release();
    m_discoveryValve.Release();
    m_dvSplitterGate.Release();
}

GstElement* CPlaybackGraph::SeekTarget() const
{
    if (m_pVideoRenderer) {
        zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(m_pVideoRenderer.get(), "sink"));
        if (input && gst_pad_is_linked(input.get())) {
            return m_pVideoRenderer.get();
        }
    }
    return m_pMetaRenderer.get();
}
