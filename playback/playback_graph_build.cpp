// CPlaybackGraph construction: the pipeline for one file, built in a fixed order of steps, each with one
// failure point and its own message.

#include "playback/playback_graph.h"

#include "avi/file_io.h"
#include "avi/index_claims.h"
#include "avi/frame_sound.h"
#include "avi/last_error.h"
#include "avi/stream_info.h"
#include "dvfilter/gst_dv_metadata_filter.h"
#include "playback/appsink_renderer.h"
#include "playback/audio_output_notice.h"
#include "playback/element_factory.h"
#include "playback/element_packages.h"
#include "playback/graph_error_text.h"
#include "playback/overlay_renderer.h"
#include "playback/stream_subtype.h"

#include <gst/app/gstappsink.h>
#include <gst/video/videooverlay.h>

#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kSubtypeDvsd = 0x64737664;   // "dvsd" as it reads from the file
constexpr auto kPadWait = std::chrono::seconds(10);
constexpr std::int32_t kPrerollWaitMs = 10000;

bool IsVideoPadName(GstPad* pad)
{
    zv::GCharPtr name(gst_pad_get_name(pad));
    return name && std::strncmp(name.get(), "video", 5) == 0;
}

bool PadCapsHaveName(GstPad* pad, const char* name)
{
    zv::CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps) {
        caps.reset(gst_pad_query_caps(pad, nullptr));
    }
    return caps && !gst_caps_is_empty(caps.get()) && !gst_caps_is_any(caps.get())
        && gst_structure_has_name(gst_caps_get_structure(caps.get(), 0), name);
}

// Frame duration in 100 ns from a caps frame rate, 0 when it has none.
std::int64_t FrameDurationFromCaps(GstPad* pad)
{
    zv::CapsPtr caps(gst_pad_get_current_caps(pad));
    int num = 0;
    int den = 0;
    if (!caps || gst_caps_is_empty(caps.get())
        || !gst_structure_get_fraction(gst_caps_get_structure(caps.get(), 0), "framerate", &num, &den) || num <= 0 || den <= 0) {
        return 0;
    }
    return 10'000'000LL * den / num;
}

bool IsPipelineActive(GstElement* pipeline)
{
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    GST_OBJECT_LOCK(pipeline);
    current = GST_STATE(pipeline);
    pending = GST_STATE_PENDING(pipeline);
    GST_OBJECT_UNLOCK(pipeline);
    return current > GST_STATE_NULL || (pending != GST_STATE_VOID_PENDING && pending > GST_STATE_NULL);
}

// The element of the given type or interface inside a renderer (or the renderer itself); a new reference.
zv::GstPtr<GstElement> FindInBin(GstElement* renderer, GType type)
{
    if (G_TYPE_CHECK_INSTANCE_TYPE(renderer, type)) {
        return zv::RefObject(renderer);
    }
    if (!GST_IS_BIN(renderer)) {
        return {};
    }
    if (G_TYPE_IS_INTERFACE(type)) {
        return zv::AdoptObject(gst_bin_get_by_interface(GST_BIN(renderer), type));
    }
    zv::GstPtr<GstElement> found;
    zv::ForEachElement(gst_bin_iterate_recurse(GST_BIN(renderer)), [&](GstElement* element) {
        if (G_TYPE_CHECK_INSTANCE_TYPE(element, type)) {
            found = zv::RefObject(element);
        }
        return !found;
    });
    return found;
}

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

}  // namespace

HRESULT CPlaybackGraph::Fail(HRESULT hr, const char* message)
{
    std::snprintf(m_szError, sizeof m_szError, "%s", message);
    if (m_errorDetail.empty()) {
        m_errorDetail = m_events.FirstError();
    }
    if (m_errorDetail.empty() && hr == E_FAIL) {
        // A step that failed with no element saying why: the code's own text ("Unspecified error") would give
        // the user nothing to go on.
        m_errorDetail = kNoCauseText;
    }
    return hr;
}

zv::GstPtr<GstElement> CPlaybackGraph::MakeElement(const char* factory)
{
    zv::GstPtr<GstElement> element = ElementFactory().Make(factory);
    if (!element && m_errorDetail.empty()) {
        // The step's message says what failed; the detail says what to install.
        m_errorDetail = MissingElementText(factory);
    }
    return element;
}

