#pragma once
// One file through everything in the player that reads it: the DV AVI check, the reader (index and scene
// scan), the report's metadata and scenes commands, and the playback graph. Each run returns what happened
// and the contradictions it found: a result with no message, a success the file cannot back, an answer
// outside its range.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hardening {

struct FileLevelVerdict {
    int check = -1;
    bool opened = false;
    bool indexed = false;
    std::int64_t frames = 0;
    bool scanned = false;
    int metadataExit = -1;
    int scenesExit = -1;
    std::string metadataError;   // what the command wrote to its error stream
    std::vector<std::string> problems;
};

// Runs the check, the reader and both report commands (in this process, output to temporary files).
FileLevelVerdict RunFileLevel(const std::string& path);

struct PlaybackVerdict {
    long build = 0;   // HRESULT of BuildGraph
    long pause = 0;
    long seek = 0;
    std::int64_t frames = -1;
    std::string message;   // m_szError of the first failure
    std::string detail;    // the graph's ErrorDetail() after that failure
    double seconds = 0;
    std::vector<std::string> problems;
};

// BuildGraph (built-in renderer, sound to a fake sink), Pause, SeekToFrame(last), teardown.
PlaybackVerdict RunPlayback(const std::string& path);

// "check=..., index=..., metadata=..." for failure messages.
std::string Describe(const FileLevelVerdict& verdict);

}  // namespace hardening
