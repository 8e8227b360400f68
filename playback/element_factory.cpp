#include "playback/element_factory.h"

#include "dvfilter/gst_dv_metadata_filter.h"

namespace {

IElementFactory* g_factory = nullptr;

}  // namespace

zv::GstPtr<GstElement> CGstElementFactory::Make(const char* factoryName)
{
    RegisterDvMetadataFilter();
    return zv::AdoptObject(gst_element_factory_make(factoryName, nullptr));
}

IElementFactory& ElementFactory()
{
    static CGstElementFactory gstFactory;
    return g_factory != nullptr ? *g_factory : gstFactory;
}

IElementFactory* SetElementFactory(IElementFactory* factory)
{
    IElementFactory* previous = g_factory;
    g_factory = factory;
    return previous;
}
