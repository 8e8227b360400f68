#include "ui/window/renderer_probe.h"

#include "playback/element_factory.h"
#include "settings/player_settings.h"

#include <QGuiApplication>

#include <initializer_list>

namespace {

// Every element made and dropped again at once, as a renderer instance would be.
bool CanMakeAll(std::initializer_list<const char*> factories)
{
    for (const char* factory : factories) {
        if (!ElementFactory().Make(factory)) {
            return false;
        }
    }
    return true;
}

}  // namespace

unsigned ProbeRenderers()
{
    unsigned mask = 0;
    if (CanMakeAll({"appsink", "videoconvert"})) {
        mask |= kRendererBuiltInAvailable;
    }
    // The overlay sink draws into a native X11 window, which only the xcb platform has.
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (onX11 && (CanMakeAll({"glimagesink"}) || CanMakeAll({"videoconvert", "videoscale", "ximagesink"}))) {
        mask |= kRendererOverlayAvailable;
    }
    return mask;
}
