// Test entry of the update program's tests: a guarded application on the
// offscreen platform with no title of its own, as the program runs. It links
// none of Volumnia's windows, since update has its own TfrmMain.
#include "platform/gui/GuardedApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
