#include "playback/sound_guard.h"

#include <cstring>

struct CSoundGuard::State {
    bool is625 = true;
    DvSoundPacks silence;                  // the format of the last sound that played as recorded
    zv::GstPtr<GstBufferPool> pool;        // frames of the stream's size, for those the guard may not change
    std::size_t frameBytes = 0;
    bool restore = false;
    const GstBuffer* rewritten = nullptr;  // identity only: the frame whose recorded sound `saved` holds
    DvFrameSound saved{};

    ~State()
    {
        if (pool) {
            gst_buffer_pool_set_active(pool.get(), FALSE);
        }
    }
};

namespace {

zv::GstPtr<GstBufferPool> MakeFramePool(std::size_t frameBytes)
{
    zv::GstPtr<GstBufferPool> pool = zv::AdoptObject(gst_buffer_pool_new());
    GstStructure* config = gst_buffer_pool_get_config(pool.get());
    gst_buffer_pool_config_set_params(config, nullptr, static_cast<guint>(frameBytes), 0, 0);
    if (!gst_buffer_pool_set_config(pool.get(), config) || !gst_buffer_pool_set_active(pool.get(), TRUE)) {
        return {};
    }
    return pool;
}

// A pooled copy of a frame the splitter shares with others; null when the pool has none of its size.
GstBuffer* PooledCopy(GstBufferPool* pool, std::size_t frameBytes, GstBuffer* frame)
{
    GstBuffer* copy = nullptr;
    if (pool == nullptr || gst_buffer_get_size(frame) != frameBytes
        || gst_buffer_pool_acquire_buffer(pool, &copy, nullptr) != GST_FLOW_OK) {
        return nullptr;
    }
    gst_buffer_copy_into(copy, frame, GST_BUFFER_COPY_METADATA, 0, static_cast<gsize>(-1));
    GstMapInfo map;
    if (!gst_buffer_map(copy, &map, GST_MAP_WRITE)) {
        gst_buffer_unref(copy);
        return nullptr;
    }
    gst_buffer_extract(frame, 0, map.data, map.size);
    gst_buffer_unmap(copy, &map);
    return copy;
}

}  // namespace

CSoundGuard::CSoundGuard() = default;

CSoundGuard::~CSoundGuard()
{
    Detach();
}

void CSoundGuard::Detach()
{
    if (m_input && m_inputProbe != 0) {
        gst_pad_remove_probe(m_input.get(), m_inputProbe);
    }
    if (m_splitter && m_padAdded != 0) {
        g_signal_handler_disconnect(m_splitter.get(), m_padAdded);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pictures && m_picturesProbe != 0) {
        gst_pad_remove_probe(m_pictures.get(), m_picturesProbe);
    }
    m_inputProbe = m_padAdded = m_picturesProbe = 0;
}

void CSoundGuard::Attach(GstElement* splitter, bool is625, const DvSoundPacks& packs, bool restorePictures)
{
    Detach();
    auto state = std::make_unique<State>();
    state->is625 = is625;
    state->silence = DvSoundPacksFit(packs, is625) ? packs : DefaultSilencePacks(is625);
    state->frameBytes = is625 ? 144000 : 120000;
    state->pool = MakeFramePool(state->frameBytes);
    state->restore = restorePictures;
    m_state = std::move(state);
    m_splitter = zv::RefObject(splitter);
    m_input = zv::AdoptObject(gst_element_get_static_pad(splitter, "sink"));
    if (restorePictures) {
        m_padAdded = g_signal_connect(splitter, "pad-added", G_CALLBACK(&CSoundGuard::OnPadAdded), this);
    }
    if (m_input) {
        m_inputProbe = gst_pad_add_probe(m_input.get(), GST_PAD_PROBE_TYPE_BUFFER, &CSoundGuard::OnInput,
                                         m_state.get(), nullptr);
    }
}

// Each new picture output (the first, and each one the splitter makes after a stop) gets the probe that
// puts the recorded sound back.
void CSoundGuard::OnPadAdded(GstElement* /*element*/, GstPad* pad, gpointer self)
{
    auto* guard = static_cast<CSoundGuard*>(self);
    if (std::strncmp(GST_OBJECT_NAME(pad), "video", 5) != 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(guard->m_mutex);
    if (guard->m_pictures && guard->m_picturesProbe != 0) {
        gst_pad_remove_probe(guard->m_pictures.get(), guard->m_picturesProbe);
    }
    guard->m_pictures = zv::RefObject(pad);
    guard->m_picturesProbe = gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &CSoundGuard::OnPicture,
                                               guard->m_state.get(), nullptr);
}

GstPadProbeReturn CSoundGuard::OnInput(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer data)
{
    State& state = *static_cast<State*>(data);
    state.rewritten = nullptr;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstMapInfo map;
    if (buffer == nullptr || !gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        return GST_PAD_PROBE_OK;
    }
    const bool plays = DvFrameSoundPlays(map.data, map.size, state.is625);
    if (plays) {
        state.silence = DvFramePacks(map.data);
    }
    gst_buffer_unmap(buffer, &map);
    if (plays) {
        return GST_PAD_PROBE_OK;
    }
    // The probe's reference, exchanged for one to a frame it may change.
    GstBuffer* copy = gst_buffer_is_writable(buffer) ? nullptr : PooledCopy(state.pool.get(), state.frameBytes, buffer);
    if (copy != nullptr) {
        gst_buffer_unref(buffer);
        buffer = copy;
    } else {
        buffer = gst_buffer_make_writable(buffer);
    }
    if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        if (state.restore) {
            SaveDvFrameSound(map.data, map.size, state.saved);
            state.rewritten = buffer;
        }
        const bool palFrame = map.size >= 144000;
        FillDvFrameWithSilence(map.data, map.size,
                               DvSoundPacksFit(state.silence, palFrame) ? state.silence : DefaultSilencePacks(palFrame));
        gst_buffer_unmap(buffer, &map);
    }
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}

// The frame given silence comes out as the splitter's next picture, on the same thread: it gets its
// recorded sound back. A frame the splitter dropped leaves nothing to restore: the next input forgets it.
GstPadProbeReturn CSoundGuard::OnPicture(GstPad* /*pad*/, GstPadProbeInfo* info, gpointer data)
{
    State& state = *static_cast<State*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer == nullptr || buffer != state.rewritten) {
        return GST_PAD_PROBE_OK;
    }
    state.rewritten = nullptr;
    GstMapInfo map;
    if (gst_buffer_is_writable(buffer) && gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        RestoreDvFrameSound(map.data, map.size, state.saved);
        gst_buffer_unmap(buffer, &map);
    }
    return GST_PAD_PROBE_OK;
}
