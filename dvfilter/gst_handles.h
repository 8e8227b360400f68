#pragma once
// Owning handles for GStreamer references, so no pipeline code releases anything by hand. Each handle
// either adopts a reference the caller already owns (Adopt*, for functions documented "transfer full")
// or takes a new one (Ref*, for "transfer none" results the handle must outlive).

#include <gst/gst.h>
#include <memory>
#include <type_traits>

namespace zv {

struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct GstMiniObjectUnref {
    void operator()(gpointer object) const { gst_mini_object_unref(GST_MINI_OBJECT_CAST(object)); }
};
struct GFreeDeleter {
    void operator()(gpointer p) const { g_free(p); }
};
struct GErrorDeleter {
    void operator()(GError* e) const { g_error_free(e); }
};
struct GstStructureFree {
    void operator()(GstStructure* s) const { gst_structure_free(s); }
};
struct GstIteratorFree {
    void operator()(GstIterator* it) const { gst_iterator_free(it); }
};

template <typename T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;
using CapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using SamplePtr = std::unique_ptr<GstSample, GstMiniObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, GstMiniObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;
using StructurePtr = std::unique_ptr<GstStructure, GstStructureFree>;
using IteratorPtr = std::unique_ptr<GstIterator, GstIteratorFree>;

// Takes over a reference the caller owns. A floating reference (a freshly made element) is sunk first,
// so the handle always holds a plain, counted reference.
template <typename T>
GstPtr<T> AdoptObject(T* object)
{
    if (object != nullptr && g_object_is_floating(object)) {
        gst_object_ref_sink(object);
    }
    return GstPtr<T>(object);
}

// Takes a new reference on an object someone else owns.
template <typename T>
GstPtr<T> RefObject(T* object)
{
    if (object != nullptr) {
        gst_object_ref(object);
    }
    return GstPtr<T>(object);
}

// Calls visit(element) for each element an element iterator yields (taking the iterator over), until
// visit returns false. A resync restarts the walk.
template <typename Visit>
void ForEachElement(GstIterator* iterator, Visit visit)
{
    IteratorPtr owner(iterator);
    GValue item = G_VALUE_INIT;
    bool more = true;
    while (more) {
        switch (gst_iterator_next(iterator, &item)) {
        case GST_ITERATOR_OK:
            more = visit(GST_ELEMENT(g_value_get_object(&item)));
            g_value_reset(&item);
            break;
        case GST_ITERATOR_RESYNC:
            gst_iterator_resync(iterator);
            break;
        default:
            more = false;
            break;
        }
    }
    g_value_unset(&item);
}

}  // namespace zv
