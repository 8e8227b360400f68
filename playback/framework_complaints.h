#pragma once
// Damage in a file that GStreamer's elements meet but report only as a critical warning of their base
// library, printed on the terminal in developer terms. The splitter does so when a stream list other than
// the video's lacks its headers: it leaves that stream out (the file plays without it) yet still hands
// its chunks on. Files the pipeline cannot play at all are refused before it sees them (avi/index_claims.h);
// what remains is told in words of ours.

#include <string_view>

// The line printed instead of a warning the base library gives for a damaged file, empty for any other
// (a test watching the library's log leaves these to the handler installed here).
std::string_view OwnWordsFor(std::string_view warning);

// Routes the base library's critical warnings through OwnWordsFor for the rest of the process: a known one
// prints our line on stderr (once per process), any other goes to GLib's default handler as before.
// Idempotent; safe from any thread.
void TellFrameworkComplaintsInOwnWords();
