// The open command's DV AVI check and the first-stream facts read at the same fixed offsets.
#include "avi/dv_avi_check.h"
#include "avi/file_io.h"
#include "avi/last_error.h"
#include "avi/stream_info.h"
#include "avi_test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace avitest;

namespace {

struct CheckCase {
    const char* name;
    const char* riffId;
    const char* form;
    const char* type;
    const char* handler;
    const char* compression;
    std::size_t length;   // bytes of the file kept; 0 = the whole file
    DvAviCheckResult expected;
};

Bytes HeaderFile(const CheckCase& c)
{
    AviOptions options;
    options.streamType = c.type;
    options.handler = c.handler;
    options.compression = c.compression;
    options.frames = SmallFrames(1);
    Bytes bytes = BuildAvi(options).bytes;
    std::memcpy(bytes.data(), c.riffId, 4);
    std::memcpy(bytes.data() + 8, c.form, 4);
    if (c.length != 0)
        bytes.resize(c.length);
    return bytes;
}

const CheckCase kCheckCases[] = {
    {"VidsBoth", "RIFF", "AVI ", "vids", "dvsd", "dvsd", 0, Recognised},
    {"VidsCompressionOnly", "RIFF", "AVI ", "vids", "cvid", "dvsd", 0, Recognised},
    {"VidsHandlerOnly", "RIFF", "AVI ", "vids", "dvsd", "MJPG", 0, Recognised},
    {"VidsNeither", "RIFF", "AVI ", "vids", "cvid", "MJPG", 0, NotDvAvi},
    {"UpperCase", "RIFF", "AVI ", "vids", "DVSD", "DVSD", 0, NotDvAvi},
    {"IavsDvsd", "RIFF", "AVI ", "iavs", "dvsd", "xxxx", 0, Recognised},
    {"IavsWithoutFormatBytes", "RIFF", "AVI ", "iavs", "dvsd", "xxxx", 164, Recognised},
    {"IavsOtherHandler", "RIFF", "AVI ", "iavs", "dvc ", "dvsd", 0, NotDvAvi},
    {"AnyRiffId", "XXXX", "AVI ", "vids", "dvsd", "dvsd", 0, Recognised},
    {"WrongForm", "RIFF", "AVIX", "vids", "dvsd", "dvsd", 0, NotDvAvi},
    {"LowerCaseForm", "RIFF", "avi ", "iavs", "dvsd", "dvsd", 0, NotDvAvi},
    {"VidsEndsInFormat", "RIFF", "AVI ", "vids", "dvsd", "dvsd", 200, TooShort},
    {"ShortHeader", "RIFF", "AVI ", "iavs", "dvsd", "dvsd", 163, TooShort},
};

class CheckTable : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckTable, GivesResult)
{
    TempDir dir;
    const std::string path = dir.Write("clip.avi", HeaderFile(GetParam()));
    EXPECT_EQ(CheckDvAviFile(path.c_str()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Avi, CheckTable, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every length of a recognised file below what the check reads ends as TooShort, never as a read error.
TEST(CheckTruncation, EveryLengthBelowTheFormatIsTooShort)
{
    TempDir dir;
    for (const char* type : {"vids", "iavs"}) {
        const Bytes whole = HeaderFile({"", "RIFF", "AVI ", type, "dvsd", "dvsd", 0, Recognised});
        const std::size_t needed = std::strcmp(type, "vids") == 0 ? 212 : 164;
        for (std::size_t length = 0; length <= 212; ++length) {
            const std::string path = dir.Write("cut.avi", Bytes(whole.begin(), whole.begin() + length));
            EXPECT_EQ(CheckDvAviFile(path.c_str()), length < needed ? TooShort : Recognised) << type << length;
        }
    }
}

TEST(CheckErrors, OpenFailureKeepsItsCode)
{
    TempDir dir;
    errno = 0;
    EXPECT_EQ(CheckDvAviFile((dir.Path() + "/missing.avi").c_str()), OpenFailed);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(GetLastErrorText(), std::strerror(ENOENT));
}

// Paths that open but are no regular file. The check runs in a child with an alarm: a FIFO without a writer
// used to block the open forever, and a hang must fail the case, not the whole run.
TEST(CheckErrors, NonRegularFilesAreRefusedAtOnceWithTheirReason)
{
    TempDir dir;
    const std::string fifo = dir.Path() + "/pipe.avi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = dir.Path() + "/pipe-link.avi";
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    const struct {
        std::string path;
        int code;
        const char* text;
    } cases[] = {
        {dir.Path(), EISDIR, "Is a directory"},
        {fifo, zv::kNotRegularFileError, "Not a regular file: a pipe, socket or device cannot be played"},
        {link, zv::kNotRegularFileError, "Not a regular file: a pipe, socket or device cannot be played"},
        {"/dev/null", zv::kNotRegularFileError, "Not a regular file: a pipe, socket or device cannot be played"},
    };
    for (const auto& c : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(20);
            errno = 0;
            const DvAviCheckResult result = CheckDvAviFile(c.path.c_str());
            const bool right = result == OpenFailed && errno == c.code && GetLastErrorText() == c.text;
            ::_exit(right ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << c.path << " did not return (signal " << WTERMSIG(status) << ")";
        EXPECT_EQ(WEXITSTATUS(status), 0) << c.path << ": not OpenFailed with " << c.text;
    }
}

TEST(CheckResults, NamesAndMessages)
{
    struct Row { DvAviCheckResult r; const char* name; const char* message; bool system; };
    const Row rows[] = {
        {Recognised, "Recognised", nullptr, false},
        {OpenFailed, "OpenFailed", "Unable to open the requested file:\r\n\r\n%s", true},
        {ReadFailed, "ReadFailed", "Unable to read the requested file:\r\n\r\n%s", true},
        {TooShort, "TooShort", "File is not a recognised DV AVI format:\r\n\r\n%s", false},
        {NotDvAvi, "NotDvAvi", "File is not a recognised DV AVI format:\r\n\r\n%s", false},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(DvAviCheckResultName(row.r), row.name);
        EXPECT_EQ(row.r, static_cast<int>(&row - rows));
        const char* message = DvAviCheckMessage(row.r);
        if (row.message == nullptr)
            EXPECT_EQ(message, nullptr);
        else
            EXPECT_STREQ(message, row.message);
        EXPECT_EQ(DvAviCheckNeedsSystemText(row.r), row.system) << row.name;
    }
}

TEST(FirstStreamInfo, ReadsRateLengthAndLineSystem)
{
    struct Row { const char* type; std::int32_t height; std::uint32_t vauxSrc; std::size_t length;
                 bool hasHeight, hasDvInfo, is625; };
    const Row rows[] = {
        {"vids", 576, 0, 0, true, false, true},   {"vids", -576, 0, 0, true, false, true},
        {"vids", 480, 0, 0, true, false, false},  {"vids", 576, 0, 183, false, false, true},
        {"iavs", 0, 1u << 21, 0, false, true, true}, {"iavs", 0, 0xFFDFFFFF, 0, false, true, false},
        {"iavs", 0, 0, 191, false, false, true},  {"auds", 480, 0, 0, false, false, true},
    };
    TempDir dir;
    for (const Row& row : rows) {
        AviOptions options;
        options.streamType = row.type;
        options.biHeight = row.height;
        options.frames = SmallFrames(3);
        Bytes bytes = BuildAvi(options).bytes;
        if (std::strcmp(row.type, "iavs") == 0)
            Patch32(bytes, 188, row.vauxSrc);
        if (row.length != 0)
            bytes.resize(row.length);
        FirstStreamInfo info;
        ASSERT_TRUE(ReadFirstStreamInfo(dir.Write("s.avi", bytes).c_str(), info));
        EXPECT_EQ(info.fccHandler, 0x64737664u);   // "dvsd"
        EXPECT_EQ(info.scale, 1u);
        EXPECT_EQ(info.rate, 25u);
        EXPECT_EQ(info.length, 3u);
        EXPECT_EQ(info.hasBitmapHeight, row.hasHeight) << row.type << row.height;
        EXPECT_EQ(info.hasDvInfo, row.hasDvInfo) << row.type << row.vauxSrc;
        EXPECT_EQ(info.is625, row.is625) << row.type << row.height << " " << row.vauxSrc;
        if (row.hasHeight) {
            EXPECT_EQ(info.biHeight, row.height);
        }
    }
    FirstStreamInfo info;
    EXPECT_FALSE(ReadFirstStreamInfo(dir.Write("short.avi", Bytes(163, 0)).c_str(), info));
    EXPECT_EQ(errno, ENODATA);
    EXPECT_FALSE(ReadFirstStreamInfo((dir.Path() + "/none").c_str(), info));
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
