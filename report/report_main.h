#pragma once
// The command-line report: zenk-vuvaz --check/--metadata/--scenes/--strip/--snapshot ... Returns the exit status.
int RunReport(int argc, char** argv);
