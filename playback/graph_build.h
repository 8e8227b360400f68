#pragma once
// What the steps of CPlaybackGraph::BuildGraph hand on to each other: the build's arguments, the facts
// read from the file (once per build, from one open descriptor) and the elements the later steps connect.
// Lives only while the build runs; the pipeline keeps the elements alive afterwards.

#include "avi/file_io.h"
#include "avi/frame_sound.h"
#include "avi/stream_info.h"
#include "dvfilter/gst_handles.h"

#include <chrono>
#include <cstdint>

struct GraphBuild {
    const char* path = nullptr;
    std::int32_t renderer = 0;
    std::int32_t decoderRes = 0;
    std::int32_t dateFormat = 0;
    std::int32_t overlayWidth = 0;
    std::int32_t overlayHeight = 0;

    zv::UniqueFd file;                  // the file, read-only, for every look the build takes at it
    FirstStreamInfo info;               // its first stream header
    bool haveInfo = false;
    bool rawDv = false;                 // a raw DV stream: the DV splitter stands in the AVI splitter's place
    bool quickTime = false;             // a QuickTime movie: the QuickTime splitter stands there

    zv::GstPtr<GstElement> reader;
    zv::GstPtr<GstElement> splitter;    // the AVI splitter (or the one standing in its place)
    zv::GstPtr<GstPad> splitterPin;     // its first stream, into the tee
    zv::GstPtr<GstElement> tee;
    std::uint32_t subtype = 0;          // the first stream's subtype; "dvsd" gets a decoder
    bool systemStream = false;          // interleaved DV (type-1) rather than plain DV video frames
    zv::GstPtr<GstElement> decoder;     // null when the stream is not one to decode
    zv::GstPtr<GstElement> dvSplitter;  // null unless the sound comes out of the DV frames
    bool lateSound = false;             // the first frame is silent but later ones carry sound
    bool framesCarrySound = false;      // judged from the first frame, else a sample of the file's frames
    DvSoundPacks soundPacks;            // the format of the first sound found there
    zv::GstPtr<GstElement> metaFilter;
};

namespace graph_build {

inline constexpr std::uint32_t kSubtypeDvsd = 0x64737664;   // "dvsd" as it reads from the file
inline constexpr auto kPadWait = std::chrono::seconds(10);
inline constexpr const char* kEndsBeforeFirstFrame = "The stream ends before its first DV frame.";

// The frame rate the pad's current caps state, as num / den; false when they state none.
bool FrameRateOfPad(GstPad* pad, int& num, int& den);
// The frame duration in 100 ns from the pad's current caps, 0 when they state no frame rate.
std::int64_t FrameDurationOfPad(GstPad* pad);
// Whether the pad's caps (current, else what it could take) name the given media type.
bool PadCapsHaveName(GstPad* pad, const char* name);
// Whether the pipeline is paused or playing, or on its way there.
bool IsPipelineActive(GstElement* pipeline);

}  // namespace graph_build
