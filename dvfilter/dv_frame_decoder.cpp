// "dvframedecoder": DV frames to raw pictures through the codec library's DV decoder alone, in a plugin
// file of its own, for the player and the one-picture export. The framework's decoder plugin for the same
// codec links the library's muxers, filters and every other codec with it, and loading those costs a
// one-picture export more than all its other work, and the window's first picture a good part of its
// wait; this one brings the codec library only. Same decoder, same options, same caps: the same pixels.

#include <gst/gst.h>
#include <gst/video/gstvideodecoder.h>
#include <gst/video/video.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
}

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

struct ContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct CodecStateUnref {
    void operator()(GstVideoCodecState* state) const { gst_video_codec_state_unref(state); }
};

// What the decoder holds between frames, and the shape of the pictures it last announced downstream.
struct DecoderState {
    std::unique_ptr<AVCodecContext, ContextFree> context;
    std::unique_ptr<AVFrame, FrameFree> picture;
    std::unique_ptr<AVPacket, PacketFree> packet;
    std::unique_ptr<GstVideoCodecState, CodecStateUnref> input;
    // The frame as the codec reads it: followed by the zeroed bytes its bit reader may look at past the end.
    std::vector<std::uint8_t> padded;
    int lowres = 0;
    int width = 0;
    int height = 0;
    int format = AV_PIX_FMT_NONE;
    AVRational aspect{0, 1};
    bool interlaced = false;
    bool topFieldFirst = false;
};

struct GstDvFrameDecoder {
    GstVideoDecoder parent;
    alignas(DecoderState) unsigned char storage[sizeof(DecoderState)];
};

struct GstDvFrameDecoderClass {
    GstVideoDecoderClass parent_class;
};

GST_DEBUG_CATEGORY_STATIC(g_category);
#define GST_CAT_DEFAULT g_category

enum { kPropLowres = 1 };

// The largest DV frame there is (a 50 Mbit/s PAL frame) with room to spare; anything bigger is no DV frame.
constexpr std::size_t kMaxFrameBytes = 4 * 288000;

GType gst_dv_frame_decoder_get_type();

G_DEFINE_TYPE(GstDvFrameDecoder, gst_dv_frame_decoder, GST_TYPE_VIDEO_DECODER)

GstStaticPadTemplate g_sinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                                                              GST_STATIC_CAPS("video/x-dv, systemstream = (boolean) false"));
GstStaticPadTemplate g_srcTemplate = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-raw, format = (string) { I420, Y41B, Y42B }"));

DecoderState& StateOf(gpointer element)
{
    return *std::launder(reinterpret_cast<DecoderState*>(static_cast<GstDvFrameDecoder*>(element)->storage));
}

GstVideoFormat VideoFormatOf(int format)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
        return GST_VIDEO_FORMAT_I420;
    case AV_PIX_FMT_YUV411P:
        return GST_VIDEO_FORMAT_Y41B;
    case AV_PIX_FMT_YUV422P:
        return GST_VIDEO_FORMAT_Y42B;
    default:
        return GST_VIDEO_FORMAT_UNKNOWN;
    }
}

// One thread: the codec's slice threads would cost a one-picture export more to start than they save, and
// the decoder has no frame threading, so every picture leaves with its own frame either way. Playing, one
// thread decodes a standard-definition frame in a small part of its time, and spends no CPU on waking
// and waiting for helpers.
bool OpenCodec(DecoderState& state, int lowres)
{
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    state.context.reset(codec != nullptr ? avcodec_alloc_context3(codec) : nullptr);
    state.picture.reset(av_frame_alloc());
    state.packet.reset(av_packet_alloc());
    if (!state.context || !state.picture || !state.packet) {
        return false;
    }
    state.context->lowres = lowres;
    state.context->thread_count = 1;
    state.format = AV_PIX_FMT_NONE;
    return avcodec_open2(state.context.get(), codec, nullptr) == 0;
}

