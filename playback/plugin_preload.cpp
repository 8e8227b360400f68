#include "playback/plugin_preload.h"

#include "dvfilter/gst_handles.h"
#include "playback/audio_output_ahead.h"
#include "playback/audio_output_notice.h"
#include "playback/element_factory.h"
#include "playback/element_packages.h"

#include <gst/gst.h>

#include <array>
#include <climits>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kOwnDecoder = "dvframedecoder";
constexpr const char* kFrameworkDecoder = "avdec_dvvideo";

// The built-in renderer's elements first: a plugin the main thread asks for while another one is
// loading waits for that load to end. Left to the build that uses them: the overlay's sink, whose plugin
// maps the whole OpenGL stack, and the movie splitter; for an AVI file or a raw stream either would only
// hold up the plugins after it and stay mapped for nothing.
constexpr std::array kPlayerElements = {
    "videoconvert", "appsink",    "filesrc",      "avidemux",      "tee",           "queue",
    kOwnDecoder,   "dvdemux",     "capssetter",   "audioconvert",  "audioresample", "autoaudiosink",
};

// The decoder is the program's own plugin file (the framework's decoder in its place when that file cannot
// be loaded); the snapshot loads it first, as it takes longest and the snapshot has no window to show first.
constexpr std::array kSnapshotElements = {
    kOwnDecoder, "videoconvert", "appsink",      "filesrc",       "avidemux", "tee",     "queue",
    "dvdemux",   "capssetter",   "audioconvert", "audioresample", "fakesink", "qtdemux",
};

// Static, so the asynchronous call can point at them.
const std::span<const char* const> kPlayerList{kPlayerElements};
const std::span<const char* const> kSnapshotList{kSnapshotElements};

const std::span<const char* const>& ListFor(GraphUse use)
{
    return use == GraphUse::Player ? kPlayerList : kSnapshotList;
}

void LoadFeature(const char* name)
{
    const zv::GstPtr<GstElementFactory> factory(gst_element_factory_find(name));
    if (factory) {
        // A missing plugin is not for this to report: the build that needs it names its package.
        const zv::GstPtr<GstPluginFeature> loaded(gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory.get())));
    }
}

// Installed, the plugin file lies in the library folder beside the program's; in the build tree, where
// the build put it.
std::string OwnDecoderPath()
{
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length > 0) {
        std::string installed(program, static_cast<std::size_t>(length));
        installed.erase(installed.rfind('/') + 1);
        installed += "../" ZV_OWN_PLUGIN_INSTALL_DIR "/" ZV_OWN_DECODER_FILE;
        if (::access(installed.c_str(), R_OK) == 0) {
            return installed;
        }
    }
    return ZV_OWN_PLUGIN_BUILD_DIR "/" ZV_OWN_DECODER_FILE;
}

bool LoadsOwnDecoder(const std::string& pluginFile)
{
    GError* error = nullptr;
    const zv::GstPtr<GstPlugin> plugin(gst_plugin_load_file(pluginFile.c_str(), &error));
    const zv::GErrorPtr owner(error);
    const zv::GstPtr<GstElementFactory> factory(plugin ? gst_element_factory_find(kOwnDecoder) : nullptr);
    return factory != nullptr;
}

bool LoadOwnDecoder()
{
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] { loaded = LoadsOwnDecoder(OwnDecoderPath()); });
    return loaded;
}

void LoadListed(GstElement* /*anchor*/, gpointer data)
{
    const auto& list = *static_cast<const std::span<const char* const>*>(data);
    for (const char* name : list) {
        if (std::string_view(name) == kOwnDecoder) {
            if (!LoadOwnDecoder()) {
                LoadFeature(kFrameworkDecoder);
            }
        } else if (IsProgramElement(name)) {
            LoadFeature(name);
        }
    }
}

// The automatic sound output tries the installed ones in turn, loading each one's plugin (a sound server's
// client library among them) until one opens: loaded, and the output opened, by a task of its own beside
// the list's, as the open waits mostly on a server or a device rather than on the dynamic loader.
void OpenPlayerAudioOutput(GstElement* /*anchor*/, gpointer /*data*/)
{
    LoadFeature("autoaudiosink");
    for (const std::string& output : AudioOutputsTried()) {
        LoadFeature(output.c_str());
    }
    OpenAudioOutputAhead();
}

}  // namespace

std::span<const char* const> GraphElements(GraphUse use)
{
    return ListFor(use);
}

const char* DvDecoderFactory()
{
    return gst_init_check(nullptr, nullptr, nullptr) && LoadOwnDecoder() ? kOwnDecoder : kFrameworkDecoder;
}

const char* DvDecoderFactoryWith(const std::string& pluginFile)
{
    return gst_init_check(nullptr, nullptr, nullptr) && LoadsOwnDecoder(pluginFile) ? kOwnDecoder : kFrameworkDecoder;
}

void LoadPluginsAhead(GraphUse use)
{
    if (!gst_init_check(nullptr, nullptr, nullptr)) {
        return;
    }
    // The asynchronous call runs for an element; the bin is held by the call until the loads are done.
    const zv::GstPtr<GstElement> anchor = ElementFactory().Make("bin");
    if (anchor) {
        gst_element_call_async(anchor.get(), &LoadListed, const_cast<std::span<const char* const>*>(&ListFor(use)),
                               nullptr);
        if (use == GraphUse::Player) {
            ExpectAudioOutputAhead();
            gst_element_call_async(anchor.get(), &OpenPlayerAudioOutput, nullptr, nullptr);
        }
    }
}
