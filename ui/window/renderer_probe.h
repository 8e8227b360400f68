#pragma once
// Which of the two renderer kinds this machine can show pictures with, asked once at start. The answer is
// the renderer availability mask of the settings (settings/player_settings.h): bit 0 the built-in renderer
// (appsink frames painted by the window), bit 1 the video overlay (a native X11 sink).

#include <string>

// Needs GStreamer initialised and the Qt application created (the overlay exists only on X11). When
// missing is given, a line is added to it for each renderer that cannot be made, naming the element and
// the package it comes from.
unsigned ProbeRenderers(std::string* missing = nullptr);
