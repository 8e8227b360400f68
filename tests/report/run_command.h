#pragma once
// Runs the real zenk-vuvaz binary with arguments and captures its exit status, stdout and stderr.
#include <string>
#include <vector>

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

CommandResult RunZenkVuvaz(const std::vector<std::string>& args);
