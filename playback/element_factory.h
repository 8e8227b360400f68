#pragma once
// Where the pipeline's elements come from. Every element the playback graph makes goes through one
// IElementFactory, so a test can stand in a factory that refuses a given element and prove that the
// build names the step that needed it.

#include "dvfilter/gst_handles.h"

#include <gst/gst.h>

class IElementFactory {
public:
    virtual ~IElementFactory() = default;
    // A new element of the given factory name, or an empty handle when it cannot be made.
    virtual zv::GstPtr<GstElement> Make(const char* factoryName) = 0;
    // Whether an element of that factory name can be made. By default one is made and dropped again;
    // the GStreamer factory answers from its registry without loading the element's plugin.
    virtual bool Has(const char* factoryName) { return static_cast<bool>(Make(factoryName)); }
};

// The installed GStreamer plugins (and the program's own statically registered element), for the names
// the program's list of elements holds (playback/element_packages.h); any other name is refused.
class CGstElementFactory : public IElementFactory {
public:
    zv::GstPtr<GstElement> Make(const char* factoryName) override;
    bool Has(const char* factoryName) override;
};

// The factory in use: the GStreamer one unless a test has put its own in place.
IElementFactory& ElementFactory();

// Puts factory in place (nullptr restores the GStreamer one) and returns the previous one. Not owned.
IElementFactory* SetElementFactory(IElementFactory* factory);
