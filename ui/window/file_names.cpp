#include "ui/window/file_names.h"

#include "avi/file_name.h"

#include <cstdio>
#include <cstring>

namespace {

void CopyText(char* destination, std::size_t size, const char* source)
{
    std::snprintf(destination, size, "%s", source);
}

}  // namespace

bool CFileNames::Store(const char* path)
{
    if (std::strlen(path) > kMaxPathLength) {
        return false;
    }
    CopyText(m_szPreviousPath, sizeof m_szPreviousPath, m_szPath);
    CopyText(m_szPreviousFileTitle, sizeof m_szPreviousFileTitle, m_szFileTitle);
    CopyText(m_szPath, sizeof m_szPath, path);
    CopyText(m_szFileTitle, sizeof m_szFileTitle, FileNameFromPath(path));
    return true;
}

void CFileNames::Restore()
{
    CopyText(m_szPath, sizeof m_szPath, m_szPreviousPath);
    CopyText(m_szFileTitle, sizeof m_szFileTitle, m_szPreviousFileTitle);
}
