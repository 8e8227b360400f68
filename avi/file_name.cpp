#include "avi/file_name.h"

#include <cstring>

const char* FileNameFromPath(const char* path)
{
    if (path == nullptr)
        return nullptr;
    for (const char* p = path + std::strlen(path); p != path; --p) {
        if (p[-1] == '/' || p[-1] == '\\')
            return p;
    }
    return path;
}
