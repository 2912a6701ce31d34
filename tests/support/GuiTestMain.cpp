// Test entry for window tests: a guarded application on the offscreen
// platform, titled like the program, so message boxes carry "Volumnia".
// The windows get the faces the program registers at start, unless
// VOLUMNIA_TEST_SYSTEM_FONTS is set: then they run on whatever the system
// substitutes, as on a machine without fonts-wine. Printing is linked in
// rather than loaded from its module (one printing test loads the module).
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/WindowFonts.h"
#include "platform/print/QtPrintSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    TGuardedApplication::setApplicationName(QStringLiteral("Volumnia"));
    if (qEnvironmentVariableIsEmpty("VOLUMNIA_TEST_SYSTEM_FONTS"))
        WindowFonts::Register();
    TQtPrintSupport printing;
    PrintSupport::Use(&printing);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
