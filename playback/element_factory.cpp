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

bool CGstElementFactory::Has(const char* factoryName)
{
    // The registry lists a plugin's elements once its library has loaded at the registry's scan, so the
    // answer is the one making the element would give, without mapping the plugin and all it links (the
    // OpenGL sink's plugin brings the whole GL stack with it).
    if (factoryName == nullptr || !IsProgramElement(factoryName)) {
        return static_cast<bool>(Make(factoryName));
    }
    return static_cast<bool>(zv::AdoptObject(gst_element_factory_find(factoryName)));
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
