#pragma once
// The words an error box shows for an error a pipeline element posted: which part of the player failed and
// what the user can do about it, instead of the framework's own message and its developer notes.

#include <gst/gst.h>

#include <string>

// `factory` is the name of the posting element's factory (nullptr or empty when unknown). The text is one or
// two sentences, short enough for the box's detail line.
std::string GraphErrorText(GQuark domain, int code, const char* factory);

// The text for an error message on the bus, from its GError and the element that posted it.
std::string GraphErrorText(GstMessage* error);

// The detail of a step that failed while no element reported an error.
inline constexpr const char* kNoCauseText =
    "No part of the player reported a cause. The file may be damaged or hold streams the player cannot play.";
