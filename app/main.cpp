// Entry of Volumnia: the application titled "Volumnia", its ten windows made
// in order, the event loop, and the windows destroyed in reverse order (the
// main window last, which writes the state back).
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "desktop/DesktopIntegration.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/TerminationSignal.h"
#include "platform/gui/WindowFonts.h"

int main(int argc, char* argv[])
{
    TGuardedApplication app(argc, argv);
    // The application title of message boxes and the task bar. Only the name
    // is set: the display name defaults to it, and a display name set on its
    // own would be appended by Qt to every window's caption in the title bar.
    TGuardedApplication::setApplicationName(QStringLiteral("Volumnia"));
    TDesktopIntegration::Apply();
    // The run ends with the main window, not with the last visible window.
    TGuardedApplication::setQuitOnLastWindowClosed(false);
    WindowFonts::Register();

    int exitCode = 0;
    {
        TApplicationWindows windows;
        if (windows.Started()) {
            TTerminationSignal termination([] { frmMain->mnuFile_ExitClick(); });
            frmMain->show();
            exitCode = TGuardedApplication::exec();
        }
    }
    return exitCode;
}