gboolean Stop(GstVideoDecoder* decoder)
{
    DecoderState& state = StateOf(decoder);
    state.context.reset();
    state.picture.reset();
    state.packet.reset();
    state.input.reset();
    return TRUE;
}

// The codec opens with the first caps rather than at start: the graph sets the resolution once the
// element is in the pipeline, and the codec takes it only when it opens.
gboolean SetFormat(GstVideoDecoder* decoder, GstVideoCodecState* input)
{
    DecoderState& state = StateOf(decoder);
    state.input.reset(gst_video_codec_state_ref(input));
    GST_OBJECT_LOCK(decoder);
    const int lowres = state.lowres;
    GST_OBJECT_UNLOCK(decoder);
    if (state.context && state.context->lowres == lowres) {
        return TRUE;
    }
    return OpenCodec(state, lowres);
}

gboolean Flush(GstVideoDecoder* decoder)
{
    DecoderState& state = StateOf(decoder);
    if (state.context) {
        avcodec_flush_buffers(state.context.get());
    }
    return TRUE;
}

// The picture's aspect: the frame's own (its source control pack) as the codec reads it, else what
// the caps coming in say.
AVRational PictureAspect(const DecoderState& state)
{
    const AVRational sar = state.picture->sample_aspect_ratio;
    if (sar.num > 0 && sar.den > 0) {
        return sar;
    }
    const GstVideoInfo& in = state.input->info;
    return in.par_n > 0 && in.par_d > 0 ? AVRational{in.par_n, in.par_d} : AVRational{1, 1};
}

bool ShapeChanged(const DecoderState& state, AVRational aspect)
{
    const AVFrame& p = *state.picture;
    return p.width != state.width || p.height != state.height || p.format != state.format
        || av_cmp_q(aspect, state.aspect) != 0 || (p.interlaced_frame != 0) != state.interlaced
        || (p.top_field_first != 0) != state.topFieldFirst;
}

// Announces the picture's caps downstream: format, size, rate, aspect, fields and the DV chroma siting,
// and no colorimetry (the converter takes the standard-definition default, as for the other decoder).
bool AnnounceShape(GstVideoDecoder* decoder, DecoderState& state)
{
    const AVFrame& p = *state.picture;
    const AVRational aspect = PictureAspect(state);
    if (!ShapeChanged(state, aspect) && gst_pad_has_current_caps(GST_VIDEO_DECODER_SRC_PAD(decoder))) {
        return true;
    }
    const GstVideoFormat format = VideoFormatOf(p.format);
    if (format == GST_VIDEO_FORMAT_UNKNOWN || p.width <= 0 || p.height <= 0) {
        return false;
    }
    GstVideoCodecState* output = gst_video_decoder_set_output_state(decoder, format, static_cast<guint>(p.width),
                                                                    static_cast<guint>(p.height), state.input.get());
    const std::unique_ptr<GstVideoCodecState, CodecStateUnref> owner(output);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, gst_video_format_to_string(format),
                                        "width", G_TYPE_INT, p.width, "height", G_TYPE_INT, p.height, nullptr);
    if (p.interlaced_frame != 0) {
        gst_caps_set_simple(caps, "interlace-mode", G_TYPE_STRING, "interleaved", "field-order", G_TYPE_STRING,
                            p.top_field_first != 0 ? "top-field-first" : "bottom-field-first", nullptr);
    }
    gst_caps_set_simple(caps, "pixel-aspect-ratio", GST_TYPE_FRACTION, aspect.num, aspect.den, "chroma-site",
                        G_TYPE_STRING, "dv", nullptr);
    const GstVideoInfo& in = state.input->info;
    if (in.fps_d > 0) {
        gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, in.fps_n, in.fps_d, nullptr);
    }
    if (output->caps != nullptr) {
        gst_caps_unref(output->caps);
    }
    output->caps = caps;
    gst_video_info_from_caps(&output->info, caps);
    state.width = p.width;
    state.height = p.height;
    state.format = p.format;
    state.aspect = aspect;
    state.interlaced = p.interlaced_frame != 0;
    state.topFieldFirst = p.top_field_first != 0;
    return gst_video_decoder_negotiate(decoder);
}

