#pragma once
// The command line of the report: which command, on which file, with which switches.

#include <cstdint>
#include <optional>
#include <string>

enum class ReportCommand { None, Help, Version, Check, Metadata, Scenes, Strip, Snapshot, Split, Subtitles };
enum class SplitOutputFormat { Avi, Dv };
enum class SubtitleKind { SubRip, WebVtt };

struct ReportOptions {
    ReportCommand command = ReportCommand::None;
    std::string path;
    std::optional<std::int64_t> frame;
    std::string output;
    bool half = false;
    std::optional<std::int32_t> dateFormat;  // absent: the stored setting
    std::string outputDir;                   // --split
    std::optional<SplitOutputFormat> splitFormat;   // absent: the input's own (dv for a raw DV input)
    SubtitleKind subtitles = SubtitleKind::SubRip;   // from --output's extension
    bool force = false;                      // --split, --subtitles: replace existing outputs
};

// Exit status of every usage error; kept apart from --check's 0..4 and the commands' 0/1.
inline constexpr int kUsageExitCode = 64;

// Parses argv[1..]. On a usage error returns nullopt and fills `error` with a one-line reason.
std::optional<ReportOptions> ParseReportOptions(int argc, const char* const* argv, std::string& error);

const char* ReportUsageText();
