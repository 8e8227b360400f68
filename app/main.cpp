// zenk-vuvaz: the report commands on the command line.
#include "report/report_main.h"

int main(int argc, char** argv)
{
    return RunReport(argc, argv);
}
