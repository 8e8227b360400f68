#include "playback/element_factory.h"

#include "dvfilter/gst_dv_metadata_filter.h"
#include "playback/element_packages.h"

#include <cstdio>

namespace {

IElementFactory* g_factory = nullptr;

}  // namespace

zv::GstPtr<GstElement> CGstElementFactory::Make(const char* factoryName)
{
    // Only listed elements: the list is what the install script is checked against and what names the
    // package of a missing element, so an element left out of it fails the first test that makes it.
    if (factoryName == nullptr || !IsProgramElement(factoryName)) {
        std::fprintf(stderr, "The GStreamer element \"%s\" is not in the program's list of elements.\n",
                     factoryName != nullptr ? factoryName : "(none)");
        return {};
    }
    // The program's own element joins GStreamer's registry once, before the first element is made.
    static const bool registered = RegisterDvMetadataFilter();
    static_cast<void>(registered);
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
