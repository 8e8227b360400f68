#include <cerrno>

#include "avi/dv_avi_check.h"
#include "report/report_commands.h"
#include "report/report_file.h"

int RunCheckCommand(const ReportOptions& options, std::FILE* out, std::FILE* err)
{
    const DvAviCheckResult result = CheckDvAviFile(options.path.c_str());
    const int savedErrno = errno;  // printing may touch errno; the refusal must name the check's own cause
    std::fprintf(out, "%s\n", DvAviCheckResultName(result));
    std::fflush(out);
    errno = savedErrno;
    WriteRefusal(result, options.path.c_str(), err);
    return static_cast<int>(result);
}
