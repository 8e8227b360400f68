#include "playback/element_packages.h"

#include <algorithm>
#include <array>

namespace {

constexpr const char* kCore = "libgstreamer1.0-0";
constexpr const char* kBase = "gstreamer1.0-plugins-base";
constexpr const char* kGood = "gstreamer1.0-plugins-good";

constexpr ElementUser kProgram = ElementUser::Program;
constexpr ElementUser kTests = ElementUser::Tests;

constexpr std::array kElements{
    ElementPackage{"pipeline", kCore, kProgram, "the playback graph"},
    ElementPackage{"bin", kCore, kProgram, "each renderer's chain"},
    ElementPackage{"filesrc", kCore, kProgram, "the file reader"},
    ElementPackage{"queue", kCore, kProgram, "the start of each tee branch and of the sound"},
    ElementPackage{"tee", kCore, kProgram, "the infinite pin tee"},
    ElementPackage{"fakesink", kCore, kProgram, "the sound of a command-line snapshot"},
    ElementPackage{"avidemux", kGood, kProgram, "the AVI splitter"},
    ElementPackage{"dvdemux", kGood, kProgram, "the DV splitter"},
    ElementPackage{"qtdemux", kGood, kProgram, "the QuickTime splitter"},
    ElementPackage{"capssetter", kGood, kProgram, "plain DV video frames marked as whole DV frames"},
    ElementPackage{"autoaudiosink", kGood, kProgram, "the sound output, chosen among those installed"},
    ElementPackage{"pulsesink", kGood, kProgram, "sound to PulseAudio, chosen by autoaudiosink"},
    ElementPackage{"alsasink", "gstreamer1.0-alsa", kProgram, "sound to ALSA, chosen by autoaudiosink"},
    ElementPackage{"audioconvert", kBase, kProgram, "the sound path"},
    ElementPackage{"audioresample", kBase, kProgram, "the sound path"},
    ElementPackage{"videoconvert", kBase, kProgram, "the colour space converter"},
    ElementPackage{"videoscale", kBase, kProgram, "the scaler before ximagesink"},
    ElementPackage{"appsink", kBase, kProgram, "the built-in renderer"},
    ElementPackage{"avdec_dvvideo", "gstreamer1.0-libav", kProgram, "the DV decoder without our own plugin file"},
    ElementPackage{"glimagesink", "gstreamer1.0-gl", kProgram, "the video overlay renderer"},
    ElementPackage{"ximagesink", "gstreamer1.0-x", kProgram, "the video overlay renderer without OpenGL"},
    ElementPackage{"dvmetadatafilter", nullptr, kProgram, "the DV Metadata Filter (our own)"},
    ElementPackage{"dvframedecoder", nullptr, kProgram, "the DV decoder (our own plugin file)"},
    ElementPackage{"appsrc", kBase, kTests, "frames fed to the metadata filter"},
    ElementPackage{"capsfilter", kCore, kTests, "caps fixed in test pipelines"},
    ElementPackage{"identity", kCore, kTests, "an element the metadata filter is not"},
    ElementPackage{"filesink", kCore, kTests, "decoded frames written by gst-launch-1.0"},
};

}  // namespace

std::span<const ElementPackage> KnownElements()
{
    return kElements;
}

const ElementPackage* FindKnownElement(std::string_view element)
{
    const auto found = std::find_if(kElements.begin(), kElements.end(),
                                    [element](const ElementPackage& known) { return element == known.element; });
    return found != kElements.end() ? &*found : nullptr;
}

bool IsProgramElement(std::string_view element)
{
    const ElementPackage* known = FindKnownElement(element);
    return known != nullptr && known->user == ElementUser::Program;
}

std::string MissingElementText(const char* element)
{
    const ElementPackage* known = FindKnownElement(element);
    const std::string name = std::string("The GStreamer element \"") + element + "\"";
    if (known == nullptr || known->package == nullptr) {
        return name + " could not be made.";
    }
    return name + " is not installed (Debian package " + known->package + ").";
}

std::string MissingElementsText(const char* first, const char* second)
{
    const ElementPackage* a = FindKnownElement(first);
    const ElementPackage* b = FindKnownElement(second);
    if (a == nullptr || b == nullptr || a->package == nullptr || b->package == nullptr) {
        return MissingElementText(first);
    }
    std::string text = std::string("Neither GStreamer element \"") + first + "\" nor \"" + second
        + "\" is installed (Debian package " + a->package;
    if (std::string_view(a->package) != b->package) {
        text += std::string(" or ") + b->package;
    }
    return text + ").";
}
