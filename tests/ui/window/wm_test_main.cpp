// The main of the tests run by tests/support/xvfb_wm_run.sh: a private X server with a window manager on
// DISPLAY, Qt on its xcb platform, settings in a private folder, the program's identity as it runs.
#include "tests/support/skip_status.h"
#include "ui/window/player_app.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath(QStringLiteral("config")));
    QApplication application(argc, argv);
    CPlayerApp::ApplyIdentity();
    gst_init(nullptr, nullptr);
    testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
