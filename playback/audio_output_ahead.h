#pragma once
// The player's sound output opened ahead. The automatic sound output, going to READY, tries each installed
// output in turn (a sound server's client connecting, a sound card's device opening) until one opens:
// some 15 ms with none there, on the thread that starts the graph, before the first picture. Opened on
// GStreamer's thread pool while the window starts instead, the first graph that plays sound takes it ready.

#include "dvfilter/gst_handles.h"

#include <gst/gst.h>

// Marks the open as coming (on the calling thread, before the pool runs OpenAudioOutputAhead), so that a
// build asking for the output meanwhile waits for it instead of opening a second one.
void ExpectAudioOutputAhead();

// On the pool's thread: makes the automatic sound output and takes it to READY.
void OpenAudioOutputAhead();

// The output opened ahead, at READY, waiting for its open to end when one is coming; empty when none was
// expected, it could not be made, or it was taken already. The one who takes it owns it.
zv::GstPtr<GstElement> TakeAudioOutputOpenedAhead();

// Closes the output opened ahead when no one took it (the first file has no sound), or has it closed when its
// open ends. Does not wait.
void DropAudioOutputOpenedAhead();