GstFlowReturn CopyPicture(GstVideoDecoder* decoder, const AVFrame& picture, GstVideoCodecFrame* frame)
{
    const GstFlowReturn allocated = gst_video_decoder_allocate_output_frame(decoder, frame);
    if (allocated != GST_FLOW_OK) {
        return allocated;
    }
    GstVideoCodecState* output = gst_video_decoder_get_output_state(decoder);
    const std::unique_ptr<GstVideoCodecState, CodecStateUnref> owner(output);
    GstVideoFrame mapped;
    if (!gst_video_frame_map(&mapped, &output->info, frame->output_buffer, GST_MAP_WRITE)) {
        return GST_FLOW_ERROR;
    }
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&mapped); ++plane) {
        av_image_copy_plane(static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, plane)),
                            GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, plane), picture.data[plane], picture.linesize[plane],
                            GST_VIDEO_FRAME_COMP_WIDTH(&mapped, plane), GST_VIDEO_FRAME_COMP_HEIGHT(&mapped, plane));
    }
    gst_video_frame_unmap(&mapped);
    return GST_FLOW_OK;
}

// The base class's "qos" property, which has no getter of its own.
bool QosEnabled(GstVideoDecoder* decoder)
{
    gboolean enabled = FALSE;
    g_object_get(decoder, "qos", &enabled, nullptr);
    return enabled != FALSE;
}

// One DV frame in, one picture out. A frame the codec refuses counts against the decoder's tolerance of
// bad frames and is dropped, as the other decoder drops it.
GstFlowReturn HandleFrame(GstVideoDecoder* decoder, GstVideoCodecFrame* frame)
{
    // A frame the sink's quality reports say is already late would be decoded only for the base class to
    // drop it before it leaves: every DV frame stands alone, so it is dropped undecoded, and the decoder
    // catches up at the cost of that frame alone. Without such reports (paused, stepping, after a seek)
    // the bound is unlimited and every frame is decoded.
    if (gst_video_decoder_get_max_decode_time(decoder, frame) < 0 && QosEnabled(decoder)) {
        return gst_video_decoder_drop_frame(decoder, frame);
    }
    DecoderState& state = StateOf(decoder);
    GstMapInfo in;
    if (!state.context || !state.input || !gst_buffer_map(frame->input_buffer, &in, GST_MAP_READ)) {
        gst_video_decoder_drop_frame(decoder, frame);
        return GST_FLOW_ERROR;
    }
    int result = AVERROR_INVALIDDATA;
    if (in.size <= kMaxFrameBytes) {
        // Grows once to the largest frame seen; every later frame reuses it.
        if (state.padded.size() < in.size + AV_INPUT_BUFFER_PADDING_SIZE) {
            state.padded.resize(in.size + AV_INPUT_BUFFER_PADDING_SIZE);
        }
        std::memcpy(state.padded.data(), in.data, in.size);
        std::memset(state.padded.data() + in.size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        state.packet->data = state.padded.data();
        state.packet->size = static_cast<int>(in.size);
        result = avcodec_send_packet(state.context.get(), state.packet.get());
    }
    if (result == 0) {
        result = avcodec_receive_frame(state.context.get(), state.picture.get());
    }
    gst_buffer_unmap(frame->input_buffer, &in);
    GstFlowReturn flow = GST_FLOW_OK;
    if (result != 0) {
        GST_VIDEO_DECODER_ERROR(decoder, 1, STREAM, DECODE, (nullptr), ("the codec refused a DV frame (%d)", result), flow);
        // Released, not dropped: a stream of nothing but such frames ends in the decoder's "no valid frames"
        // error, as with the other decoder, rather than quietly without a picture.
        gst_video_decoder_release_frame(decoder, frame);
        return flow;
    }
    if (!AnnounceShape(decoder, state)) {
        av_frame_unref(state.picture.get());
        gst_video_decoder_drop_frame(decoder, frame);
        return GST_FLOW_NOT_NEGOTIATED;
    }
    flow = CopyPicture(decoder, *state.picture, frame);
    av_frame_unref(state.picture.get());
    if (flow != GST_FLOW_OK) {
        gst_video_decoder_drop_frame(decoder, frame);
        return flow;
    }
    return gst_video_decoder_finish_frame(decoder, frame);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* paramSpec)
{
    if (id != kPropLowres) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, paramSpec);
        return;
    }
    GST_OBJECT_LOCK(object);
    StateOf(object).lowres = g_value_get_int(value);
    GST_OBJECT_UNLOCK(object);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* paramSpec)
{
    if (id != kPropLowres) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, paramSpec);
        return;
    }
    GST_OBJECT_LOCK(object);
    g_value_set_int(value, StateOf(object).lowres);
    GST_OBJECT_UNLOCK(object);
}

