// CPlaybackGraph construction, the picture's branch: the DV decoder, and how the frames reach it with
// their sound. A type-2 file has its sound in a stream of its own; a type-1 file (or a type-2 file without
// a sound stream) has it inside the DV frames and goes through the DV splitter, unless no frame carries
// sound, when the frames go straight to the decoder.

#include "playback/graph_build.h"
#include "playback/playback_graph.h"
#include "playback/plugin_preload.h"

#include "avi/frame_sound.h"

// The decoder at the chosen resolution, for DV video only.
HRESULT CPlaybackGraph::AddDecoder(GraphBuild& build)
{
    if (build.subtype != graph_build::kSubtypeDvsd) {
        return S_OK;   // no decoder, no sound: the picture's renderer stays without input
    }
    if (m_decoderFactory.empty()) {
        m_decoderFactory = DvDecoderFactory();
    }
    HRESULT hr = MakeAndAdd(m_decoderFactory.c_str(), "DV Decoder", build.decoder, "Could not create DV decoder",
                            "Could not add DV decoder");
    if (FAILED(hr)) {
        return hr;
    }
    GstElement* decoder = build.decoder.get();
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(decoder), "lowres") == nullptr) {
        return Fail(E_FAIL, "Could not query IIPDVDec");
    }
    const gint wanted = build.decoderRes == 1 ? 1 : 0;
    g_object_set(decoder, "lowres", wanted, nullptr);
    gint lowres = -1;
    g_object_get(decoder, "lowres", &lowres, nullptr);
    if (lowres != wanted) {
        return Fail(E_FAIL, "Could not set DV decoder res");
    }
    return S_OK;
}

// A separate sound stream (type-2 file), or the sound inside the DV frames (type-1, or a type-2 file
// without sound) through the DV splitter; frames without sound go to the decoder.
HRESULT CPlaybackGraph::RouteFramesToDecoder(GraphBuild& build)
{
    if (!build.decoder) {
        return S_OK;
    }
    zv::GstPtr<GstPad> soundPin;
    if (SUCCEEDED(GetUnconnectedPin(build.splitter.get(), GST_PAD_SRC, soundPin))) {
        if (build.rawDv && !build.framesCarrySound) {
            // A raw stream without sound: its splitter's sound output gives only the guard's silence, and
            // a file without sound gets no sound output.
            return ConnectFramesToDecoder(build.tee.get(), build.decoder.get(), build.systemStream);
        }
        return RenderSeparateSound(build, soundPin.get());
    }
    const HRESULT hr = HoldFirstFrame(build);
    if (FAILED(hr)) {
        return hr;
    }
    const bool framesCarrySound = build.framesCarrySound;
    if (!framesCarrySound || build.rawDv) {
        // Nothing for a second DV splitter to do without sound; a raw stream's own DV splitter gives the
        // sound once it starts.
        build.lateSound = framesCarrySound;
        return ConnectFramesToDecoder(build.tee.get(), build.decoder.get(), build.systemStream);
    }
    return RouteThroughDvSplitter(build);
}

// Type-2 audio: the AVI splitter's second stream to the sound output, the tee to the decoder.
HRESULT CPlaybackGraph::RenderSeparateSound(GraphBuild& build, GstPad* soundPin)
{
    HRESULT hr = RenderAudio(soundPin);
    if (FAILED(hr)) {
        return Fail(hr, "Could not render Avi Splitter audio output");
    }
    hr = ConnectFilters(m_pGraph.get(), build.tee.get(), build.decoder.get());
    return FAILED(hr) ? Fail(hr, "Could not connect from AVI splitter") : S_OK;
}

// Type-1 audio: tee -> DV splitter -> decoder, and the DV splitter's first sound output to the sound output.
HRESULT CPlaybackGraph::RouteThroughDvSplitter(GraphBuild& build)
{
    HRESULT hr = MakeAndAdd("dvdemux", "DV Splitter", build.dvSplitter, "Could not create DV splitter",
                            "Could not add DV splitter");
    if (FAILED(hr)) {
        return hr;
    }
    GstElement* dvSplitter = build.dvSplitter.get();
    m_dvSplitterSound.Attach(dvSplitter, build.info.is625, build.soundPacks, false);
    zv::GstPtr<GstElement> splitterInput = zv::RefObject(dvSplitter);
    if (!build.systemStream) {
        // Plain DV video frames are whole DV frames too; only the caps say otherwise.
        if (FAILED(AddCapsSetter("video/x-dv, systemstream=(boolean)true", dvSplitter, splitterInput))) {
            return Fail(E_FAIL, "Could not connect Tee to DV splitter");
        }
    }
    hr = ConnectFilters(m_pGraph.get(), build.tee.get(), splitterInput.get());
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect Tee to DV splitter");
    }
    hr = WaitForDvSplitterPads(dvSplitter);
    if (SUCCEEDED(hr)) {
        hr = ConnectFilters(m_pGraph.get(), dvSplitter, build.decoder.get());
    }
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect DV splitter to DV decoder");
    }
    TimeDvSplitterPictures(dvSplitter);
    // The sound guard gives a silent first frame sound of silence, so the audio output is there from the
    // start; a first frame it could not change leaves it to come with the first sound.
    zv::GstPtr<GstPad> soundPin;
    if (FAILED(GetUnconnectedPin(dvSplitter, GST_PAD_SRC, soundPin))) {
        build.lateSound = true;
        return S_OK;
    }
    hr = RenderAudio(soundPin.get());
    return FAILED(hr) ? Fail(hr, "Could not render DV Splitter audio output") : S_OK;
}

