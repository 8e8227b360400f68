#pragma once
// --snapshot: one frame of a file as the player shows it, exported headless through the real playback
// pipeline: the decoded picture at its native size as a PNG, and beside it (OUT.strip.png) the metadata
// strip the pipeline painted for the same frame.

// A frame outside the file is refused in --strip's words; only the frame shown is decoded. half decodes at
// half resolution (a picture 360 wide) with the half-size strip. Complaints go to stderr in the open
// command's words; returns 0 on success, 1 on failure. Needs a QGuiApplication (offscreen is enough), created by the caller.
int RunSnapshotCommand(const char* path, long long frame, const char* outputPng, bool half);
