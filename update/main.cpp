// Entry of the update program: no arguments and no application title of its
// own (message boxes carry the program file's name). The splash window writes
// the default settings when it is first activated and ends the event loop.
#include "platform/gui/GuardedApplication.h"
#include "update/MainForm.h"

int main(int argc, char* argv[])
{
    TGuardedApplication app(argc, argv);
    TfrmMain frmMain;
    frmMain.show();
    app.exec();
    return frmMain.ExitCode();
}
