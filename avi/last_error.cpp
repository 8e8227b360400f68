#include "avi/last_error.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "avi/file_io.h"

std::string GetLastErrorText()
{
    const int code = errno;
    std::string text;
    if (code == zv::kNotRegularFileError) {
        text = "Not a regular file: a pipe, socket or device cannot be played";
    } else if (::strerrorname_np(code) == nullptr) {
        const auto value = static_cast<std::uint32_t>(code);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%08x (%d)", static_cast<unsigned>(value),
                      static_cast<int>(value & 0xFFFFu));
        text = buffer;
    } else {
        char buffer[256];
        const char* described = ::strerror_r(code, buffer, sizeof buffer);   // GNU form: returns the text
        text = described;
        const std::size_t lineEnd = text.find_first_of("\r\n");
        if (lineEnd != std::string::npos)
            text.resize(lineEnd);
    }
    errno = code;
    return text;
}

std::string LastErrorMessage(const char* message)
{
    const std::string systemText = GetLastErrorText();   // first, before anything can touch errno
    std::string text = message ? message : "";
    text += "\n\n";
    text += systemText;
    return text;
}

std::string LastErrorMessage(const char* message, const std::string& detail)
{
    std::string text = LastErrorMessage(message);
    if (!detail.empty()) {
        text += '\n';
        text += detail;
    }
    return text;
}
