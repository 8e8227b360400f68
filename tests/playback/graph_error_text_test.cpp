// The detail of a graph error names the part of the player that failed and what to do, in words of our
// own: never the framework's developer notes, never the empty "Unspecified error".

#include "playback/graph_error_text.h"
#include "playback/playback_graph.h"
#include "tests/playback/clip_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include <iterator>

namespace {

TEST(GraphErrorText, NamesThePartAndWhatToDo)
{
    const struct {
        GQuark domain;
        int code;
        const char* factory;
        const char* text;
    } cases[] = {
        {GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX, "avidemux",
         "The AVI reader found damaged data. The file may be damaged or cut short; try another copy of it."},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, "dvdemux",
         "The DV splitter found a kind of data it cannot play. The file may not hold DV video."},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, "avidemux",
         "The AVI reader stopped the flow of frames. The file may be damaged, or its streams may not fit together."},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "filesrc",
         "Reading the file could not read the file. Its disk or network share may have gone away."},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_BUSY, "pulsesink",
         "The sound output could not use its device. Another program may hold it; close that program and try again."},
        {GST_CORE_ERROR, GST_CORE_ERROR_NEGOTIATION, "videoconvert",
         "The picture converter could not agree on a picture or sound format. The file's streams may not be DV."},
        {GST_LIBRARY_ERROR, GST_LIBRARY_ERROR_INIT, "glimagesink",
         "The video output could not start a library it needs. Reinstall the media framework packages."},
        {GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE, nullptr,
         "A part of the player failed inside the media framework. Try opening the file again."},
        {0, 0, "someelement",
         "A part of the player failed. The file may be damaged or hold streams the player cannot play."},
    };
    for (const auto& c : cases) {
        const std::string text = GraphErrorText(c.domain, c.code, c.factory);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(text.size(), 159u) << "the box's detail line would cut it: " << text;
    }
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Spoiled(std::string bytes, std::size_t at)
{
    bytes.replace(at, 4, "\xff\xff\xff\xff");
    return bytes;
}

// Files the open command's check lets through but the pipeline cannot play: the detail the box shows is a
// sentence of ours, never the code's empty "Unspecified error" and never the framework's developer notes
// (source file and function, element paths) cut off at the line's end.
TEST(GraphErrorText, DamagedFilesGetADetailAUserCanActOn)
{
    const pipeline_test::ClipCase clip{"detail_clip", fixture::DvSystem::Pal625, fixture::AviLayout::Type2WithAudio,
                                       fixture::AviIndex::Idx1Absolute, 8};
    const std::string data = Bytes(pipeline_test::ClipPath(clip));
    const std::string damaged = "The AVI reader found damaged data. The file may be damaged or cut short; try another copy of it.";
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> details;
    } cases[] = {
        {"no_header_list.avi", Spoiled(data, 20), {damaged}},    // the AVI reader posts an error
        // Refused before the pipeline meets it, which would leave the stream out and still feed it.
        {"no_stream_type.avi", Spoiled(data, 100),
         {"The video stream list at byte 88 has no stream header (strh) at byte 100, where the splitter reads it."}},
        {"no_picture_width.avi", Spoiled(data, 176),
         {"The video stream format (strf) at byte 164 gives a picture width of -1; a DV picture is 720 pixels wide."}},
    };
    for (const auto& c : cases) {
        const std::string path = pipeline_test::TempPath(c.name);
        std::ofstream(path, std::ios::binary) << c.bytes;
        CPlaybackGraph graph;
        graph.SetAudioSinkFactory("fakesink");
        HRESULT hr = graph.BuildGraph(path.c_str(), 2, 2, 1, 700, 100);
        if (SUCCEEDED(hr)) {
            hr = graph.Pause();
        }
        ASSERT_TRUE(FAILED(hr)) << c.name;
        const std::string detail = ResultDetailText(hr, graph.ErrorDetail());
        EXPECT_NE(std::find(c.details.begin(), c.details.end(), detail), c.details.end())
            << c.name << ": " << graph.m_szError << " / " << detail;
    }
}

}  // namespace
