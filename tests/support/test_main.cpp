// The entry point of every test binary without a main of its own: GoogleTest, with a run of only skipped
// tests reported to ctest as skipped.
#include "tests/support/skip_status.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
