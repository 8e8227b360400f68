// The two error boxes every failure of the window goes through: the graph's (step text and detail) and
// the system's (message and errno's text).
#include "tests/ui/window/window_test_support.h"

#include "ui/window/graph_error_box.h"
#include "ui/window/message_box.h"
#include "ui/window/player_dlg.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

TEST(ErrorBoxes, GraphErrorsShowTheStepAndTheCodesText)
{
    wintest::CMessageRecorder boxes;
    CPlayerDlg dialog;
    const struct {
        HRESULT hr;
        const char* text;   // nullptr: no box
    } cases[] = {
        {S_OK, nullptr},
        {VFW_S_STATE_INTERMEDIATE, nullptr},
        {E_FAIL, "Could not pause filter graph\n\nDetail: Unspecified error"},
        {static_cast<HRESULT>(0x80041234u), "Could not pause filter graph\n\nDetail: Unknown Error: 0x80041234"},
        {-5, "Could not pause filter graph\n\nDetail: Unknown Error: 0xfffffffb"},
    };
    std::size_t expected = 0;
    for (const auto& c : cases) {
        ShowGraphError(&dialog, c.hr, "Error initially pausing filter graph", "Could not pause filter graph", "");
        if (c.text == nullptr) {
            EXPECT_EQ(boxes.Messages().size(), expected) << c.hr;
            continue;
        }
        ASSERT_EQ(boxes.Messages().size(), ++expected) << c.hr;
        EXPECT_EQ(boxes.Messages().back().text, c.text);
        EXPECT_EQ(boxes.Messages().back().title, "Error initially pausing filter graph");
        EXPECT_EQ(boxes.Messages().back().owner, &dialog);
        EXPECT_EQ(boxes.Messages().back().icon, QMessageBox::Critical);
    }
}

TEST(ErrorBoxes, TheLastErrorBoxAppendsTheSystemsTextAfterAnEmptyLine)
{
    wintest::CMessageRecorder boxes;
    const struct {
        int code;
        std::string text;
    } cases[] = {
        {ENOENT, std::string("Unable to read the requested file:\r\n\r\n/x.avi\n\n") + std::strerror(ENOENT)},
        {0x12345, "Unable to read the requested file:\r\n\r\n/x.avi\n\nUnknown error 0x00012345 (9029)"},
    };
    for (const auto& c : cases) {
        errno = c.code;
        ShowLastErrorBox(nullptr, "Unable to read the requested file:\r\n\r\n/x.avi");
        ASSERT_FALSE(boxes.Messages().empty());
        EXPECT_EQ(boxes.Messages().back().text, c.text);
        EXPECT_EQ(boxes.Messages().back().title, "Error!");
        EXPECT_EQ(boxes.Messages().back().owner, nullptr);
    }
}

}  // namespace
