#pragma once
// autoaudiosink plays to a fake sink when no audio output can be opened, and says so only as a warning
// on the bus. The player then plays in silence; this says why, once per process, on stderr.

#include <gst/gst.h>

#include <string>
#include <vector>

// The installed audio outputs autoaudiosink tries, in its order ("pulsesink", "alsasink", ...).
std::vector<std::string> AudioOutputsTried();

// The line to print when sink, an auto-detecting audio sink at READY or beyond, picked no real output;
// empty when it did, or when sink is not an auto-detecting one (a fake sink asked for by name).
std::string AudioOutputNotice(GstElement* sink);

// Prints AudioOutputNotice(sink) on stderr the first time in the process that there is one.
void ReportMissingAudioOutput(GstElement* sink);
