// CPlaybackGraph's building blocks: making and adding elements, finding free pads, connecting elements
// (with a queue per branch and a converter where the types differ), the sound chain, the two renderer
// kinds and their windowless controls.

#include "playback/graph_build.h"
#include "playback/playback_graph.h"

#include "playback/appsink_renderer.h"
#include "playback/audio_output_ahead.h"
#include "playback/audio_output_notice.h"
#include "playback/element_factory.h"
#include "playback/element_packages.h"
#include "playback/graph_error_text.h"
#include "playback/overlay_renderer.h"

#include <gst/app/gstappsink.h>
#include <gst/video/videooverlay.h>

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsVideoPadName(GstPad* pad)
{
    zv::GCharPtr name(gst_pad_get_name(pad));
    return name && std::strncmp(name.get(), "video", 5) == 0;
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

// A renderer's windowless control, handed back only once it has its window.
HRESULT HandOver(GstElement* renderer, std::unique_ptr<IWindowlessControl> windowless, QWidget* clippingWindow,
                 std::unique_ptr<IWindowlessControl>& control)
{
    if (renderer == nullptr) {
        return E_POINTER;
    }
    if (!windowless) {
        return E_FAIL;
    }
    const HRESULT hr = windowless->SetVideoClippingWindow(clippingWindow);
    if (FAILED(hr)) {
        return hr;
    }
    control = std::move(windowless);
    return S_OK;
}

bool IsTee(GstElement* element)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory != nullptr && std::strcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "tee") == 0;
}

}  // namespace

