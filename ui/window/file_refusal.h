#pragma once
// The boxes of a file the open sequence will not play, each naming the whole path: a path too long for
// the graph builder, and a file the DV AVI check does not recognise.

class QWidget;

// "Unable to open the requested file:" with the path and the system's text for a name too long.
void ShowPathTooLong(QWidget* owner, const char* path);
// Checks path; true, after its box, when the check refuses it. Opens and reads only the file's start.
bool RefuseFile(QWidget* owner, const char* path);
