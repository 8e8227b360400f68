#pragma once
// Runs a program for a test and captures what it says: the end-to-end tests drive our own binaries and
// third-party decoders through this one path.
#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;   // exit status; 128 + signal when killed; -1 when it could not start
    std::string out;
    std::string err;
    long maxResidentKiB = -1;   // the largest resident set of the process and the children it waited for
};

// args[0] is a path, or a name searched on PATH. Standard input is /dev/null.
ProcessResult RunProcess(const std::vector<std::string>& args);
