// Test entry for window tests: a guarded application on the offscreen
// platform, titled like the program, so message boxes carry "Volumnia".
#include "platform/gui/GuardedApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    TGuardedApplication::setApplicationName(QStringLiteral("Volumnia"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
