#include "playback/audio_output_notice.h"

#include "dvfilter/gst_handles.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool IsFakeSink(GstElement* element)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory == nullptr) {
        return false;
    }
    const char* name = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory));
    return std::strcmp(name, "fakesink") == 0 || std::strcmp(name, "fakeaudiosink") == 0;
}

// The auto-detecting sink's one child is the output it picked (a fake one when none would open).
bool PicksOnlyFakeOutputs(GstElement* sink)
{
    if (!GST_IS_BIN(sink) || GST_STATE(sink) < GST_STATE_READY) {
        return false;
    }
    bool fake = false;
    bool real = false;
    zv::ForEachElement(gst_bin_iterate_sinks(GST_BIN(sink)), [&](GstElement* child) {
        (IsFakeSink(child) ? fake : real) = true;
        return true;
    });
    return fake && !real;
}

struct FeatureListFree {
    void operator()(GList* list) const { gst_plugin_feature_list_free(list); }
};

// The installed outputs autoaudiosink tries, in its order ("pulsesink, alsasink"); empty when there are none.
std::string InstalledOutputs()
{
    std::string names;
    for (const std::string& name : AudioOutputsTried()) {
        names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

}  // namespace

std::vector<std::string> AudioOutputsTried()
{
    GList* found = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    const std::unique_ptr<GList, FeatureListFree> factories(g_list_sort(found, gst_plugin_feature_rank_compare_func));
    std::vector<std::string> names;
    for (GList* l = factories.get(); l != nullptr; l = l->next) {
        names.emplace_back(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(l->data)));
    }
    return names;
}

std::string AudioOutputNotice(GstElement* sink)
{
    if (sink == nullptr || !PicksOnlyFakeOutputs(sink)) {
        return {};
    }
    const std::string tried = InstalledOutputs();
    return "No audio output was found" + (tried.empty() ? std::string() : " (none of " + tried + " could be opened)")
        + ", so the sound is not played. The Debian package gstreamer1.0-pulseaudio (with a sound server) or "
          "gstreamer1.0-alsa (with a sound card) gives one.";
}

void ReportMissingAudioOutput(GstElement* sink)
{
    static std::atomic<bool> reported{false};
    if (reported.load()) {
        return;
    }
    const std::string notice = AudioOutputNotice(sink);
    if (!notice.empty() && !reported.exchange(true)) {
        std::fprintf(stderr, "%s\n", notice.c_str());
    }
}
