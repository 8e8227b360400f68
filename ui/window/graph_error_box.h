#pragma once
// The box of a graph that could not be built or first paused: the failing step's text, then the result
// code's own text with what GStreamer said about it, captioned with the phase.

#include "dvfilter/result_codes.h"

#include <string>

class QWidget;

// Nothing for a success code. gstreamerMessage is the graph's own word on the failure, empty when none.
void ShowGraphError(QWidget* owner, HRESULT hr, const char* caption, const char* stepText,
                    const std::string& gstreamerMessage);