HRESULT CPlaybackGraph::AddNamed(GstElement* element, const char* name)
{
    if (!m_pGraph || element == nullptr) {
        return E_POINTER;
    }
    // Names are unique within a pipeline: a second element of the same name gets a number, as the
    // second renderer does.
    std::string unique = name;
    for (int n = 1; n < 1000; ++n) {
        zv::GstPtr<GstElement> existing = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(m_pGraph.get()), unique.c_str()));
        if (!existing) {
            break;
        }
        char suffix[16];   // room for any int: the compiler cannot always see n stays below 1000
        std::snprintf(suffix, sizeof suffix, " %04d", n);
        unique = std::string(name) + suffix;
    }
    if (!gst_object_set_name(GST_OBJECT(element), unique.c_str()) || !gst_bin_add(GST_BIN(m_pGraph.get()), element)) {
        return E_FAIL;
    }
    if (IsPipelineActive(GST_ELEMENT(m_pGraph.get()))) {
        gst_element_sync_state_with_parent(element);
    }
    return S_OK;
}

HRESULT CPlaybackGraph::MakeAndAdd(const char* factory, const char* name, zv::GstPtr<GstElement>& element,
                                   const char* createMessage, const char* addMessage)
{
    element = MakeElement(factory);
    if (!element) {
        return Fail(E_FAIL, createMessage);
    }
    const HRESULT hr = AddNamed(element.get(), name);
    if (FAILED(hr)) {
        element.reset();
        return Fail(hr, addMessage);
    }
    return S_OK;
}

HRESULT CPlaybackGraph::GetUnconnectedPin(GstElement* filter, GstPadDirection direction, zv::GstPtr<GstPad>& pin)
{
    if (filter == nullptr) {
        return E_POINTER;
    }
    std::vector<zv::GstPtr<GstPad>> pads;
    GST_OBJECT_LOCK(filter);
    for (GList* l = direction == GST_PAD_SRC ? filter->srcpads : filter->sinkpads; l != nullptr; l = l->next) {
        pads.push_back(zv::RefObject(GST_PAD(l->data)));
    }
    GST_OBJECT_UNLOCK(filter);
    // The video stream is a demuxer's first stream, whatever order its pads appeared in.
    std::stable_partition(pads.begin(), pads.end(), [](const zv::GstPtr<GstPad>& p) { return IsVideoPadName(p.get()); });
    for (zv::GstPtr<GstPad>& p : pads) {
        if (!gst_pad_is_linked(p.get())) {
            pin = std::move(p);
            return S_OK;
        }
    }
    // An element with request pads (the tee) always has one more free output.
    GstElementClass* klass = GST_ELEMENT_GET_CLASS(filter);
    for (GList* l = gst_element_class_get_pad_template_list(klass); l != nullptr; l = l->next) {
        GstPadTemplate* templ = GST_PAD_TEMPLATE(l->data);
        if (GST_PAD_TEMPLATE_DIRECTION(templ) == direction && GST_PAD_TEMPLATE_PRESENCE(templ) == GST_PAD_REQUEST) {
            GstPad* requested = gst_element_request_pad(filter, templ, nullptr, nullptr);
            if (requested != nullptr) {
                pin = zv::GstPtr<GstPad>(requested);
                return S_OK;
            }
        }
    }
    return E_FAIL;
}

