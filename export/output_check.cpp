#include "export/output_check.h"

#include <sys/stat.h>

#include "export/temporary_output.h"

namespace zv {

bool CheckOutputFile(const std::string& input, const std::string& output, bool replace, const char* otherChoice,
                     std::string& error)
{
    std::string why;
    struct stat info {};
    if (OutputIsInput(input.c_str(), output.c_str()))
        why = std::string("It is the file being read; choose another ") + otherChoice + ".";
    else if (::lstat(output.c_str(), &info) != 0)
        return true;
    else if (S_ISDIR(info.st_mode))
        why = "A folder of that name is in the way.";
    else if (!replace)
        why = "The file already exists.";
    else
        return true;
    error = "Unable to write " + output + "\n\n" + why;
    return false;
}

bool OutputFileExists(const std::string& output)
{
    struct stat info {};
    return ::lstat(output.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace zv
