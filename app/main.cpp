// zenk-vuvaz: the player; with an option first (--check, --metadata, ...) the command-line report instead.
#include "report/report_main.h"
#include "ui/window/player_app.h"

#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strncmp(argv[1], "--", 2) == 0) {
        return RunReport(argc, argv);
    }
    CPlayerApp app(argc, argv);
    return app.InitInstance();
}
