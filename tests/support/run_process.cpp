#include "tests/support/run_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A capture file in $TMPDIR (else /tmp), made unique by mkstemp.
std::string CaptureFile(int& fd)
{
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir != nullptr && *dir ? dir : "/tmp") + "/zv-capture-XXXXXX";
    fd = mkstemp(name.data());
    return name;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& args)
{
    ProcessResult result;
    if (args.empty())
        return result;
    int outFd = -1;
    int errFd = -1;
    const std::string outName = CaptureFile(outFd);
    const std::string errName = CaptureFile(errFd);

    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        struct rusage usage {};
        if (wait4(pid, &status, 0, &usage) == pid)
            result.maxResidentKiB = usage.ru_maxrss;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else {
        result.err = "cannot start " + args[0] + "\n";
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    result.out = Slurp(outName);
    result.err += Slurp(errName);
    unlink(outName.c_str());
    unlink(errName.c_str());
    return result;
}
