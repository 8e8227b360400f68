#include "export/subtitle_file.h"

#include <cstdio>

namespace zv {

std::int64_t FrameStartMilliseconds(std::int64_t frame, std::uint32_t scale, std::uint32_t rate)
{
    // frame < 2^31 and scale < 2^32 keep the product within 64 bits; the remainder times 1000 too.
    const std::uint64_t units = static_cast<std::uint64_t>(frame) * scale;
    const std::uint64_t whole = units / rate;
    const std::uint64_t rest = units % rate;
    return static_cast<std::int64_t>(whole * 1000 + rest * 1000 / rate);
}

std::string CueTime(std::int64_t milliseconds, SubtitleFormat format)
{
    const long long ms = milliseconds % 1000;
    const long long seconds = milliseconds / 1000 % 60;
    const long long minutes = milliseconds / 60000 % 60;
    const long long hours = milliseconds / 3600000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%03lld", hours, minutes, seconds,
                  format == SubtitleFormat::SubRip ? ',' : '.', ms);
    return text;
}

void CCueCollector::AddFrame(std::int64_t frame, const std::string& text)
{
    if (text == m_text)
        return;
    if (!m_text.empty())
        m_cues.push_back({m_first, frame, m_text});
    m_text = text;
    m_first = frame;
}

std::vector<SubtitleCue> CCueCollector::Finish(std::int64_t frameCount)
{
    AddFrame(frameCount, std::string());
    return std::move(m_cues);
}

std::string RenderSubtitles(const std::vector<SubtitleCue>& cues, std::uint32_t scale, std::uint32_t rate,
                            SubtitleFormat format)
{
    return RenderSubtitles(cues, [scale, rate](std::int64_t frame) { return FrameStartMilliseconds(frame, scale, rate); },
                           format);
}

std::string RenderSubtitles(const std::vector<SubtitleCue>& cues, const FrameStartClock& clock, SubtitleFormat format)
{
    std::string text = format == SubtitleFormat::WebVtt ? "WEBVTT\n\n" : "";
    std::size_t number = 0;
    for (const SubtitleCue& cue : cues) {
        if (format == SubtitleFormat::SubRip)
            text += std::to_string(++number) + "\n";
        text += CueTime(clock(cue.firstFrame), format) + " --> " + CueTime(clock(cue.endFrame), format) + "\n" + cue.text
              + "\n\n";
    }
    return text;
}

}  // namespace zv
