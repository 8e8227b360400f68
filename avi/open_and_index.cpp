#include <cerrno>

#include "avi/dv_avi_reader.h"

bool OpenAndIndex(CDvAviReader& reader, const char* path)
{
    // A failed Open keeps its errno and BuildIndex then fails at once without a handle; a damaged index
    // fails without any system code, which must not leave an older one in place.
    errno = 0;
    if (reader.Open(path) && reader.BuildIndex())
        return true;
    if (errno == 0)
        errno = ENODATA;
    return false;
}
