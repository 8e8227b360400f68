#include "tests/support/skip_status.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zvtest {

int RunAllTestsReportingSkips()
{
    const int status = RUN_ALL_TESTS();
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    if (run.test_to_run_count() == 0) {
        std::fprintf(stderr, "No test matched: nothing was checked.\n");
        return 1;
    }
    if (status == 0 && run.skipped_test_count() == run.test_to_run_count()) {
        return kSkipExitStatus;
    }
    return status;
}

}  // namespace zvtest