// The DV splitter makes its pads from the first frame: let exactly that frame through and hold its
// thread once the pads exist.
HRESULT CPlaybackGraph::WaitForDvSplitterPads(GstElement* dvSplitter)
{
    m_dvSplitterGate.Attach(dvSplitter, CPadGate::HoldAt::VideoPad);
    m_discoveryValve.Allow(1);
    // The end of the stream passing the tee says nothing yet: the one frame before it may still be on its
    // way to the splitter. The gate gives up once the end has reached the splitter itself.
    if (!m_dvSplitterGate.WaitHeld(graph_build::kPadWait, [this] { return m_events.HasError(); })) {
        if (m_discoveryValve.EndOfStream()) {
            m_errorDetail = graph_build::kEndsBeforeFirstFrame;
        }
        return E_FAIL;
    }
    return S_OK;
}

// The pictures behind the DV splitter get the duration of their frame; its caps give the frame duration
// when the stream header did not.
void CPlaybackGraph::TimeDvSplitterPictures(GstElement* dvSplitter)
{
    zv::GstPtr<GstPad> videoPad = zv::AdoptObject(gst_element_get_static_pad(dvSplitter, "video"));
    if (!videoPad) {
        return;
    }
    int num = 0;
    int den = 0;
    if (graph_build::FrameRateOfPad(videoPad.get(), num, den)) {
        m_dvSplitterTiming.Attach(videoPad.get(), static_cast<std::uint32_t>(num), static_cast<std::uint32_t>(den));
    }
    if (m_rtFrame == 0) {
        m_rtFrame = graph_build::FrameDurationOfPad(videoPad.get());
        m_rtHalfFrame = m_rtFrame / 2;
    }
}

// The first frame, held at the tee's input while the graph is built, says whether the frames carry
// sound (else a sample of the file's frames does): the DV splitter is there only for the sound inside them.
HRESULT CPlaybackGraph::HoldFirstFrame(GraphBuild& build)
{
    zv::GstPtr<GstPad> teeInput = zv::AdoptObject(gst_element_get_static_pad(build.tee.get(), "sink"));
    if (!teeInput) {
        return Fail(E_FAIL, "Could not connect Tee to DV splitter");
    }
    m_discoveryValve.Attach(teeInput.get(), 0);
    m_splitterGate.Release();
    if (!m_discoveryValve.WaitHeld(graph_build::kPadWait, [this] { return m_events.HasError(); })) {
        if (m_discoveryValve.EndOfStream()) {
            m_errorDetail = graph_build::kEndsBeforeFirstFrame;
        }
        return Fail(E_FAIL, "Could not connect DV splitter to DV decoder");
    }
    // A silent first frame may only be blank tape before the recording: the file's own frames decide then.
    const auto firstFrameSound = [&build](const std::uint8_t* frame, std::size_t size) {
        if (!DvFrameCarriesSound(frame, size)) {
            return false;
        }
        build.soundPacks = DvFramePacks(frame);
        return true;
    };
    build.framesCarrySound = m_discoveryValve.TestHeld(firstFrameSound) || FindFileSoundPacks(build.path, build.soundPacks);
    return S_OK;
}

// Frames without sound straight from the tee to the decoder.
HRESULT CPlaybackGraph::ConnectFramesToDecoder(GstElement* tee, GstElement* decoder, bool systemStream)
{
    zv::GstPtr<GstElement> input = zv::RefObject(decoder);
    // Interleaved frames are whole DV frames as plain DV video frames are: only the caps differ.
    HRESULT hr = systemStream ? AddCapsSetter("video/x-dv, systemstream=(boolean)false", decoder, input) : S_OK;
    if (SUCCEEDED(hr)) {
        hr = ConnectFilters(m_pGraph.get(), tee, input.get());
    }
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect from AVI splitter");
    }
    return S_OK;
}

// A caps setter in front of destination that gives the frames the caps named, keeping what else they
// state; adapter receives it.
HRESULT CPlaybackGraph::AddCapsSetter(const char* caps, GstElement* destination, zv::GstPtr<GstElement>& adapter)
{
    zv::GstPtr<GstElement> setter = MakeElement("capssetter");
    if (!setter || !gst_bin_add(GST_BIN(m_pGraph.get()), setter.get())) {
        return E_FAIL;
    }
    const zv::CapsPtr stated(gst_caps_from_string(caps));
    g_object_set(setter.get(), "caps", stated.get(), "join", TRUE, "replace", FALSE, nullptr);
    gst_element_sync_state_with_parent(setter.get());
    if (!gst_element_link(setter.get(), destination)) {
        return E_FAIL;
    }
    adapter = std::move(setter);
    return S_OK;
}

// Decoded pictures to the renderer.
HRESULT CPlaybackGraph::ConnectDecoderToRenderer(GraphBuild& build)
{
    if (!build.decoder) {
        return S_OK;
    }
    zv::GstPtr<GstPad> decoderOutput;
    HRESULT hr = GetUnconnectedPin(build.decoder.get(), GST_PAD_SRC, decoderOutput);
    if (SUCCEEDED(hr)) {
        hr = ConnectPinToFilter(m_pGraph.get(), decoderOutput.get(), m_pVideoRenderer.get());
    }
    if (FAILED(hr)) {
        return Fail(hr, "Could not connect DV Decoder to renderer");
    }
    return S_OK;
}
