#pragma once
// The real-window tests start themselves again inside a private X server (xvfb-run), so that ctest can
// run them like any other binary.

namespace zvtest {

// On the first run (marker not yet in the environment): sets it and replaces the process with
// `xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" argv...` (no reset when the last client goes, so the
// next test can connect at once); returns only when that cannot be started, with the exit
// status to end with (kSkipExitStatus when xvfb-run is not installed). Inside the X server: returns -1.
int RunAgainUnderXvfb(const char* marker, int argc, char** argv);

}  // namespace zvtest
