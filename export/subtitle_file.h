#pragma once
// Subtitles from per-frame texts: one cue per run of consecutive frames with the same text, timed from the
// video stream's frame rate, as SubRip (.srt) or WebVTT (.vtt).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zv {

enum class SubtitleFormat { SubRip, WebVtt };

// Where frame `frame` starts, frame x scale / rate seconds computed exactly, truncated to whole milliseconds.
// rate must not be 0.
std::int64_t FrameStartMilliseconds(std::int64_t frame, std::uint32_t scale, std::uint32_t rate);

// Where a frame starts in whole milliseconds, for a stream whose frames are not all of one duration.
using FrameStartClock = std::function<std::int64_t(std::int64_t frame)>;

// "HH:MM:SS,mmm" (SubRip) or "HH:MM:SS.mmm" (WebVTT); the hours take more digits past 99.
std::string CueTime(std::int64_t milliseconds, SubtitleFormat format);

struct SubtitleCue {
    std::int64_t firstFrame = 0;
    std::int64_t endFrame = 0;   // the first frame after the run
    std::string text;
};

// Gathers the runs frame by frame, in order.
class CCueCollector {
public:
    // text: the frame's text, or empty for a frame that gets no cue (a gap).
    void AddFrame(std::int64_t frame, const std::string& text);
    // Closes the last run at frameCount and hands the cues over.
    std::vector<SubtitleCue> Finish(std::int64_t frameCount);

private:
    std::vector<SubtitleCue> m_cues;
    std::string m_text;
    std::int64_t m_first = 0;
};

// The whole file: SubRip cues numbered from 1, WebVTT after its "WEBVTT" line and an empty line; every cue
// ends with an empty line.
std::string RenderSubtitles(const std::vector<SubtitleCue>& cues, std::uint32_t scale, std::uint32_t rate,
                            SubtitleFormat format);
// The same with each frame's start from clock.
std::string RenderSubtitles(const std::vector<SubtitleCue>& cues, const FrameStartClock& clock, SubtitleFormat format);

}  // namespace zv
