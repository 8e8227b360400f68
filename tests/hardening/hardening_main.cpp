// Test entry point: the playback graph paints the strip (fonts need a QGuiApplication, offscreen) and runs
// GStreamer, initialised once for the binary.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
