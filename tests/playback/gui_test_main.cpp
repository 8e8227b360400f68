// Test entry point: painting the strip needs fonts, and the renderers windows to paint in, so a
// QApplication (offscreen) exists first; and GStreamer is initialised once for the binary.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
