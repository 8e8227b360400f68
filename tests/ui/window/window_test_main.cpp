// The main-window tests run on Qt's offscreen platform with one 1280 x 1024 screen, so window sizes for a
// full PAL picture fit without the screen clamp; settings go to a private folder.
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    QTemporaryDir folder;
    const QString screenConfig = folder.filePath(QStringLiteral("screens.json"));
    QFile config(screenConfig);
    if (!config.open(QIODevice::WriteOnly)) {
        return 2;
    }
    config.write(R"({"screens": [{"name": "zv", "x": 0, "y": 0, "width": 1280, "height": 1024,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();

    std::vector<std::string> storage{argv[0], "-platform", "offscreen:configfile=" + screenConfig.toStdString()};
    for (int i = 1; i < argc; ++i) {
        storage.emplace_back(argv[i]);
    }
    std::vector<char*> arguments;
    for (std::string& argument : storage) {
        arguments.push_back(argument.data());
    }
    arguments.push_back(nullptr);
    int count = static_cast<int>(storage.size());

    // Never the developer's own settings.
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath(QStringLiteral("config")));
    QApplication application(count, arguments.data());
    gst_init(nullptr, nullptr);
    testing::InitGoogleTest(&count, arguments.data());
    return zvtest::RunAllTestsReportingSkips();
}