void Finalize(GObject* object)
{
    std::destroy_at(&StateOf(object));
    G_OBJECT_CLASS(gst_dv_frame_decoder_parent_class)->finalize(object);
}

void gst_dv_frame_decoder_class_init(GstDvFrameDecoderClass* klass)
{
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    GstVideoDecoderClass* decoderClass = GST_VIDEO_DECODER_CLASS(klass);
    objectClass->set_property = SetProperty;
    objectClass->get_property = GetProperty;
    objectClass->finalize = Finalize;
    // 1 is half size, as the player's decoder resolution setting asks.
    g_object_class_install_property(objectClass, kPropLowres,
                                    g_param_spec_int("lowres", "Low resolution", "0 full size, 1 half size", 0, 1, 0,
                                                     static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    gst_element_class_add_static_pad_template(elementClass, &g_sinkTemplate);
    gst_element_class_add_static_pad_template(elementClass, &g_srcTemplate);
    gst_element_class_set_static_metadata(elementClass, "DV Frame Decoder", "Codec/Decoder/Video",
                                          "Decodes DV frames with the codec library's DV decoder", "Zenk Vuvaz");
    decoderClass->stop = Stop;
    decoderClass->set_format = SetFormat;
    decoderClass->flush = Flush;
    decoderClass->handle_frame = HandleFrame;
}

void gst_dv_frame_decoder_init(GstDvFrameDecoder* self)
{
    std::construct_at(std::launder(reinterpret_cast<DecoderState*>(self->storage)));
    // Each buffer is one whole DV frame.
    gst_video_decoder_set_packetized(GST_VIDEO_DECODER(self), TRUE);
}

// The codec library's own messages (a damaged frame's "could not find dv frame profile") go to
// GStreamer's debug log, never to the terminal.
void CodecLog(void* /*context*/, int level, const char* format, va_list arguments)
{
    if (level <= av_log_get_level()) {
        gst_debug_log_valist(GST_CAT_DEFAULT, level <= AV_LOG_ERROR ? GST_LEVEL_WARNING : GST_LEVEL_DEBUG,
                             __FILE__, "codec", __LINE__, nullptr, format, arguments);
    }
}

gboolean PluginInit(GstPlugin* plugin)
{
    GST_DEBUG_CATEGORY_INIT(g_category, "dvframedecoder", 0, "DV frame decoder");
    av_log_set_callback(CodecLog);
    return gst_element_register(plugin, "dvframedecoder", GST_RANK_NONE, gst_dv_frame_decoder_get_type());
}

}  // namespace

#define PACKAGE "zenk-vuvaz"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, zvdvdecoder, "The DV decoder of Zenk Vuvaz", PluginInit,
                  "1.0", "LGPL", "zenk-vuvaz", "Zenk Vuvaz")