HRESULT CPlaybackGraph::LinkThroughConverter(GstPad* outputPin, GstPad* inputPin)
{
    zv::GstPtr<GstElement> converter = zv::AdoptObject(gst_bin_get_by_name(GST_BIN(m_pGraph.get()), "Color Space Converter"));
    if (!converter) {
        return E_FAIL;
    }
    zv::GstPtr<GstPad> sink = zv::AdoptObject(gst_element_get_static_pad(converter.get(), "sink"));
    zv::GstPtr<GstPad> src = zv::AdoptObject(gst_element_get_static_pad(converter.get(), "src"));
    if (!sink || !src || gst_pad_is_linked(sink.get()) || gst_pad_is_linked(src.get())) {
        return E_FAIL;
    }
    if (gst_pad_link(outputPin, sink.get()) != GST_PAD_LINK_OK) {
        return E_FAIL;
    }
    if (gst_pad_link(src.get(), inputPin) != GST_PAD_LINK_OK) {
        gst_pad_unlink(outputPin, sink.get());
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CPlaybackGraph::ConnectPinToFilter(GstPipeline* graph, GstPad* outputPin, GstElement* destination)
{
    if (graph == nullptr || outputPin == nullptr || destination == nullptr) {
        return E_POINTER;
    }
    zv::GstPtr<GstPad> inputPin;
    HRESULT hr = GetUnconnectedPin(destination, GST_PAD_SINK, inputPin);
    if (FAILED(hr)) {
        return hr;
    }
    // A demuxer output or tee branch gets a queue of its own: without one a branch waiting to preroll
    // would stall its siblings.
    zv::GstPtr<GstElement> queue;
    zv::GstPtr<GstPad> source = zv::RefObject(outputPin);
    const zv::GstPtr<GstPadTemplate> templ = zv::AdoptObject(gst_pad_get_pad_template(outputPin));
    const bool needsQueue = templ && GST_PAD_TEMPLATE_PRESENCE(templ.get()) != GST_PAD_ALWAYS;
    if (needsQueue) {
        queue = MakeElement("queue");
        if (!queue || !gst_bin_add(GST_BIN(graph), queue.get())) {
            return E_FAIL;
        }
        if (IsPipelineActive(GST_ELEMENT(graph))) {
            gst_element_sync_state_with_parent(queue.get());
        }
        zv::GstPtr<GstPad> queueSink = zv::AdoptObject(gst_element_get_static_pad(queue.get(), "sink"));
        if (gst_pad_link(outputPin, queueSink.get()) != GST_PAD_LINK_OK) {
            gst_element_set_state(queue.get(), GST_STATE_NULL);
            gst_bin_remove(GST_BIN(graph), queue.get());
            return E_FAIL;
        }
        source = zv::AdoptObject(gst_element_get_static_pad(queue.get(), "src"));
    }
    const GstPadLinkReturn link = gst_pad_link(source.get(), inputPin.get());
    if (link == GST_PAD_LINK_NOFORMAT) {
        hr = LinkThroughConverter(source.get(), inputPin.get());
    } else {
        hr = link == GST_PAD_LINK_OK ? S_OK : E_FAIL;
    }
    if (SUCCEEDED(hr)) {
        // The destination must accept the stream's actual type, as a connection checks the media type.
        zv::CapsPtr caps(gst_pad_query_caps(outputPin, nullptr));
        if (caps && gst_caps_is_fixed(caps.get()) && !gst_pad_query_accept_caps(inputPin.get(), caps.get())) {
            gst_pad_unlink(source.get(), inputPin.get());
            hr = VFW_E_TYPE_NOT_ACCEPTED;
        }
    }
    if (FAILED(hr) && queue) {
        gst_element_set_state(queue.get(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(graph), queue.get());
    }
    return hr;
}

HRESULT CPlaybackGraph::ConnectFilters(GstPipeline* graph, GstElement* source, GstElement* destination)
{
    if (graph == nullptr || source == nullptr || destination == nullptr) {
        return E_POINTER;
    }
    zv::GstPtr<GstPad> outputPin;
    HRESULT hr = GetUnconnectedPin(source, GST_PAD_SRC, outputPin);
    if (FAILED(hr)) {
        return hr;
    }
    hr = ConnectPinToFilter(graph, outputPin.get(), destination);
    if (FAILED(hr)) {
        const zv::GstPtr<GstPadTemplate> templ = zv::AdoptObject(gst_pad_get_pad_template(outputPin.get()));
        if (templ && GST_PAD_TEMPLATE_PRESENCE(templ.get()) == GST_PAD_REQUEST) {
            gst_element_release_request_pad(source, outputPin.get());
        }
    }
    return hr;
}

HRESULT CPlaybackGraph::RenderAudio(GstPad* outputPin)
{
    if (outputPin == nullptr || !PadCapsHaveName(outputPin, "audio/x-raw")) {
        return E_FAIL;
    }
    const char* chain[] = {"audioconvert", "audioresample", m_audioSinkFactory.c_str()};
    std::vector<zv::GstPtr<GstElement>> elements;
    for (const char* factory : chain) {
        zv::GstPtr<GstElement> element = MakeElement(factory);
        if (!element) {
            return E_FAIL;
        }
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(element.get()), "sync") != nullptr) {
            g_object_set(element.get(), "sync", TRUE, nullptr);   // a fake sound sink still keeps time
        }
        if (!gst_bin_add(GST_BIN(m_pGraph.get()), element.get())) {
            return E_FAIL;
        }
        elements.push_back(std::move(element));
    }
    for (std::size_t i = 0; i + 1 < elements.size(); ++i) {
        if (!gst_element_link(elements[i].get(), elements[i + 1].get())) {
            return E_FAIL;
        }
    }
    for (auto& element : elements) {
        gst_element_sync_state_with_parent(element.get());
    }
    ReportMissingAudioOutput(elements.back().get());
    return ConnectPinToFilter(m_pGraph.get(), outputPin, elements.front().get());
}

HRESULT CPlaybackGraph::AddVideoRenderer(std::int32_t kind, zv::GstPtr<GstElement>& renderer)
{
    zv::GstPtr<GstElement> bin = MakeElement("bin");
    if (!bin) {
        return E_FAIL;
    }
    std::vector<zv::GstPtr<GstElement>> chain;
    if (kind == 1) {
        // The overlay draws into a native X11 window: nothing to draw into elsewhere.
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            return E_FAIL;
        }
        if (zv::GstPtr<GstElement> gl = ElementFactory().Make("glimagesink")) {
            chain.push_back(std::move(gl));
        } else {
            for (const char* factory : {"videoconvert", "videoscale", "ximagesink"}) {
                zv::GstPtr<GstElement> element = ElementFactory().Make(factory);
                if (!element) {
                    // Either sink would do: the detail names both packages.
                    m_errorDetail = MissingElementsText("glimagesink", factory);
                    return E_FAIL;
                }
                chain.push_back(std::move(element));
            }
        }
    } else {
        zv::GstPtr<GstElement> convert = MakeElement("videoconvert");
        zv::GstPtr<GstElement> sink = MakeElement("appsink");
        if (!convert || !sink) {
            return E_FAIL;
        }
        // The picture is shown at or near its own size: plain chroma replication is enough and halves
        // the conversion's cost.
        g_object_set(convert.get(), "chroma-mode", 3 /* none */, "dither", 0 /* none */, nullptr);
        zv::CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", nullptr));
        g_object_set(sink.get(), "caps", caps.get(), "max-buffers", 1u, nullptr);
        chain.push_back(std::move(convert));
        chain.push_back(std::move(sink));
    }
    for (auto& element : chain) {
        gst_bin_add(GST_BIN(bin.get()), element.get());
    }
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain[i].get(), chain[i + 1].get())) {
            return E_FAIL;
        }
    }
    zv::GstPtr<GstPad> target = zv::AdoptObject(gst_element_get_static_pad(chain.front().get(), "sink"));
    if (!target || !gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get()))) {
        return E_FAIL;
    }
    const HRESULT hr = AddNamed(bin.get(), kind == 1 ? "Video Mixing Renderer 7" : "Video Mixing Renderer 9");
    if (FAILED(hr)) {
        return hr;
    }
    renderer = std::move(bin);
    return S_OK;
}

