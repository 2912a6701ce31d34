#include "app/ApplicationWindows.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "app/StartupFiles.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/HistoryForm.h"
#include "dialogs/LoansForm.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "dialogs/SearchBooksDialog.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/History.h"
#include "engine/DueDates.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/gui/Clock.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "widgets/RunState.h"
#include "widgets/TextFit.h"

#include <QAction>
#include <QTimer>

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
TWindowSlot<TfrmHistory> frmHistory;

namespace {

// A dialog as its slot makes it: made by make with what it works on, owned
// by the main window, and captions given room where the system lacks the
// windows' face.
template <typename T, typename TMake> auto DialogMaker(TMake make)
{
    return [make](QDialog*& asDialog) -> T* {
        T* dialog = make();
        dialog->SetOwnerWindow(frmMain);
        TextFit::FitWindow(dialog);
        asDialog = dialog;
        return dialog;
    };
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
    FCatalogue = std::make_unique<TCatalogue>();
    // Before the shown rows, so that a new loan has its due date when the
    // windows follow the change.
    FDues = std::make_unique<TDueDates>(*FCatalogue, [] { return TPlatform::Clock().Now().date(); });
    FRows = std::make_unique<TShownRows>(*FCatalogue);
    FRun = std::make_unique<TRunState>();
    frmMain = new TfrmMain(*Files, *FCatalogue, *FRows, *FRun);
    if (frmMain->StartupFailed())
        return;
    frmBookBrowser = new TfrmBookBrowser(*FCatalogue, *FRows, *FRun);
    // The browser's rows offer the main window's own commands; the find
    // command is the browser's, on the main window's menu, and "Go to"
    // ends in the browser's list; Enter in the browser brings the main
    // window forward.
    const TMainFormUi& ui = frmMain->Ui;
    frmBookBrowser->SetRowCommands(
        {ui.mnuDatabase_Edit, ui.mnuDatabase_Loan, ui.mnuDatabase_Return, ui.mnuDatabase_Remove});
    QObject::connect(ui.mnuView_FindBooks, &QAction::triggered, frmBookBrowser,
                     Guarded(frmBookBrowser, &TfrmBookBrowser::FindClick));
    QObject::connect(ui.mnuView_GoToBookBrowser, &QAction::triggered, frmBookBrowser,
                     Guarded(frmBookBrowser, &TfrmBookBrowser::GoToClick));
    QObject::connect(frmBookBrowser, &TfrmBookBrowser::MainWindowWanted, frmMain, &TfrmMain::BringForward);
    // The dialogs, in the windows' order; each is made when first reached.
    dlgLoanBook.Arm(DialogMaker<TdlgLoanBook>([this] { return new TdlgLoanBook(*FCatalogue, *FRows); }));
    dlgSearchBooks.Arm(DialogMaker<TdlgSearchBooks>([this] { return new TdlgSearchBooks(*FCatalogue, *FRows); }));
    dlgAbout.Arm(DialogMaker<TdlgAbout>([] { return new TdlgAbout; }));
    dlgPrint.Arm(DialogMaker<TdlgPrint>([this] { return new TdlgPrint(*FCatalogue, *FRows); }));
    dlgPrintSettings.Arm(
        DialogMaker<TdlgPrintSettings>([this] { return new TdlgPrintSettings(FCatalogue->Settings()); }));
    dlgDatabaseSettings.Arm(
        DialogMaker<TdlgDatabaseSettings>([this] { return new TdlgDatabaseSettings(FCatalogue->Settings()); }));
    dlgRemoveSeveral.Arm(DialogMaker<TdlgRemoveSeveral>([this] { return new TdlgRemoveSeveral(*FCatalogue); }));
    dlgEditSeveral.Arm(DialogMaker<TdlgEditSeveral>([this] { return new TdlgEditSeveral(*FCatalogue); }));
    // A window of its own, not a dialog, so the slot hands out no dialog; it
    // stacks above the main window.
    frmLoans.Arm([this](QDialog*& asDialog) {
        auto* window = new TfrmLoans(
            *FCatalogue, *FRows, *FRun, *FDues,
            // The history of changes is read when a loan history is shown, never at start.
            [this] { return THistory(FCatalogue->Database().FileName()).ReadAll(); }, frmMain);
        TextFit::FitWindow(window);
        asDialog = nullptr;
        return window;
    });
    frmHistory.Arm([this](QDialog*& asDialog) {
        auto* window = new TfrmHistory(*FCatalogue, *FRows, *FRun, frmMain);
        TextFit::FitWindow(window);
        asDialog = nullptr;
        return window;
    });
    // Only where the system lacks the windows' face do captions need more room.
    TextFit::FitWindow(frmMain);
    TextFit::FitWindow(frmBookBrowser);

    // The notice of overdue loans: counted once the event loop runs, so the
    // first showing of the windows waits for no due dates file, and again
    // after every change of books or due dates.
    QObject::connect(FRows.get(), &TShownRows::Refilled, frmMain, [this] { ShowOverdue(); });
    QObject::connect(FDues.get(), &TDueDates::Changed, frmMain, [this] { ShowOverdue(); });
    QTimer::singleShot(0, frmMain, [this] { ShowOverdue(); });
}

void TApplicationWindows::ShowOverdue()
{
    TErrorHandler::Guard([this] {
        if (!frmMain || !FCatalogue->IsOpen())
            return;
        const int overdue = FDues->OverdueCount(TPlatform::Clock().Now().date());
        const std::string note = FDues->TakeNote();
        if (!note.empty())
            DueNote = note;
        frmMain->ShowOverdue(overdue, Cp1252::ToQString(DueNote));
        // The status bar keeps a short word of it for the run; the whole is
        // said once, after the change or the start that brought it.
        if (!note.empty())
            QTimer::singleShot(0, frmMain, [text = Cp1252::ToQString(note)] {
                TErrorHandler::Guard([&text] { TPlatform::Messages().Error(text); });
            });
    });
}

TApplicationWindows::~TApplicationWindows()
{
    if (!Made)
        return;
    // The run ends: windows closed from here on are not closed by the user.
    if (FRun)
        FRun->Ending = true;
    Destroy(frmHistory);
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
