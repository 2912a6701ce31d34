#include "app/ApplicationWindows.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "app/StartupFiles.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/LoansForm.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "dialogs/SearchBooksDialog.h"
#include "platform/Cp1252.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "widgets/TextFit.h"

TfrmMain* frmMain = nullptr;
TfrmBookBrowser* frmBookBrowser = nullptr;
TWindowSlot<TdlgLoanBook> dlgLoanBook;
TWindowSlot<TdlgSearchBooks> dlgSearchBooks;
TWindowSlot<TdlgAbout> dlgAbout;
TWindowSlot<TdlgPrint> dlgPrint;
TWindowSlot<TdlgPrintSettings> dlgPrintSettings;
TWindowSlot<TdlgDatabaseSettings> dlgDatabaseSettings;
TWindowSlot<TdlgRemoveSeveral> dlgRemoveSeveral;
TWindowSlot<TdlgEditSeveral> dlgEditSeveral;
TWindowSlot<TfrmLoans> frmLoans;

namespace {

// A dialog as its slot makes it: owned by the main window, and captions given
// room where the system lacks the windows' face.
template <typename T> T* MakeDialog(QDialog*& asDialog)
{
    T* dialog = new T;
    dialog->SetOwnerWindow(frmMain);
    TextFit::FitWindow(dialog);
    asDialog = dialog;
    return dialog;
}

// The Loans window as its slot makes it: a window of its own beside the
// browser, not a dialog, so the slot hands out no dialog.
TfrmLoans* MakeLoansWindow(QDialog*& asDialog)
{
    auto* window = new TfrmLoans;
    TextFit::FitWindow(window);
    asDialog = nullptr;
    return window;
}

template <typename T> void Destroy(T*& window)
{
    delete window;
    window = nullptr;
}

template <typename T> void Destroy(TWindowSlot<T>& slot)
{
    slot.Destroy();
}

} // namespace

TApplicationWindows::TApplicationWindows() : TApplicationWindows(std::make_unique<TStartupFiles>()) {}

TApplicationWindows::TApplicationWindows(std::unique_ptr<TStartupFiles> files) : Files(std::move(files))
{
    if (Files->HeldElsewhere()) {
        TPlatform::Messages().Information(Files->HeldByVolumnia() ? QString::fromLatin1(AlreadyRunningMessage)
                                                                  : Cp1252::ToQString(Files->LockMessage()));
        return;
    }
    Made = true;
    frmMain = new TfrmMain(*Files);
    if (frmMain->StartupFailed())
        return;
    frmBookBrowser = new TfrmBookBrowser;
    // The dialogs, in the windows' order; each is made when first reached.
    dlgLoanBook.Arm(&MakeDialog<TdlgLoanBook>);
    dlgSearchBooks.Arm(&MakeDialog<TdlgSearchBooks>);
    dlgAbout.Arm(&MakeDialog<TdlgAbout>);
    dlgPrint.Arm(&MakeDialog<TdlgPrint>);
    dlgPrintSettings.Arm(&MakeDialog<TdlgPrintSettings>);
    dlgDatabaseSettings.Arm(&MakeDialog<TdlgDatabaseSettings>);
    dlgRemoveSeveral.Arm(&MakeDialog<TdlgRemoveSeveral>);
    dlgEditSeveral.Arm(&MakeDialog<TdlgEditSeveral>);
    frmLoans.Arm(&MakeLoansWindow);
    // Only where the system lacks the windows' face do captions need more room.
    TextFit::FitWindow(frmMain);
    TextFit::FitWindow(frmBookBrowser);
}

TApplicationWindows::~TApplicationWindows()
{
    if (!Made)
        return;
    // The Loans window, shown at the end of the run, keeps its place for the next.
    if (frmLoans.Made() && frmLoans->isVisible())
        TErrorHandler::Guard([] { frmLoans->FormClose(); });
    Destroy(frmLoans);
    Destroy(dlgEditSeveral);
    Destroy(dlgRemoveSeveral);
    Destroy(dlgDatabaseSettings);
    Destroy(dlgPrintSettings);
    Destroy(dlgPrint);
    Destroy(dlgAbout);
    Destroy(dlgSearchBooks);
    Destroy(dlgLoanBook);
    Destroy(frmBookBrowser);
    Destroy(frmMain);
}

bool TApplicationWindows::Started() const
{
    return Made && frmMain && !frmMain->StartupFailed();
}