HRESULT CPlaybackGraph::SetWindowlessVMR9(GstElement* renderer, QWidget* clippingWindow,
                                          std::unique_ptr<IWindowlessControl>& control)
{
    if (renderer == nullptr) {
        return E_POINTER;
    }
    zv::GstPtr<GstElement> sink = FindInBin(renderer, GST_TYPE_APP_SINK);
    if (!sink) {
        return E_FAIL;
    }
    auto windowless = std::make_unique<CAppSinkRenderer>(sink.get());
    const HRESULT hr = windowless->SetVideoClippingWindow(clippingWindow);
    if (FAILED(hr)) {
        return hr;
    }
    control = std::move(windowless);
    return S_OK;
}

HRESULT CPlaybackGraph::SetWindowlessVMR7(GstElement* renderer, QWidget* clippingWindow,
                                          std::unique_ptr<IWindowlessControl>& control)
{
    if (renderer == nullptr) {
        return E_POINTER;
    }
    zv::GstPtr<GstElement> sink = FindInBin(renderer, GST_TYPE_VIDEO_OVERLAY);
    if (!sink) {
        return E_FAIL;
    }
    auto windowless = std::make_unique<COverlayRenderer>(renderer, sink.get());
    const HRESULT hr = windowless->SetVideoClippingWindow(clippingWindow);
    if (FAILED(hr)) {
        return hr;
    }
    control = std::move(windowless);
    return S_OK;
}

HRESULT CPlaybackGraph::GetFrameDuration(const char* path, std::int64_t& duration)
{
    FirstStreamInfo info;
    if (path == nullptr || !ReadFirstStreamInfo(path, info) || info.rate == 0 || info.scale == 0) {
        return E_FAIL;
    }
    duration = 10'000'000LL * info.scale / info.rate;
    return S_OK;
}

