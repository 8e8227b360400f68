#include "playback/framework_complaints.h"

#include <glib.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

constexpr const char* kBaseDomain = "GStreamer-Base";

struct KnownWarning {
    std::string_view text;
    std::string_view ours;
};

constexpr KnownWarning kKnown[] = {
    {"gst_flow_combiner_update_pad_flow: assertion 'pad != NULL' failed",
     "A stream of the file has damaged headers (its stream list lacks a stream header or format); the file plays "
     "without that stream."},
};

std::atomic<bool> g_told{false};

void OnBaseLibraryWarning(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer)
{
    const std::string_view ours = OwnWordsFor(message != nullptr ? message : "");
    if (ours.empty()) {
        g_log_default_handler(domain, level, message, nullptr);
        return;
    }
    if (!g_told.exchange(true)) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(ours.size()), ours.data());
    }
}

}  // namespace

std::string_view OwnWordsFor(std::string_view warning)
{
    for (const KnownWarning& known : kKnown) {
        if (warning.find(known.text) != std::string_view::npos) {
            return known.ours;
        }
    }
    return {};
}

void TellFrameworkComplaintsInOwnWords()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_log_set_handler(kBaseDomain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                          &OnBaseLibraryWarning, nullptr);
    });
}
