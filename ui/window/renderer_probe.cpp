#include "ui/window/renderer_probe.h"

#include "playback/element_factory.h"
#include "playback/element_packages.h"
#include "settings/player_settings.h"

#include <QGuiApplication>

#include <initializer_list>

namespace {

// The first element of a renderer that cannot be made, nullptr when all can. Asked of the factory
// without making them: the renderer that is not used never loads its plugins.
const char* FirstMissing(std::initializer_list<const char*> factories)
{
    for (const char* factory : factories) {
        if (!ElementFactory().Has(factory)) {
            return factory;
        }
    }
    return nullptr;
}

void AddLine(std::string* text, const std::string& line)
{
    if (text != nullptr) {
        *text += (text->empty() ? "" : "\n") + line;
    }
}

}  // namespace

unsigned ProbeRenderers(std::string* missing)
{
    unsigned mask = 0;
    if (const char* absent = FirstMissing({"appsink", "videoconvert"})) {
        AddLine(missing, MissingElementText(absent));
    } else {
        mask |= kRendererBuiltInAvailable;
    }
    // The overlay sink draws into a native X11 window, which only the xcb platform has.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const char* gl = FirstMissing({"glimagesink"});
        const char* x = gl != nullptr ? FirstMissing({"videoconvert", "videoscale", "ximagesink"}) : nullptr;
        if (gl != nullptr && x != nullptr) {
            AddLine(missing, MissingElementsText(gl, x));
        } else {
            mask |= kRendererOverlayAvailable;
        }
    }
    return mask;
}