HRESULT CPlaybackGraph::BuildGraph(const char* path, std::int32_t renderer, std::int32_t decoderRes,
                                   std::int32_t dateFormat, std::int32_t overlayWidth, std::int32_t overlayHeight)
{
    m_errorDetail.clear();
    if (path == nullptr) {
        return Fail(E_POINTER, "Could not create the file reader");
    }
    HRESULT hr = S_OK;

    // 1-3: the pipeline, its state control, its bus and its positions.
    zv::GstPtr<GstElement> pipeline = MakeElement("pipeline");
    if (!pipeline || !GST_IS_PIPELINE(pipeline.get())) {
        return Fail(E_FAIL, "Could not create the Filter Graph Manager");
    }
    m_pGraph = zv::GstPtr<GstPipeline>(GST_PIPELINE(pipeline.release()));
    m_pControl = zv::RefObject(GST_ELEMENT(m_pGraph.get()));
    if (!m_pControl) {
        return Fail(E_FAIL, "Could not create the Media Control object");
    }
    m_pEvent = zv::AdoptObject(gst_pipeline_get_bus(m_pGraph.get()));
    m_pSeeking = zv::RefObject(GST_ELEMENT(m_pGraph.get()));
    if (!m_pEvent || !m_pSeeking) {
        return Fail(E_FAIL, "Could not create the Media Event object");
    }
    m_events.Attach(m_pEvent.get());

    // 4-5: the picture's renderer.
    m_nRenderer = renderer;
    hr = AddVideoRenderer(renderer, m_pVideoRenderer);
    if (FAILED(hr)) {
        return Fail(hr, "Could not add renderer");
    }
    hr = renderer == 1 ? SetWindowlessVMR7(m_pVideoRenderer.get(), m_hwndVideo, m_pVideoWC7)
                       : SetWindowlessVMR9(m_pVideoRenderer.get(), m_hwndVideo, m_pVideoWC9);
    if (FAILED(hr)) {
        return Fail(hr, "Could not set windowless renderer");
    }

    // 6-8: the file reader, named by the path, on the file.
    zv::GstPtr<GstElement> reader = MakeElement("filesrc");
    if (!reader) {
        return Fail(E_FAIL, "Could not create the file reader");
    }
    if (FAILED(AddNamed(reader.get(), path))) {
        return Fail(E_FAIL, "Could not add the file reader");
    }
    g_object_set(reader.get(), "location", path, nullptr);
    // The reader opens the file only when the pipeline starts; find out now whether it can.
    // Never waiting on a FIFO, nor handing the reader anything but a regular file.
    const zv::UniqueFd file = zv::OpenForSequentialRead(path);
    if (!file) {
        m_errorDetail = GetLastErrorText();
        return Fail(E_FAIL, "Could not add source filter");
    }
    // The splitter reserves its index tables from the counts the file claims and allocates each chunk at
    // the size its index entry gives: a claim no DV file backs would have it take gigabytes, or abort when
    // it cannot. The frame index refuses the same files with the same sentence.
    const IndexClaimsVerdict claims = CheckIndexClaims(file.Get());
    if (!claims.fits) {
        m_errorDetail = DescribeIndexClaims(claims);
        return Fail(E_FAIL, "Could not connect from source filter");
    }

    // 9: the frame duration from the stream header (a missing one is looked for again in the caps).
    FirstStreamInfo info;
    const bool haveInfo = ReadFirstStreamInfo(path, info);
    std::int64_t duration = 0;
    if (SUCCEEDED(GetFrameDuration(path, duration))) {
        m_rtFrame = duration;
    }
    m_rtHalfFrame = m_rtFrame / 2;

    // 10-11: the AVI splitter on the reader. Its pads come from the file's headers, so the pipeline starts
    // pausing here; the gate holds the splitter's thread until the whole graph is linked.
    zv::GstPtr<GstElement> splitter;
    hr = MakeAndAdd("avidemux", "AVI Splitter", splitter, "Could not create AVI splitter", "Could not add AVI splitter");
    if (FAILED(hr)) {
        return hr;
    }
    m_splitterGate.Attach(splitter.get(), CPadGate::HoldAt::NoMorePads);
    hr = ConnectFilters(m_pGraph.get(), reader.get(), splitter.get());
    if (SUCCEEDED(hr)) {
        if (gst_element_set_state(GST_ELEMENT(m_pGraph.get()), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE
            || !m_splitterGate.WaitHeld(kPadWait, [this] { return m_events.HasError(); })) {
            hr = E_FAIL;
        }
    }
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from source filter");
    }

    // 12-14: the first stream into the tee.
    zv::GstPtr<GstPad> splitterPin;
    hr = GetUnconnectedPin(splitter.get(), GST_PAD_SRC, splitterPin);
    if (FAILED(hr)) {
        return Fail(hr, "Could not get output pin of AVI Splitter");
    }
    zv::GstPtr<GstElement> tee;
    hr = MakeAndAdd("tee", "Infinite Pin Tee Filter", tee, "Could not create Tee filter", "Could not add Tee filter");
    if (FAILED(hr)) {
        return hr;
    }
    hr = ConnectPinToFilter(m_pGraph.get(), splitterPin.get(), tee.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from AVI splitter");
    }

    // 15: the stream's type decides whether there is a picture to decode.
    zv::CapsPtr streamCaps(gst_pad_get_current_caps(splitterPin.get()));
    if (!streamCaps || gst_caps_is_empty(streamCaps.get())) {
        return Fail(E_FAIL, "Could not get output type from splitter");
    }
    const GstStructure* streamType = gst_caps_get_structure(streamCaps.get(), 0);
    std::uint32_t subtype = haveInfo ? FirstStreamSubtype(path, info) : 0;
    if (!gst_structure_has_name(streamType, "video/x-dv")) {
        subtype = 0xFFFFFFFFu;   // not DV at all
    } else if (subtype == 0) {
        subtype = kSubtypeDvsd;
    }
    if (m_rtFrame == 0) {
        m_rtFrame = FrameDurationFromCaps(splitterPin.get());
        m_rtHalfFrame = m_rtFrame / 2;
    }
    gboolean systemStream = FALSE;
    gst_structure_get_boolean(streamType, "systemstream", &systemStream);
    streamCaps.reset();

    bool viaDvSplitter = false;
    zv::GstPtr<GstElement> dvSplitterElement;
    if (subtype == kSubtypeDvsd) {
        // 16-17: the decoder at the chosen resolution.
        zv::GstPtr<GstElement> decoder;
        hr = MakeAndAdd("avdec_dvvideo", "DV Decoder", decoder, "Could not create DV decoder", "Could not add DV decoder");
        if (FAILED(hr)) {
            return hr;
        }
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(decoder.get()), "lowres") == nullptr) {
            return Fail(E_FAIL, "Could not query IIPDVDec");
        }
        g_object_set(decoder.get(), "lowres", decoderRes == 1 ? 1 : 0, nullptr);
        gint lowres = -1;
        g_object_get(decoder.get(), "lowres", &lowres, nullptr);
        if (lowres != (decoderRes == 1 ? 1 : 0)) {
            return Fail(E_FAIL, "Could not set DV decoder res");
        }

        // 18: a separate sound stream (type-2 file), or the sound inside the DV frames (type-1, or a
        // type-2 file without sound) through the DV splitter; frames without sound go to the decoder.
        zv::GstPtr<GstPad> audioPin;
        if (SUCCEEDED(GetUnconnectedPin(splitter.get(), GST_PAD_SRC, audioPin))) {
            hr = RenderAudio(audioPin.get());
            if (FAILED(hr)) {
                return Fail(hr, "Could not render Avi Splitter audio output");
            }
            hr = ConnectFilters(m_pGraph.get(), tee.get(), decoder.get());
            if (FAILED(hr)) {
                return Fail(hr, "Could not connect from AVI splitter");
            }
        } else if (bool framesCarrySound = true; FAILED(hr = HoldFirstFrame(tee.get(), path, framesCarrySound))) {
            return hr;
        } else if (!framesCarrySound) {
            // Nothing for the DV splitter to do: its audio decoder would only complain about every frame.
            hr = ConnectFramesToDecoder(tee.get(), decoder.get(), systemStream != FALSE);
            if (FAILED(hr)) {
                return hr;
            }
        } else {
            viaDvSplitter = true;
            zv::GstPtr<GstElement> dvSplitter;
            hr = MakeAndAdd("dvdemux", "DV Splitter", dvSplitter, "Could not create DV splitter", "Could not add DV splitter");
            if (FAILED(hr)) {
                return hr;
            }
            dvSplitterElement = zv::RefObject(dvSplitter.get());
            zv::GstPtr<GstElement> splitterInput = zv::RefObject(dvSplitter.get());
            if (!systemStream) {
                // Plain DV video frames are whole DV frames too; only the caps say otherwise.
                zv::GstPtr<GstElement> adapter = MakeElement("capssetter");
                zv::CapsPtr caps(gst_caps_from_string("video/x-dv, systemstream=(boolean)true"));
                if (!adapter || !gst_bin_add(GST_BIN(m_pGraph.get()), adapter.get())) {
                    return Fail(E_FAIL, "Could not connect Tee to DV splitter");
                }
                g_object_set(adapter.get(), "caps", caps.get(), "join", TRUE, "replace", FALSE, nullptr);
                gst_element_sync_state_with_parent(adapter.get());
                if (!gst_element_link(adapter.get(), dvSplitter.get())) {
                    return Fail(E_FAIL, "Could not connect Tee to DV splitter");
                }
                splitterInput = std::move(adapter);
            }
            hr = ConnectFilters(m_pGraph.get(), tee.get(), splitterInput.get());
            if (FAILED(hr)) {
                return Fail(hr, "Could not connect Tee to DV splitter");
            }
            // The DV splitter makes its pads from the first frame: let exactly that frame through and
            // hold its thread once the pads exist.
            m_dvSplitterGate.Attach(dvSplitter.get(), CPadGate::HoldAt::VideoPad);
            m_discoveryValve.Allow(1);
            // The end of the stream passing the tee says nothing yet: the one frame before it may still be
            // on its way to the splitter. The gate gives up once the end has reached the splitter itself.
            if (!m_dvSplitterGate.WaitHeld(kPadWait, [this] { return m_events.HasError(); })) {
                if (m_discoveryValve.EndOfStream()) {
                    m_errorDetail = "The stream ends before its first DV frame.";
                }
                return Fail(E_FAIL, "Could not connect DV splitter to DV decoder");
            }
            hr = ConnectFilters(m_pGraph.get(), dvSplitter.get(), decoder.get());
            if (FAILED(hr)) {
                return Fail(hr, "Could not connect DV splitter to DV decoder");
            }
            zv::GstPtr<GstPad> videoPad = zv::AdoptObject(gst_element_get_static_pad(dvSplitter.get(), "video"));
            if (videoPad) {
                int num = 0;
                int den = 0;
                zv::CapsPtr caps(gst_pad_get_current_caps(videoPad.get()));
                if (caps && !gst_caps_is_empty(caps.get())
                    && gst_structure_get_fraction(gst_caps_get_structure(caps.get(), 0), "framerate", &num, &den)
                    && num > 0 && den > 0) {
                    m_dvSplitterTiming.Attach(videoPad.get(), static_cast<std::uint32_t>(num), static_cast<std::uint32_t>(den));
                }
                if (m_rtFrame == 0) {
                    m_rtFrame = FrameDurationFromCaps(videoPad.get());
                    m_rtHalfFrame = m_rtFrame / 2;
                }
            }
            // Frames without sound give the splitter no audio output: the file plays silent.
            zv::GstPtr<GstPad> dvAudioPin;
            if (SUCCEEDED(GetUnconnectedPin(dvSplitter.get(), GST_PAD_SRC, dvAudioPin))) {
                hr = RenderAudio(dvAudioPin.get());
                if (FAILED(hr)) {
                    return Fail(hr, "Could not render DV Splitter audio output");
                }
            }
        }

        // 19-20: decoded pictures to the renderer.
        zv::GstPtr<GstPad> decoderOutput;
        hr = GetUnconnectedPin(decoder.get(), GST_PAD_SRC, decoderOutput);
        if (SUCCEEDED(hr)) {
            hr = ConnectPinToFilter(m_pGraph.get(), decoderOutput.get(), m_pVideoRenderer.get());
        }
        if (FAILED(hr)) {
            return Fail(hr, "Could not connect DV Decoder to renderer");
        }
    }
    if (m_rtFrame <= 0) {
        // Every position is counted in frames of this duration: without one nothing can be sought.
        return Fail(E_FAIL, "Could not get frame rate");
    }

    // 21-22: the metadata filter, configured before it joins the pipeline, on the tee's next output.
    zv::GstPtr<GstElement> metaFilter = MakeElement("dvmetadatafilter");
    CDVMetadataFilter* filter = DvMetadataFilterOf(metaFilter.get());
    if (filter == nullptr) {
        return Fail(E_OUTOFMEMORY, "Could not add Meta filter");
    }
    filter->SetOverlaySize(overlayWidth, overlayHeight);
    filter->SetDateOrder(dateFormat);
    DvSourceStream source;
    source.subtype = subtype;
    source.hasDvInfo = haveInfo && info.hasDvInfo;
    source.dvVAuxSrc = info.dvVAuxSrc;
    source.rate = haveInfo ? info.rate : 0;
    source.scale = haveInfo ? info.scale : 0;
    filter->SetSourceStream(source);
    if (FAILED(AddNamed(metaFilter.get(), "DV Metadata Filter"))) {
        return Fail(E_FAIL, "Could not add Meta filter");
    }
    hr = ConnectFilters(m_pGraph.get(), tee.get(), metaFilter.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect Tee to Meta filter");
    }

    // 23-26: the strip's renderer, with a converter at hand for that connection.
    hr = AddVideoRenderer(renderer, m_pMetaRenderer);
    if (FAILED(hr)) {
        return Fail(hr, "Could not add renderer");
    }
    hr = renderer == 1 ? SetWindowlessVMR7(m_pMetaRenderer.get(), m_hwndMeta, m_pMetaWC7)
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
    hr = ConnectFilters(m_pGraph.get(), metaFilter.get(), m_pMetaRenderer.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect Meta filter to renderer");
    }

    // 27-28: both pictures keep their shape.
    for (IWindowlessControl* control : {m_pVideoWC9 ? m_pVideoWC9.get() : m_pVideoWC7.get(),
                                        m_pMetaWC9 ? m_pMetaWC9.get() : m_pMetaWC7.get()}) {
        if (control != nullptr) {
            hr = control->SetAspectRatioMode(VMR_ARMODE_LETTER_BOX);
            if (FAILED(hr)) {
                return Fail(hr, "Could not set aspect ratio mode");
            }
        }
    }

    // 29: graph events to the notify object.
    m_events.SetNotifyWindow(m_hwndNotify, m_uNotifyMsg);

    // 30: the stop position, the end every later test of "last frame" measures against.
    hr = GetPositions(nullptr, &m_rtStop);
    if (FAILED(hr)) {
        return Fail(hr, "Could not get positions");
    }

    // The graph is complete: a renderer left without input must not hold up pausing, then data flows.
    zv::GstPtr<GstPad> videoInput = zv::AdoptObject(gst_element_get_static_pad(m_pVideoRenderer.get(), "sink"));
    if (videoInput && !gst_pad_is_linked(videoInput.get())) {
        // Taken out and put back, so the pipeline forgets the preroll it was waiting for from it.
        gst_bin_remove(GST_BIN(m_pGraph.get()), m_pVideoRenderer.get());
        gst_element_set_state(m_pVideoRenderer.get(), GST_STATE_NULL);
        zv::ForEachElement(gst_bin_iterate_sinks(GST_BIN(m_pVideoRenderer.get())), [](GstElement* sink) {
            g_object_set(sink, "async", FALSE, nullptr);
            return true;
        });
        gst_bin_add(GST_BIN(m_pGraph.get()), m_pVideoRenderer.get());
        gst_element_sync_state_with_parent(m_pVideoRenderer.get());
    }
    zv::GstPtr<GstPad> seekInput = zv::AdoptObject(gst_element_get_static_pad(SeekTarget(), "sink"));
    if (seekInput) {
        m_seekWatch.Attach(seekInput.get());
    }
    // A stop drops the splitters' outputs; they are linked again where they lead now.
    m_splitterLinks.Watch(splitter.get());
    if (dvSplitterElement) {
        m_dvSplitterLinks.Watch(dvSplitterElement.get(), [this](GstPad* pad) {
            if (std::strncmp(GST_OBJECT_NAME(pad), "video", 5) == 0) {
                m_dvSplitterTiming.MoveTo(pad);
            }
        });
    }
    if (m_holdUntilFirstSeek) {
        GateInputOf(GST_BIN(m_pGraph.get()), "DV Decoder", m_decoderGate);
        GateInputOf(GST_BIN(m_pGraph.get()), "DV Metadata Filter", m_stripGate);
    }
    ReleaseGates();
    if (m_holdUntilFirstSeek) {
        // A seek that came before the DV splitter has taken up its pads would not reach the picture.
        m_decoderGate.WaitFirstFrame(kPadWait);
        m_stripGate.WaitFirstFrame(kPadWait);
    } else if (viaDvSplitter) {
        // The DV splitter's first frame went through before the strip's branch existed: start again at
        // frame 0 so both branches begin together (a held graph begins at its first seek instead). When the stream ended with that frame, the strip's
        // branch will get neither a frame nor the end, so it cannot preroll: nothing to wait for.
        if (!m_discoveryValve.EndOfStream()) {
            WaitForPreroll(kPrerollWaitMs);
        }
        SetPositions(m_rtHalfFrame);
    }
    return hr;
}

