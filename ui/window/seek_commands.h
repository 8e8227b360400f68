#pragma once
// The seek keys: each moves by whole seconds of the file's nominal rate (25 or 30 frames a second), or to
// the first or last frame, and lands on the target frame exactly. A new seek is one more row.

#include "ui/window/command_ids.h"

#include <algorithm>
#include <cstdint>

struct SeekCommand {
    enum class To { Relative, FirstFrame, LastFrame };
    int id;
    To to;
    int seconds;   // Relative only: forward when positive
};

inline constexpr SeekCommand kSeekCommands[] = {
    {ID_SEEK_FORWARD_SECOND, SeekCommand::To::Relative, 1},
    {ID_SEEK_BACK_SECOND, SeekCommand::To::Relative, -1},
    {ID_SEEK_FORWARD_10_SECONDS, SeekCommand::To::Relative, 10},
    {ID_SEEK_BACK_10_SECONDS, SeekCommand::To::Relative, -10},
    {ID_SEEK_FORWARD_MINUTE, SeekCommand::To::Relative, 60},
    {ID_SEEK_BACK_MINUTE, SeekCommand::To::Relative, -60},
    {ID_SEEK_FIRST_FRAME, SeekCommand::To::FirstFrame, 0},
    {ID_SEEK_LAST_FRAME, SeekCommand::To::LastFrame, 0},
};

constexpr const SeekCommand* FindSeekCommand(int id)
{
    for (const SeekCommand& command : kSeekCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

// The frame command leads to from current in a file of frameCount frames, kept inside the file.
constexpr std::int64_t SeekTarget(const SeekCommand& command, std::int64_t current, std::int64_t frameCount,
                                  int framesPerSecond)
{
    const std::int64_t last = std::max<std::int64_t>(frameCount - 1, 0);
    switch (command.to) {
    case SeekCommand::To::FirstFrame:
        return 0;
    case SeekCommand::To::LastFrame:
        return last;
    case SeekCommand::To::Relative:
        break;
    }
    return std::clamp<std::int64_t>(current + std::int64_t{command.seconds} * framesPerSecond, 0, last);
}
