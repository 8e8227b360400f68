#include "playback/graph_error_text.h"

#include "dvfilter/gst_handles.h"

#include <string_view>

namespace {

struct Role {
    const char* factory;
    const char* words;
};

// The parts of the player's pipeline, named as a user knows them.
constexpr Role kRoles[] = {
    {"filesrc", "Reading the file"},
    {"queue", "The pipeline"},   // a queue only passes on what failed behind it
    {"tee", "The pipeline"},
    {"avidemux", "The AVI reader"},
    {"dvdemux", "The DV splitter"},
    {"qtdemux", "The QuickTime reader"},
    {"avdec_dvvideo", "The DV video decoder"},
    {"dvframedecoder", "The DV video decoder"},
    {"dvdec", "The DV video decoder"},
    {"dvmetadatafilter", "The metadata strip"},
    {"videoconvert", "The picture converter"},
    {"videoscale", "The picture converter"},
    {"appsink", "The video output"},
    {"glimagesink", "The video output"},
    {"xvimagesink", "The video output"},
    {"ximagesink", "The video output"},
    {"autoaudiosink", "The sound output"},
    {"pulsesink", "The sound output"},
    {"alsasink", "The sound output"},
    {"audioconvert", "The sound converter"},
    {"audioresample", "The sound converter"},
};

const char* RoleWords(const char* factory)
{
    if (factory != nullptr) {
        for (const Role& role : kRoles) {
            if (std::string_view(factory) == role.factory) {
                return role.words;
            }
        }
    }
    return "A part of the player";
}

const char* ResourceWhat(int code)
{
    switch (code) {
    case GST_RESOURCE_ERROR_NOT_FOUND:
    case GST_RESOURCE_ERROR_OPEN_READ:
    case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        return " could not open the file. Check that it still exists and that you may read it.";
    case GST_RESOURCE_ERROR_READ:
    case GST_RESOURCE_ERROR_SEEK:
        return " could not read the file. Its disk or network share may have gone away.";
    case GST_RESOURCE_ERROR_BUSY:
    case GST_RESOURCE_ERROR_OPEN_WRITE:
    case GST_RESOURCE_ERROR_WRITE:
        return " could not use its device. Another program may hold it; close that program and try again.";
    case GST_RESOURCE_ERROR_NO_SPACE_LEFT:
        return " ran out of memory or space.";
    default:
        return " could not use a system resource it needs.";
    }
}

const char* StreamWhat(int code)
{
    switch (code) {
    case GST_STREAM_ERROR_CODEC_NOT_FOUND:
    case GST_STREAM_ERROR_TYPE_NOT_FOUND:
    case GST_STREAM_ERROR_WRONG_TYPE:
    case GST_STREAM_ERROR_NOT_IMPLEMENTED:
        return " found a kind of data it cannot play. The file may not hold DV video.";
    case GST_STREAM_ERROR_DEMUX:
    case GST_STREAM_ERROR_DECODE:
    case GST_STREAM_ERROR_FORMAT:
    case GST_STREAM_ERROR_DECRYPT:
    case GST_STREAM_ERROR_DECRYPT_NOKEY:
        return " found damaged data. The file may be damaged or cut short; try another copy of it.";
    default:
        return " stopped the flow of frames. The file may be damaged, or its streams may not fit together.";
    }
}

const char* CoreWhat(int code)
{
    switch (code) {
    case GST_CORE_ERROR_NEGOTIATION:
    case GST_CORE_ERROR_CAPS:
        return " could not agree on a picture or sound format. The file's streams may not be DV.";
    case GST_CORE_ERROR_MISSING_PLUGIN:
        return " needs a GStreamer plugin that is not installed. Run the install script again.";
    default:
        return " failed inside the media framework. Try opening the file again.";
    }
}

}  // namespace

std::string GraphErrorText(GQuark domain, int code, const char* factory)
{
    std::string text = RoleWords(factory);
    if (domain == GST_RESOURCE_ERROR) {
        text += ResourceWhat(code);
    } else if (domain == GST_STREAM_ERROR) {
        text += StreamWhat(code);
    } else if (domain == GST_CORE_ERROR) {
        text += CoreWhat(code);
    } else if (domain == GST_LIBRARY_ERROR) {
        text += " could not start a library it needs. Reinstall the media framework packages.";
    } else {
        text += " failed. The file may be damaged or hold streams the player cannot play.";
    }
    return text;
}

std::string GraphErrorText(GstMessage* error)
{
    GError* gerror = nullptr;
    gst_message_parse_error(error, &gerror, nullptr);
    zv::GErrorPtr owner(gerror);
    const char* factory = nullptr;
    GstObject* source = GST_MESSAGE_SRC(error);
    if (source != nullptr && GST_IS_ELEMENT(source)) {
        if (GstElementFactory* made = gst_element_get_factory(GST_ELEMENT(source))) {
            factory = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(made));
        }
    }
    return gerror != nullptr ? GraphErrorText(gerror->domain, gerror->code, factory)
                             : GraphErrorText(0, 0, factory);
}
