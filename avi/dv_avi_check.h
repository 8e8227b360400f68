#pragma once
// The open command's gate: is this file a DV AVI file the player accepts, and if not, what to tell the user.

// Values are fixed: the open command branches on them.
enum DvAviCheckResult : int {
    Recognised = 0,   // playable
    OpenFailed = 1,   // cannot be opened; errno is the open's
    ReadFailed = 2,   // a read failed or came back short with errno set (errno left as the read set it)
    TooShort = 3,     // a read came back short with errno 0: the file ended early
    NotDvAvi = 4,     // the bytes were read but do not describe a DV AVI file
};

// A raw DV stream (see avi/dv_container.h) is recognised from its first header block and its size; a
// QuickTime file goes to that container's check. Any other file is judged as an AVI file:
// looks at fixed header offsets (form type at 8, first stream's fccType at 108 and fccHandler at 112,
// biCompression at 188) without walking the RIFF structure. Always closes the file; after a failed or
// short read errno is the read's own code. Failure policy: nothing is reported here, the result and
// errno carry everything to the caller.
DvAviCheckResult CheckDvAviFile(const char* path);

// "Recognised", "OpenFailed", "ReadFailed", "TooShort", "NotDvAvi" ("Unknown" for any other value).
const char* DvAviCheckResultName(DvAviCheckResult r);

// The printf format (one %s for the full path) the open command shows for a result; nullptr for
// Recognised. TooShort and NotDvAvi share one text.
const char* DvAviCheckMessage(DvAviCheckResult r);

// True when the message goes into the error box that appends the system's text for errno.
bool DvAviCheckNeedsSystemText(DvAviCheckResult r);
