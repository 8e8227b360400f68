#include "report/snapshot_command.h"

#include "avi/dv_avi_check.h"
#include "avi/last_error.h"
#include "dvmeta/overlay_font.h"
#include "playback/appsink_renderer.h"
#include "playback/playback_graph.h"
#include "playback/plugin_preload.h"
#include "report/png_output.h"
#include "report/report_file.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <string>

namespace {

// The open command's texts are message-box texts; on a terminal a line ends with a plain line feed.
std::string TerminalText(std::string text)
{
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

bool ReportRefusedFile(const char* path)
{
    const DvAviCheckResult result = CheckDvAviFile(path);
    if (result == Recognised) {
        return false;
    }
    const bool systemText = DvAviCheckNeedsSystemText(result);
    const std::string systemError = systemText ? GetLastErrorText() : std::string();
    const char* format = DvAviCheckMessage(result);
    const int length = std::snprintf(nullptr, 0, format, path);
    std::string message(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(message.data(), message.size() + 1, format, path);
    if (systemText) {
        message += "\n\n" + systemError;
    }
    std::fprintf(stderr, "%s\n", TerminalText(message).c_str());
    return true;
}

void ReportGraphError(const char* caption, HRESULT hr, const CPlaybackGraph& graph)
{
    const std::string detail = ResultDetailText(hr, graph.ErrorDetail());
    std::fprintf(stderr, "%s\n", caption);
    std::fprintf(stderr, "%s\n\nDetail: %s\n", graph.m_szError, detail.c_str());
}

// OUT.png's strip goes to OUT.strip.png; a name without the extension gets it appended.
std::string StripPathFor(const std::string& output)
{
    std::string stripPath = output;
    if (stripPath.size() > 4 && (stripPath.compare(stripPath.size() - 4, 4, ".png") == 0
                                 || stripPath.compare(stripPath.size() - 4, 4, ".PNG") == 0)) {
        stripPath.erase(stripPath.size() - 4);
    }
    return stripPath + ".strip.png";
}

}  // namespace

int RunSnapshotCommand(const char* path, long long frame, const char* outputPng, bool half)
{
    if (path == nullptr || outputPng == nullptr) {
        return 1;
    }
    const std::string output = outputPng;
    const std::string stripPath = StripPathFor(output);
    // Before any decoding: neither image may take the place of the file it is made from.
    if (RefuseOutputOverInput(path, output, stderr) || RefuseOutputOverInput(path, stripPath, stderr)) {
        return 1;
    }
    if (ReportRefusedFile(path)) {
        return 1;
    }
    // The plugins load on GStreamer's thread while this one reads the strip's font database. Not sooner:
    // the loader takes one library at a time, and Qt's start loads its own.
    LoadPluginsAhead(GraphUse::Snapshot);
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        zv::GErrorPtr owner(error);
        std::fprintf(stderr, "Unable to initialize the media framework.\n");
        return 1;
    }

    // Done while the decoder's plugin loads, rather than by the metadata filter after it.
    WarmOverlayFonts();

    CPlaybackGraph graph;
    graph.SetAudioSinkFactory("fakesink");
    graph.m_uNotifyMsg = WM_APP_GRAPH_NOTIFY;
    // One picture: the graph decodes nothing until it is sent to the frame asked for.
    graph.HoldFramesUntilFirstSeek();
    HRESULT hr = graph.BuildGraph(path, 2, half ? 1 : 2, 1, half ? 350 : 700, half ? 50 : 100);
    if (FAILED(hr)) {
        ReportGraphError("Error Building Filter Graph", hr, graph);
        return 1;
    }
    // A frame outside the file is refused as --strip refuses it: showing the nearest one instead would
    // write a picture of a frame nobody asked for.
    std::int64_t frameCount = 0;
    if (SUCCEEDED(graph.GetFrameCount(&frameCount)) && (frame < 0 || frame >= frameCount)) {
        WriteFrameOutsideFile(frame, frameCount, stderr);
        return 1;
    }
    hr = graph.ShowFrame(frame);
    if (FAILED(hr)) {
        ReportGraphError("Error Seeking Filter Graph", hr, graph);
        return 1;
    }
    hr = graph.Pause();
    if (FAILED(hr)) {
        ReportGraphError("Error Pausing Filter Graph", hr, graph);
        return 1;
    }

    auto* video = dynamic_cast<CAppSinkRenderer*>(graph.VideoControl());
    auto* strip = dynamic_cast<CAppSinkRenderer*>(graph.MetaControl());
    QImage picture;
    QImage stripImage;
    if (video == nullptr || !video->CurrentImage(picture)) {
        std::fprintf(stderr, "No picture was decoded for frame %lld of %s\n", frame, path);
        return 1;
    }
    if (strip == nullptr || !strip->CurrentImage(stripImage)) {
        std::fprintf(stderr, "No metadata strip was painted for frame %lld of %s\n", frame, path);
        return 1;
    }
    for (const auto& [image, file] : {std::pair<const QImage&, const std::string&>(picture, output),
                                      std::pair<const QImage&, const std::string&>(stripImage, stripPath)}) {
        if (!WritePng(image, file, stderr)) {
            return 1;
        }
    }
    return 0;
}
