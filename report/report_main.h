#pragma once
// The command-line report: zenk-vuvaz --check/--metadata/--scenes/--strip/--snapshot/--split/--subtitles ... Returns the exit status.
int RunReport(int argc, char** argv);
