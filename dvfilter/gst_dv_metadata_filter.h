#pragma once
// The DV Metadata Filter as a GStreamer element: a base transform from DV frames to the painted metadata
// strip, registered inside the program (no plugin file) as "dvmetadatafilter", long name
// "DV Metadata Filter". All decisions are CDVMetadataFilter's; this layer only translates.

#include "dvfilter/dv_metadata_filter.h"

#include <gst/gst.h>

// Registers the element with the running GStreamer (idempotent). False when registration fails.
bool RegisterDvMetadataFilter();

// The filter object inside an element made from "dvmetadatafilter", or nullptr for any other element.
// Settings are written through it before the element joins a pipeline.
CDVMetadataFilter* DvMetadataFilterOf(GstElement* element);