namespace graph_build {

bool FrameRateOfPad(GstPad* pad, int& num, int& den)
{
    zv::CapsPtr caps(gst_pad_get_current_caps(pad));
    return caps && !gst_caps_is_empty(caps.get())
        && gst_structure_get_fraction(gst_caps_get_structure(caps.get(), 0), "framerate", &num, &den) && num > 0
        && den > 0;
}

std::int64_t FrameDurationOfPad(GstPad* pad)
{
    int num = 0;
    int den = 0;
    return FrameRateOfPad(pad, num, den) ? 10'000'000LL * den / num : 0;
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

}  // namespace graph_build

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
    if (graph_build::IsPipelineActive(GST_ELEMENT(m_pGraph.get()))) {
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
    // would stall its siblings. The tee never waits (each of its branches has its queue), so the frames
    // reach it on the demuxer's own thread: one thread fewer to wake for every frame.
    zv::GstPtr<GstElement> queue;
    zv::GstPtr<GstPad> source = zv::RefObject(outputPin);
    const zv::GstPtr<GstPadTemplate> templ = zv::AdoptObject(gst_pad_get_pad_template(outputPin));
    const bool needsQueue = templ && GST_PAD_TEMPLATE_PRESENCE(templ.get()) != GST_PAD_ALWAYS && !IsTee(destination);
    if (needsQueue) {
        queue = MakeElement("queue");
        if (!queue || !gst_bin_add(GST_BIN(graph), queue.get())) {
            return E_FAIL;
        }
        if (graph_build::IsPipelineActive(GST_ELEMENT(graph))) {
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
    const HRESULT found = GetUnconnectedPin(source, GST_PAD_SRC, outputPin);
    const HRESULT hr = SUCCEEDED(found) ? ConnectPinToFilter(graph, outputPin.get(), destination) : found;
    if (FAILED(hr) && outputPin) {
        // A tee's output asked for this connection alone goes back.
        const zv::GstPtr<GstPadTemplate> templ = zv::AdoptObject(gst_pad_get_pad_template(outputPin.get()));
        if (templ && GST_PAD_TEMPLATE_PRESENCE(templ.get()) == GST_PAD_REQUEST) {
            gst_element_release_request_pad(source, outputPin.get());
        }
    }
    return hr;
}

HRESULT CPlaybackGraph::RenderAudio(GstPad* outputPin, bool late)
{
    if (outputPin == nullptr || !graph_build::PadCapsHaveName(outputPin, "audio/x-raw")) {
        return E_FAIL;
    }
    const char* const chain[] = {"audioconvert", "audioresample", m_audioSinkFactory.c_str()};
    std::vector<zv::GstPtr<GstElement>> elements;
    for (const char* factory : chain) {
        // The automatic output the window's start opened ahead, when this graph is the first to want it.
        zv::GstPtr<GstElement> element = factory == m_audioSinkFactory && m_audioSinkFactory == "autoaudiosink"
            ? TakeAudioOutputOpenedAhead()
            : nullptr;
        if (!element) {
            element = MakeElement(factory);
        }
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
    if (late && g_object_class_find_property(G_OBJECT_GET_CLASS(elements.back().get()), "async") != nullptr) {
        g_object_set(elements.back().get(), "async", FALSE, nullptr);
    }
    for (auto& element : elements) {
        gst_element_sync_state_with_parent(element.get());
    }
    ReportMissingAudioOutput(elements.back().get());
    if (late) {
        m_lateSoundInput = zv::RefObject(elements.front().get());
    }
    return ConnectPinToFilter(m_pGraph.get(), outputPin, elements.front().get());
}

void CPlaybackGraph::LinkLateSound(GstPad* pad)
{
    if (std::strncmp(GST_OBJECT_NAME(pad), "audio", 5) != 0 || gst_pad_is_linked(pad)) {
        return;
    }
    if (!m_lateSoundInput) {
        RenderAudio(pad, true);   // failing, the file plays silent as it would have without the late sound
        return;
    }
    const zv::GstPtr<GstPad> input = zv::AdoptObject(gst_element_get_static_pad(m_lateSoundInput.get(), "sink"));
    if (input && !gst_pad_is_linked(input.get())) {
        gst_pad_link(pad, input.get());
    }
}

HRESULT CPlaybackGraph::AddVideoRenderer(std::int32_t kind, zv::GstPtr<GstElement>& renderer)
{
    zv::GstPtr<GstElement> bin = MakeElement("bin");
    if (!bin) {
        return E_FAIL;
    }
    std::vector<zv::GstPtr<GstElement>> chain = kind == 1 ? OverlayChain() : BuiltInChain();
    if (chain.empty()) {
        return E_FAIL;
    }
    for (auto& element : chain) {
        if (!gst_bin_add(GST_BIN(bin.get()), element.get())) {
            return E_FAIL;
        }
    }
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        if (!gst_element_link(chain[i].get(), chain[i + 1].get())) {
            return E_FAIL;
        }
    }
    zv::GstPtr<GstPad> target = zv::AdoptObject(gst_element_get_static_pad(chain.front().get(), "sink"));
    // Held here until the bin has it: a pad the bin refuses is released with the handle.
    zv::GstPtr<GstPad> input = target ? zv::AdoptObject(gst_ghost_pad_new("sink", target.get())) : zv::GstPtr<GstPad>();
    if (!input || !gst_element_add_pad(bin.get(), input.get())) {
        return E_FAIL;
    }
    const HRESULT hr = AddNamed(bin.get(), kind == 1 ? "Video Mixing Renderer 7" : "Video Mixing Renderer 9");
    if (FAILED(hr)) {
        return hr;
    }
    renderer = std::move(bin);
    return S_OK;
}

std::vector<zv::GstPtr<GstElement>> CPlaybackGraph::OverlayChain()
{
    std::vector<zv::GstPtr<GstElement>> chain;
    // The overlay draws into a native X11 window: nothing to draw into elsewhere.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return chain;
    }
    if (zv::GstPtr<GstElement> gl = ElementFactory().Make("glimagesink")) {
        chain.push_back(std::move(gl));
        return chain;
    }
    for (const char* factory : {"videoconvert", "videoscale", "ximagesink"}) {
        zv::GstPtr<GstElement> element = ElementFactory().Make(factory);
        if (!element) {
            // Either sink would do: the detail names both packages.
            m_errorDetail = MissingElementsText("glimagesink", factory);
            return {};
        }
        chain.push_back(std::move(element));
    }
    return chain;
}

std::vector<zv::GstPtr<GstElement>> CPlaybackGraph::BuiltInChain()
{
    zv::GstPtr<GstElement> convert = MakeElement("videoconvert");
    zv::GstPtr<GstElement> sink = MakeElement("appsink");
    if (!convert || !sink) {
        return {};
    }
    // The renderer takes the DV decoder's own YUV and the strip's BGRx as they come, and converts the
    // picture itself only where it is drawn: the converter stays as a pass-through for anything else
    // (where plain chroma replication is enough for a picture shown at or near its own size).
    g_object_set(convert.get(), "chroma-mode", 3 /* none */, "dither", 0 /* none */, nullptr);
    zv::CapsPtr caps(gst_caps_from_string("video/x-raw, format=(string){ I420, Y41B, BGRx }"));
    g_object_set(sink.get(), "caps", caps.get(), "max-buffers", 1u, nullptr);
    std::vector<zv::GstPtr<GstElement>> chain;
    chain.push_back(std::move(convert));
    chain.push_back(std::move(sink));
    return chain;
}

HRESULT CPlaybackGraph::SetWindowlessVMR9(GstElement* renderer, QWidget* clippingWindow,
                                          std::unique_ptr<IWindowlessControl>& control)
{
    zv::GstPtr<GstElement> sink = renderer != nullptr ? FindInBin(renderer, GST_TYPE_APP_SINK) : zv::GstPtr<GstElement>();
    return HandOver(renderer, sink ? std::make_unique<CAppSinkRenderer>(sink.get()) : nullptr, clippingWindow, control);
}

HRESULT CPlaybackGraph::SetWindowlessVMR7(GstElement* renderer, QWidget* clippingWindow,
                                          std::unique_ptr<IWindowlessControl>& control)
{
    zv::GstPtr<GstElement> sink = renderer != nullptr ? FindInBin(renderer, GST_TYPE_VIDEO_OVERLAY) : zv::GstPtr<GstElement>();
    return HandOver(renderer, sink ? std::make_unique<COverlayRenderer>(renderer, sink.get()) : nullptr, clippingWindow,
                    control);
}

HRESULT CPlaybackGraph::GetFrameDuration(const FirstStreamInfo& info, std::int64_t& duration)
{
    if (info.rate == 0 || info.scale == 0) {
        return E_FAIL;
    }
    duration = 10'000'000LL * info.scale / info.rate;
    return S_OK;
}

IWindowlessControl* CPlaybackGraph::ControlFor(const QWidget* window) const
{
    if (window == nullptr) {
        return nullptr;
    }
    return window == m_hwndVideo ? VideoControl() : window == m_hwndMeta ? MetaControl() : nullptr;
}
