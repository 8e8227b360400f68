#pragma once
// The file name part of a path, used to title the window after the file it plays.

// The part of path after its last '/' or '\\' (searching from the end); the whole path when it has
// neither. Points into path; no copy is made.
const char* FileNameFromPath(const char* path);
