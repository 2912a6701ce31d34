// Entry of Volumnia: the application titled "Volumnia", its windows made
// in order (the catalogue opened once the main window stands), the event
// loop, and the windows destroyed in reverse order, the main window last;
// then the catalogue writes the state back.
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "app/StartupFiles.h"
#include "desktop/DesktopIntegration.h"
#include "platform/gui/FontConfigPreload.h"
#include "platform/gui/GuardedApplication.h"
#include "platform/gui/Platform.h"
#include "platform/gui/StandardErrorMessageLayer.h"
#include "platform/gui/TerminationSignal.h"
#include "platform/gui/WindowFonts.h"
#include "widgets/ExtensionIconStyle.h"

#include <QAccessible>

int main(int argc, char* argv[])
{
    TFontConfigPreload fontConfig;
    TGuardedApplication app(argc, argv);
    fontConfig.Wait();
    // The application title of message boxes and the task bar. Only the name
    // is set: the display name defaults to it, and a display name set on its
    // own would be appended by Qt to every window's caption in the title bar.
    // Set before the folder's lock is taken, as the lock records it.
    TGuardedApplication::setApplicationName(QStringLiteral("Volumnia"));
    // Qt's accessibility bridge connects to the session bus on the first
    // control made. Where no session bus runs, the D-Bus library forks the
    // program to look for one, which costs more the larger the program has
    // grown and the more threads it runs; made now, before the files are
    // read and the windows built, the bridge costs least.
    QAccessible::isActive();
    // The lock first; then the files are read on a thread of their own while
    // this one loads the fonts and builds the main window.
    auto files = std::make_unique<TStartupFiles>();
    TGuardedApplication::setStyle(new TExtensionIconStyle);
    TDesktopIntegration::Apply();
    // The run ends with the main window, not with the last visible window.
    TGuardedApplication::setQuitOnLastWindowClosed(false);
    WindowFonts::Register();

    // SIGTERM, SIGINT or SIGHUP: an orderly end. Before the main window runs, a
    // start-up message box may be waiting for OK: its loop is ended, and the
    // run ends as after the box, writing nothing.
    bool running = false;
    bool terminated = false;
    // From the signal on, a message (a backup note, a save that failed at the
    // end of the run) goes to the standard error stream: the end never waits
    // on a box that nobody may be there to close.
    TStandardErrorMessageLayer unattended;
    TTerminationSignal termination([&] {
        TPlatform::SetMessages(&unattended);
        if (running) {
            frmMain->mnuFile_ExitClick();
        } else {
            terminated = true;
            TGuardedApplication::exit(1);
        }
    });

    int exitCode = 0;
    {
        TApplicationWindows windows(std::move(files));
        if (windows.Started() && !terminated) {
            running = true;
            frmMain->show();
            exitCode = TGuardedApplication::exec();
        }
    }
    TPlatform::SetMessages(nullptr);
    return exitCode;
}
