#include "report/report_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct CommandName {
    const char* option;
    ReportCommand command;
};

constexpr CommandName kCommands[] = {
    {"--check", ReportCommand::Check},       {"--metadata", ReportCommand::Metadata},
    {"--scenes", ReportCommand::Scenes},     {"--strip", ReportCommand::Strip},
    {"--snapshot", ReportCommand::Snapshot}, {"--split", ReportCommand::Split},
    {"--subtitles", ReportCommand::Subtitles},
};

bool ParseInteger(const char* text, long long low, long long high, long long& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

// Which switches each command takes beyond its file.
bool TakesFrame(ReportCommand c) { return c == ReportCommand::Strip || c == ReportCommand::Snapshot; }
bool TakesDateFormat(ReportCommand c)
{
    return c == ReportCommand::Metadata || c == ReportCommand::Scenes || c == ReportCommand::Strip
        || c == ReportCommand::Subtitles;
}
bool TakesOutput(ReportCommand c) { return TakesFrame(c) || c == ReportCommand::Subtitles; }
bool TakesForce(ReportCommand c) { return c == ReportCommand::Split || c == ReportCommand::Subtitles; }

bool EndsWith(const std::string& text, const char* end)
{
    const std::size_t n = std::strlen(end);
    return text.size() > n && text.compare(text.size() - n, n, end) == 0;
}

// The checks that need the whole command line: which switches go with the command given.
bool CheckSwitches(ReportOptions& options, bool formatGiven, std::string& error)
{
    const ReportCommand c = options.command;
    if (TakesFrame(c) && (!options.frame || options.output.empty()))
        error = "this command needs --frame N and --output FILE";
    else if (!TakesFrame(c) && (options.frame || options.half))
        error = "--frame and --half go with --strip or --snapshot";
    else if (!TakesOutput(c) && !options.output.empty())
        error = "--output goes with --strip, --snapshot or --subtitles";
    else if (!TakesDateFormat(c) && options.dateFormat)
        error = "--date-format goes with --metadata, --scenes, --strip or --subtitles";
    else if (c == ReportCommand::Split && options.outputDir.empty())
        error = "--split needs --output-dir DIR";
    else if (c != ReportCommand::Split && (!options.outputDir.empty() || formatGiven))
        error = "--output-dir and --format go with --split";
    else if (!TakesForce(c) && options.force)
        error = "--force goes with --split or --subtitles";
    else if (c == ReportCommand::Subtitles && EndsWith(options.output, ".vtt"))
        options.subtitles = SubtitleKind::WebVtt;
    else if (c == ReportCommand::Subtitles && !EndsWith(options.output, ".srt"))
        error = "--subtitles needs --output OUT.srt or OUT.vtt";
    return error.empty();
}

}  // namespace

std::optional<ReportOptions> ParseReportOptions(int argc, const char* const* argv, std::string& error)
{
    ReportOptions options;
    bool formatGiven = false;
    auto setCommand = [&](ReportCommand command, const char* option) {
        if (options.command != ReportCommand::None) {
            error = std::string("only one command may be given (") + option + ")";
            return false;
        }
        options.command = command;
        return true;
    };

    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            if (!setCommand(ReportCommand::Help, arg))
                return std::nullopt;
            continue;
        }
        if (std::strcmp(arg, "--version") == 0) {
            if (!setCommand(ReportCommand::Version, arg))
                return std::nullopt;
            continue;
        }
        bool matched = false;
        for (const CommandName& c : kCommands) {
            if (std::strcmp(arg, c.option) != 0)
                continue;
            matched = true;
            if (!setCommand(c.command, arg))
                return std::nullopt;
            if (!next) {
                error = std::string(arg) + " needs a file";
                return std::nullopt;
            }
            options.path = next;
            ++i;
        }
        if (matched)
            continue;
        if (std::strcmp(arg, "--frame") == 0) {
            long long value = 0;
            if (!ParseInteger(next, INT64_MIN, INT64_MAX, value)) {
                error = "--frame needs a whole number";
                return std::nullopt;
            }
            options.frame = value;
            ++i;
        } else if (std::strcmp(arg, "--output") == 0) {
            if (!next || !*next) {
                error = "--output needs a file name";
                return std::nullopt;
            }
            options.output = next;
            ++i;
        } else if (std::strcmp(arg, "--date-format") == 0) {
            long long value = 0;
            if (!ParseInteger(next, 1, 2, value)) {
                error = "--date-format takes 1 (day/month/year) or 2 (month/day/year)";
                return std::nullopt;
            }
            options.dateFormat = static_cast<std::int32_t>(value);
            ++i;
        } else if (std::strcmp(arg, "--half") == 0) {
            options.half = true;
        } else if (std::strcmp(arg, "--force") == 0) {
            options.force = true;
        } else if (std::strcmp(arg, "--output-dir") == 0) {
            if (!next || !*next) {
                error = "--output-dir needs a folder";
                return std::nullopt;
            }
            options.outputDir = next;
            ++i;
        } else if (std::strcmp(arg, "--format") == 0) {
            if (!next || (std::strcmp(next, "avi") != 0 && std::strcmp(next, "dv") != 0)) {
                error = "--format takes avi or dv";
                return std::nullopt;
            }
            options.splitFormat = std::strcmp(next, "dv") == 0 ? SplitOutputFormat::Dv : SplitOutputFormat::Avi;
            formatGiven = true;
            ++i;
        } else {
            error = std::string("unknown argument: ") + arg;
            return std::nullopt;
        }
    }

    const ReportCommand c = options.command;
    if (c == ReportCommand::None) {
        error = "no command given";
        return std::nullopt;
    }
    if (!CheckSwitches(options, formatGiven, error))
        return std::nullopt;
    return options;
}

const char* ReportUsageText()
{
    return "Usage:\n"
           "  zenk-vuvaz [FILE]                 play a DV AVI file\n"
           "  zenk-vuvaz --check FILE           is FILE a DV AVI file the player accepts?\n"
           "  zenk-vuvaz --metadata FILE [--date-format 1|2]\n"
           "                                    the strip's twelve fields of every frame\n"
           "  zenk-vuvaz --scenes FILE [--date-format 1|2]\n"
           "                                    the scenes with their first frame, date and time\n"
           "  zenk-vuvaz --strip FILE --frame N --output OUT.png [--half] [--date-format 1|2]\n"
           "                                    the metadata strip of frame N as a PNG image\n"
           "  zenk-vuvaz --snapshot FILE --frame N --output OUT.png [--half]\n"
           "                                    the decoded picture of frame N and its strip\n"
           "  zenk-vuvaz --split FILE --output-dir DIR [--format avi|dv] [--force]\n"
           "                                    one file per scene, every frame copied as it is\n"
           "  zenk-vuvaz --subtitles FILE --output OUT.srt|OUT.vtt [--date-format 1|2] [--force]\n"
           "                                    the recording date and time as subtitles\n"
           "  zenk-vuvaz -h | --help | --version\n";
}
