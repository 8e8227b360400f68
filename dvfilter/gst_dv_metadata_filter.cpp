#include "dvfilter/gst_dv_metadata_filter.h"

#include "dvfilter/gst_handles.h"

#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>

#include <memory>
#include <new>

namespace {

struct GstDvMetadataFilter {
    GstBaseTransform parent;
    // The filter lives inside the instance (constructed in instance_init, destroyed in finalize), so the
    // element allocates nothing of its own beyond what GObject gives it.
    alignas(CDVMetadataFilter) unsigned char storage[sizeof(CDVMetadataFilter)];
};

struct GstDvMetadataFilterClass {
    GstBaseTransformClass parent_class;
};

GType gst_dv_metadata_filter_get_type();

G_DEFINE_TYPE(GstDvMetadataFilter, gst_dv_metadata_filter, GST_TYPE_BASE_TRANSFORM)

GstStaticPadTemplate g_sinkTemplate = GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                                                              GST_STATIC_CAPS("video/x-dv"));
GstStaticPadTemplate g_srcTemplate = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS("video/x-raw, format = (string) { BGRx, BGR }, width = (int) [ 1, max ], "
                    "height = (int) [ 1, max ]"));

CDVMetadataFilter& FilterOf(GstDvMetadataFilter* self)
{
    return *std::launder(reinterpret_cast<CDVMetadataFilter*>(self->storage));
}

CDVMetadataFilter& FilterOf(GstBaseTransform* trans)
{
    return FilterOf(reinterpret_cast<GstDvMetadataFilter*>(trans));
}

bool InputLinked(GstBaseTransform* trans)
{
    return gst_pad_is_linked(GST_BASE_TRANSFORM_SINK_PAD(trans));
}

// The filter's allocator seen through a GStreamer buffer pool: the properties become the pool's config
// and the granted size is what the pool accepted.
class PoolAllocator : public IMemAllocator {
public:
    PoolAllocator(GstBufferPool* pool, GstCaps* caps) : m_pool(pool), m_caps(caps) {}

    HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties& actual) override
    {
        GstStructure* config = gst_buffer_pool_get_config(m_pool);
        gst_buffer_pool_config_set_params(config, m_caps, static_cast<guint>(request.cbBuffer),
                                          static_cast<guint>(request.cBuffers), 0);
        if (!gst_buffer_pool_set_config(m_pool, config)) {
            // A pool may answer with a config of its own; take it if it is one, else give up.
            config = gst_buffer_pool_get_config(m_pool);
            const bool accepted = gst_buffer_pool_set_config(m_pool, config);
            if (!accepted) {
                return E_FAIL;
            }
        }
        zv::StructurePtr granted(gst_buffer_pool_get_config(m_pool));
        guint size = 0;
        guint minBuffers = 0;
        guint maxBuffers = 0;
        gst_buffer_pool_config_get_params(granted.get(), nullptr, &size, &minBuffers, &maxBuffers);
        actual = request;
        actual.cbBuffer = static_cast<std::int32_t>(size);
        actual.cBuffers = static_cast<std::int32_t>(minBuffers);
        return S_OK;
    }

private:
    GstBufferPool* m_pool;
    GstCaps* m_caps;
};

// Input caps -> the caps the filter offers downstream, in its order: the exact strip type, the 24-bit
// type it lists but never accepts, then every width it would accept (so downstream may ask for a wider
// buffer). Before the input is linked nothing is offered.
GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps, GstCaps* filter)
{
    GstCaps* result = nullptr;
    if (direction == GST_PAD_SRC) {
        result = gst_static_pad_template_get_caps(&g_sinkTemplate);
    } else if (!InputLinked(trans) || caps == nullptr || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        result = gst_caps_new_empty();
    } else {
        CDVMetadataFilter& f = FilterOf(trans);
        GST_OBJECT_LOCK(trans);
        if (gst_caps_is_fixed(caps)) {
            f.SetMediaType(PinDirection::Input, caps);
        }
        result = gst_caps_new_empty();
        for (int position = 0;; ++position) {
            GstCaps* offered = nullptr;
            if (f.GetMediaType(position, &offered) != S_OK) {
                break;
            }
            result = gst_caps_merge(result, offered);
        }
        result = gst_caps_merge(result, gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx",
                                                            "width", GST_TYPE_INT_RANGE, f.NominalWidth(), G_MAXINT,
                                                            "height", G_TYPE_INT, f.Height(), nullptr));
        GST_OBJECT_UNLOCK(trans);
        // Keep the strip in step with the picture's rate where the input states one.
        const GstStructure* in = gst_caps_get_structure(caps, 0);
        const GValue* rate = gst_structure_get_value(in, "framerate");
        if (rate != nullptr && G_VALUE_TYPE(rate) == GST_TYPE_FRACTION) {
            result = gst_caps_make_writable(result);
            gst_caps_set_value(result, "framerate", rate);
        }
    }
    if (filter != nullptr) {
        zv::CapsPtr unfiltered(result);
        result = gst_caps_intersect_full(filter, unfiltered.get(), GST_CAPS_INTERSECT_FIRST);
    }
    return result;
}

gboolean AcceptCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps)
{
    CDVMetadataFilter& f = FilterOf(trans);
    GST_OBJECT_LOCK(trans);
    const HRESULT hr = direction == GST_PAD_SINK ? f.CheckInputType(caps) : f.CheckTransform(nullptr, caps);
    GST_OBJECT_UNLOCK(trans);
    return hr == S_OK;
}

