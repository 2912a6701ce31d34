#include "app/ApplicationWindows.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "dialogs/SearchBooksDialog.h"
#include "dialogs/TextFit.h"
#include "printing/PrintDialog.h"
#include "platform/WorkingFolderLock.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "printing/PrintSettingsDialog.h"

TfrmMain* frmMain = nullptr;
TfrmBookBrowser* frmBookBrowser = nullptr;
TdlgLoanBook* dlgLoanBook = nullptr;
TdlgSearchBooks* dlgSearchBooks = nullptr;
TdlgAbout* dlgAbout = nullptr;
TdlgPrint* dlgPrint = nullptr;
TdlgPrintSettings* dlgPrintSettings = nullptr;
TdlgDatabaseSettings* dlgDatabaseSettings = nullptr;
TdlgRemoveSeveral* dlgRemoveSeveral = nullptr;
TdlgEditSeveral* dlgEditSeveral = nullptr;

TApplicationWindows::TApplicationWindows() : Lock(std::make_unique<TWorkingFolderLock>())
{
    if (Lock->TryLock() == TWorkingFolderLock::TResult::HeldElsewhere) {
        TPlatform::Messages().Information(QString::fromLatin1(AlreadyRunningMessage));
        return;
    }
    Made = true;
    frmMain = new TfrmMain;
    if (frmMain->StartupFailed())
        return;
    frmBookBrowser = new TfrmBookBrowser;
    dlgLoanBook = new TdlgLoanBook;
    dlgSearchBooks = new TdlgSearchBooks;
    dlgAbout = new TdlgAbout;
    dlgPrint = new TdlgPrint;
    dlgPrintSettings = new TdlgPrintSettings;
    dlgDatabaseSettings = new TdlgDatabaseSettings;
    dlgRemoveSeveral = new TdlgRemoveSeveral;
    dlgEditSeveral = new TdlgEditSeveral;
    // Only where the system lacks the windows' face do captions need more room.
    for (QWidget* window :
         std::initializer_list<QWidget*>{frmMain, frmBookBrowser, dlgLoanBook, dlgSearchBooks, dlgAbout, dlgPrint,
                                         dlgPrintSettings, dlgDatabaseSettings, dlgRemoveSeveral, dlgEditSeveral})
        TextFit::FitWindow(window);
}

namespace {

template <typename T> void Destroy(T*& window)
{
    delete window;
    window = nullptr;
}

} // namespace

TApplicationWindows::~TApplicationWindows()
{
    if (!Made)
        return;
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
