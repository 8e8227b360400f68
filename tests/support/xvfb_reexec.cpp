#include "tests/support/xvfb_reexec.h"

#include "tests/support/skip_status.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zvtest {

int RunAgainUnderXvfb(const char* marker, int argc, char** argv)
{
    if (std::getenv(marker) != nullptr) {
        return -1;
    }
    setenv(marker, "1", 1);
    std::vector<char*> arguments{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                 const_cast<char*>("-screen 0 1280x1024x24 -noreset")};
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(argv[i]);
    }
    arguments.push_back(nullptr);
    execvp("xvfb-run", arguments.data());
    const int failure = errno;
    std::fprintf(stderr, "cannot run xvfb-run: %s\n", std::strerror(failure));
    return failure == ENOENT ? kSkipExitStatus : 1;   // no X server to try the program on
}

}  // namespace zvtest
