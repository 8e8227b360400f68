#include "ui/window/file_refusal.h"

#include "avi/dv_avi_check.h"
#include "ui/window/message_box.h"

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

constexpr const char* kUnableToOpen = "Unable to open the requested file:\r\n\r\n%s";

// printf-style formatting of one path into a message; the path is never cut.
std::string FormatWithPath(const char* format, const char* path)
{
    const int length = std::snprintf(nullptr, 0, format, path);
    if (length < 0) {
        return format;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, path);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

void ShowPathTooLong(QWidget* owner, const char* path)
{
    const std::string text = FormatWithPath(kUnableToOpen, path);
    errno = ENAMETOOLONG;
    ShowLastErrorBox(owner, text.c_str());
}

bool RefuseFile(QWidget* owner, const char* path)
{
    const DvAviCheckResult result = CheckDvAviFile(path);
    if (result == Recognised) {
        return false;
    }
    // errno is still the check's: nothing may run between it and the box.
    const std::string text = FormatWithPath(DvAviCheckMessage(result), path);
    if (DvAviCheckNeedsSystemText(result)) {
        ShowLastErrorBox(owner, text.c_str());
    } else {
        ShowErrorBox(owner, text.c_str(), "Error!");
    }
    return true;
}
