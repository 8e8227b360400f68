// The system texts under the file error boxes, and the file name that titles the window.
#include "avi/file_name.h"
#include "avi/last_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

TEST(LastErrorText, DescribesErrnoOrFormatsUnknownCodes)
{
    struct Row { int code; std::string text; };
    const Row rows[] = {
        {ENOENT, std::strerror(ENOENT)},
        {EISDIR, std::strerror(EISDIR)},
        {0, std::strerror(0)},   // success is looked up like any other code
        {0x12345678, "Unknown error 0x12345678 (22136)"},   // only the low 16 bits in decimal
        {-1, "Unknown error 0xffffffff (65535)"},
        {4000, "Unknown error 0x00000fa0 (4000)"},
    };
    for (const Row& row : rows) {
        errno = row.code;
        EXPECT_EQ(GetLastErrorText(), row.text) << row.code;
        EXPECT_EQ(errno, row.code) << "reading the text must not change the code";
    }
}

TEST(LastErrorText, MessageThenEmptyLineThenSystemText)
{
    errno = EACCES;
    EXPECT_EQ(LastErrorMessage("Unable to read the requested file:\r\n\r\n/media/clip.avi"),
              std::string("Unable to read the requested file:\r\n\r\n/media/clip.avi\n\n") + std::strerror(EACCES));
}

TEST(FileName, PartAfterTheLastSeparator)
{
    struct Row { const char* path; const char* name; };
    const Row rows[] = {
        {"/home/user/clip.avi", "clip.avi"}, {"C:\\Video\\clip.avi", "clip.avi"}, {"a\\b/c.avi", "c.avi"},
        {"a/b\\c.avi", "c.avi"}, {"clip.avi", "clip.avi"}, {"dir/", ""}, {"", ""}, {"/", ""},
    };
    for (const Row& row : rows) {
        const char* name = FileNameFromPath(row.path);
        EXPECT_STREQ(name, row.name) << row.path;
        EXPECT_EQ(name, row.path + std::strlen(row.path) - std::strlen(row.name)) << "points into the path";
    }
}

}  // namespace
