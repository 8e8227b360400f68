// The open file's names through a sequence of stores and restores: a path too long for the graph builder
// changes nothing, and a restore gives back the names from before the last store.
#include "ui/window/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileNames, StoresRefusesAndRestores)
{
    const std::string fits = "/tmp/" + std::string(250, 'b') + ".avi";   // 259 characters
    const std::string tooLong = fits + "x";
    const struct {
        const char* action;   // "store" or "restore"
        std::string path;
        bool stored;
        std::string expectedPath;
        std::string expectedTitle;
    } steps[] = {
        {"store", "/media/tape one/holiday.avi", true, "/media/tape one/holiday.avi", "holiday.avi"},
        {"store", "C:\\clips\\party.avi", true, "C:\\clips\\party.avi", "party.avi"},
        {"restore", "", true, "/media/tape one/holiday.avi", "holiday.avi"},
        {"store", tooLong, false, "/media/tape one/holiday.avi", "holiday.avi"},
        {"store", fits, true, fits, std::string(250, 'b') + ".avi"},
        {"restore", "", true, "/media/tape one/holiday.avi", "holiday.avi"},
    };
    CFileNames names;
    EXPECT_STREQ(names.Path(), "");
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.action) + " " + step.path.substr(0, 40));
        if (std::string(step.action) == "store") {
            EXPECT_EQ(names.Store(step.path.c_str()), step.stored);
        } else {
            names.Restore();
        }
        EXPECT_EQ(names.Path(), step.expectedPath);
        EXPECT_EQ(names.FileTitle(), step.expectedTitle);
    }
}

}  // namespace