// The first frame, held at the tee's input while the graph is built, says whether the frames carry
// sound (else a sample of the file's frames does): the DV splitter is there only for the sound inside them.
HRESULT CPlaybackGraph::HoldFirstFrame(GstElement* tee, const char* path, bool& carriesSound)
{
    zv::GstPtr<GstPad> teeInput = zv::AdoptObject(gst_element_get_static_pad(tee, "sink"));
    if (!teeInput) {
        return Fail(E_FAIL, "Could not connect Tee to DV splitter");
    }
    m_discoveryValve.Attach(teeInput.get(), 0);
    m_splitterGate.Release();
    if (!m_discoveryValve.WaitHeld(kPadWait, [this] { return m_events.HasError(); })) {
        if (m_discoveryValve.EndOfStream()) {
            m_errorDetail = "The stream ends before its first DV frame.";
        }
        return Fail(E_FAIL, "Could not connect DV splitter to DV decoder");
    }
    // A silent first frame may only be blank tape before the recording: the file's own frames decide then.
    carriesSound = m_discoveryValve.TestHeld(&DvFrameCarriesSound) || FileFramesCarrySound(path);
    return S_OK;
}

// Frames without sound straight from the tee to the decoder.
HRESULT CPlaybackGraph::ConnectFramesToDecoder(GstElement* tee, GstElement* decoder, bool systemStream)
{
    GstElement* input = decoder;
    zv::GstPtr<GstElement> adapter;
    if (systemStream) {
        // Interleaved frames are whole DV frames as plain DV video frames are: only the caps differ.
        adapter = ElementFactory().Make("capssetter");
        zv::CapsPtr caps(gst_caps_from_string("video/x-dv, systemstream=(boolean)false"));
        if (!adapter || !gst_bin_add(GST_BIN(m_pGraph.get()), adapter.get())) {
            return Fail(E_FAIL, "Could not connect from AVI splitter");
        }
        g_object_set(adapter.get(), "caps", caps.get(), "join", TRUE, "replace", FALSE, nullptr);
        gst_element_sync_state_with_parent(adapter.get());
        if (!gst_element_link(adapter.get(), decoder)) {
            return Fail(E_FAIL, "Could not connect from AVI splitter");
        }
        input = adapter.get();
    }
    const HRESULT hr = ConnectFilters(m_pGraph.get(), tee, input);
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from AVI splitter");
    }
    return S_OK;
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
