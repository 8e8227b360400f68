// Widget tests need a QApplication; the Fusion style keeps control sizes and slider geometry the same on
// every machine.
#include <QApplication>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include "tests/support/skip_status.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return zvtest::RunAllTestsReportingSkips();
}