gboolean SetCaps(GstBaseTransform* trans, GstCaps* incaps, GstCaps* outcaps)
{
    CDVMetadataFilter& f = FilterOf(trans);
    GST_OBJECT_LOCK(trans);
    bool ok = f.CheckInputType(incaps) == S_OK;
    if (ok) {
        f.SetMediaType(PinDirection::Input, incaps);
        ok = f.CheckTransform(incaps, outcaps) == S_OK;
    }
    if (ok) {
        if (f.AgreedOutput().width == 0) {
            f.SetMediaType(PinDirection::Output, outcaps);
        } else {
            f.AttachOutputType(outcaps);   // a change while streaming: applied with the next frame
        }
    }
    GST_OBJECT_UNLOCK(trans);
    if (!ok) {
        GST_WARNING_OBJECT(trans, "refused %" GST_PTR_FORMAT " -> %" GST_PTR_FORMAT, static_cast<void*>(incaps),
                           static_cast<void*>(outcaps));
    }
    return ok;
}

gboolean DecideAllocation(GstBaseTransform* trans, GstQuery* query)
{
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    if (caps == nullptr) {
        return FALSE;
    }
    // Our own plain pool: a downstream pool may hand out memory we cannot paint into directly.
    zv::GstPtr<GstBufferPool> pool = zv::AdoptObject(gst_buffer_pool_new());
    PoolAllocator allocator(pool.get(), caps);
    CDVMetadataFilter& f = FilterOf(trans);
    GST_OBJECT_LOCK(trans);
    const HRESULT hr = f.DecideBufferSize(InputLinked(trans), allocator, AllocatorProperties{});
    GST_OBJECT_UNLOCK(trans);
    if (FAILED(hr)) {
        GST_WARNING_OBJECT(trans, "buffer negotiation failed: 0x%08x", static_cast<unsigned>(hr));
        return FALSE;
    }
    while (gst_query_get_n_allocation_pools(query) > 0) {
        gst_query_remove_nth_allocation_pool(query, 0);
    }
    zv::StructurePtr config(gst_buffer_pool_get_config(pool.get()));
    guint size = 0;
    guint minBuffers = 0;
    guint maxBuffers = 0;
    gst_buffer_pool_config_get_params(config.get(), nullptr, &size, &minBuffers, &maxBuffers);
    gst_query_add_allocation_pool(query, pool.get(), size, minBuffers, maxBuffers);
    return TRUE;
}

GstFlowReturn TransformFrame(GstBaseTransform* trans, GstBuffer* inbuf, GstBuffer* outbuf)
{
    CDVMetadataFilter& f = FilterOf(trans);
    GstMapInfo in;
    GstMapInfo out;
    if (!gst_buffer_map(inbuf, &in, GST_MAP_READ)) {
        return GST_FLOW_OK;
    }
    if (!gst_buffer_map(outbuf, &out, GST_MAP_WRITE)) {
        gst_buffer_unmap(inbuf, &in);
        return GST_FLOW_OK;
    }
    // The settings under the lock, the painting outside it.
    GST_OBJECT_LOCK(trans);
    const DvFrameJob job = f.TakeFrame(GST_BUFFER_OFFSET(inbuf),
                                       GST_BUFFER_PTS_IS_VALID(inbuf) ? static_cast<std::int64_t>(GST_BUFFER_PTS(inbuf)) : -1);
    GST_OBJECT_UNLOCK(trans);
    f.Transform(job, in.data, in.size, out.data, out.size);
    gst_buffer_unmap(outbuf, &out);
    gst_buffer_unmap(inbuf, &in);
    return GST_FLOW_OK;
}

gboolean Start(GstBaseTransform* trans)
{
    FilterOf(trans).PrepareStrip();
    return TRUE;
}

void Finalize(GObject* object)
{
    std::destroy_at(&FilterOf(reinterpret_cast<GstDvMetadataFilter*>(object)));
    G_OBJECT_CLASS(gst_dv_metadata_filter_parent_class)->finalize(object);
}

void gst_dv_metadata_filter_class_init(GstDvMetadataFilterClass* klass)
{
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    GstElementClass* elementClass = GST_ELEMENT_CLASS(klass);
    GstBaseTransformClass* transformClass = GST_BASE_TRANSFORM_CLASS(klass);
    objectClass->finalize = Finalize;
    gst_element_class_add_static_pad_template(elementClass, &g_sinkTemplate);
    gst_element_class_add_static_pad_template(elementClass, &g_srcTemplate);
    gst_element_class_set_static_metadata(elementClass, "DV Metadata Filter", "Filter/Video",
                                          "Paints the metadata packs of each DV frame into an image strip",
                                          "Zenk Vuvaz");
    transformClass->transform_caps = TransformCaps;
    transformClass->accept_caps = AcceptCaps;
    transformClass->set_caps = SetCaps;
    transformClass->start = Start;
    transformClass->decide_allocation = DecideAllocation;
    transformClass->transform = TransformFrame;
    transformClass->passthrough_on_same_caps = FALSE;
}

void gst_dv_metadata_filter_init(GstDvMetadataFilter* self)
{
    std::construct_at(std::launder(reinterpret_cast<CDVMetadataFilter*>(self->storage)));
}

}  // namespace

bool RegisterDvMetadataFilter()
{
    return gst_element_register(nullptr, "dvmetadatafilter", GST_RANK_NONE, gst_dv_metadata_filter_get_type());
}

CDVMetadataFilter* DvMetadataFilterOf(GstElement* element)
{
    if (element == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(element, gst_dv_metadata_filter_get_type())) {
        return nullptr;
    }
    return &FilterOf(reinterpret_cast<GstDvMetadataFilter*>(element));
}
