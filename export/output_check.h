#pragma once
// The refusals every export makes before it writes a byte: never over the file being read, never over a
// folder, and over an existing file only when the user asked for that.

#include <string>

namespace zv {

// False with `error` set (naming output) when output is the input itself (through any link), a folder, or,
// unless replace, a file already there. otherChoice ends the advice for the first case: "output folder",
// "output name".
bool CheckOutputFile(const std::string& input, const std::string& output, bool replace, const char* otherChoice,
                     std::string& error);

// True when something other than a folder has that name (a dangling link included): writing would replace it.
bool OutputFileExists(const std::string& output);

}  // namespace zv
