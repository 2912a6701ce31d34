#include "app/ApplicationWindows.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "app/StartupFiles.h"
#include "app/StartupMerge.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/BookDetailsForm.h"
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
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/WorkingFolderLock.h"
#include "platform/gui/Clock.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "settings/RFileSystem.h"
#include "widgets/RunState.h"
#include "widgets/TextFit.h"

#include <QAction>
#include <QFile>
#include <QLocale>
#include <QTimer>

#include <optional>

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
TWindowSlot<TfrmBookDetails> frmBookDetails;

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
    if (Files->HeldElsewhere() && !Files->OtherComputersLock()) {
        TPlatform::Messages().Information(Files->HeldByVolumnia() ? QString::fromLatin1(AlreadyRunningMessage)
                                                                  : Cp1252::ToQString(Files->LockMessage()));
        return;
    }
    if (Files->HeldElsewhere() && !OpenDespiteOtherComputer())
        return;
    Made = true;
    FCatalogue = std::make_unique<TCatalogue>();
    // A side store: the catalogue tells it each change before the windows
    // hear of it, whatever is made or connected after.
    FDues = std::make_unique<TDueDates>(*FCatalogue, [] { return TPlatform::Clock().Now().date(); });
    FRows = std::make_unique<TShownRows>(*FCatalogue);
    FRun = std::make_unique<TRunState>();
    // The main window is built while the files are still read on their own
    // thread; the catalogue opens on them as soon as it stands.
    frmMain = new TfrmMain(*FCatalogue, *FRows, *FRun);
    Opened = OpenCatalogue();
    if (!Opened)
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
    // The print dialog opens the format settings through the slot, not by name.
    dlgPrint.Arm(DialogMaker<TdlgPrint>([this] {
        return new TdlgPrint(*FCatalogue, *FRows, [] { TPlatform::Modal().Exec(dlgPrintSettings.Dialog()); });
    }));
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
            [this] { return THistory(FCatalogue->Database().FileName()).ReadAll(nullptr, &FCatalogue->Database()); },
            frmMain);
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
    frmBookDetails.Arm([this](QDialog*& asDialog) {
        auto* window = new TfrmBookDetails(*FCatalogue, *FRows, *FRun, frmMain);
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

bool TApplicationWindows::OpenCatalogue()
{
    // The database's own lock may be another computer's, found only once
    // the settings named the file.
    if (Files->OtherComputersLock() && !OpenDespiteOtherComputer()) {
        frmMain->StopClock();
        return false;
    }
    bool failed = false;
    try {
        // The settings on the settings file, then the database on the file
        // they name: read at start (TStartupFiles), taken here with what
        // their reading raised.
        FCatalogue->Open([this](std::unique_ptr<TRFileSystem>& settings, std::unique_ptr<TDatabase>& database) {
            Files->TakeEngines(settings, database);
        });
        FCatalogue->EnableStartOfRunBackup(
            [](const std::string& text) { TPlatform::Messages().Information(Cp1252::ToQString(text)); });
        FCatalogue->EnableHistory(
            "Volumnia", [] { return TPlatform::Clock().Now().toMSecsSinceEpoch(); },
            [](const std::string& text) { TPlatform::Messages().Information(Cp1252::ToQString(text)); });
        FCatalogue->ReadCurrentIndex();
        if (Files->ReadOnly())
            FCatalogue->SetReadOnly("Nothing was saved: these files were opened read-only, as another computer "
                                    "holds them. End Volumnia and start it again to work on them.");
        // Details that no longer match their book, or lines that did not
        // read, are said once at start.
        if (const std::string note = FCatalogue->TakeDetailsNote(); !note.empty())
            TPlatform::Messages().Information(Cp1252::ToQString(note));
        // What a sync tool kept aside when both computers changed the books.
        StartupMerge::Run(*FCatalogue, frmMain);
        frmMain->ShowCatalogue();
    } catch (const EKELTError&) {
        TPlatform::Messages().Information(QStringLiteral("106-5: KELT -error. File corrupted."));
        failed = true;
    } catch (const EDatabaseError& error) {
        // A file that is there but damaged is not called missing.
        const std::string number = std::string(error.what()).substr(0, 5);
        const bool damaged = number == "#113:" || number == "#114:";
        TPlatform::Messages().Information(damaged ? QStringLiteral("107-2: ORBL -error. File corrupted.")
                                                  : QStringLiteral("107-2: ORBL -error. File not found or corrupted."));
        failed = true;
    } catch (const std::exception& error) {
        TErrorHandler::Show(error);
        // Without both engines there is nothing the program could do: end it
        // as after the two messages above, writing nothing back. With both,
        // the run goes on from the step that failed.
        failed = !FCatalogue->IsOpen();
    }
    if (failed) {
        frmMain->StopClock();
        FCatalogue->Close();
    }
    return !failed;
}

bool TApplicationWindows::OpenDespiteOtherComputer()
{
    const TWorkingFolderLock& lock = *Files->OtherComputersLock();
    const QString computer = Cp1252::ToQString(lock.OtherComputer());
    const QString since = lock.HeldSince().isValid()
                              ? QStringLiteral(" since ") + QLocale().toString(lock.HeldSince(), QLocale::ShortFormat)
                              : QString();
    const bool readOnly = TPlatform::Messages().Question(
        QStringLiteral("These files are in use by %1%2 (%3). A file synchronisation tool may have brought its lock "
                       "here.\n\nOpen them read-only? You can look at the books but not change them. Choose No "
                       "to decide whether to work on them anyway.")
            .arg(Cp1252::ToQString(lock.Holder()), since, QFile::decodeName(lock.LockPath())));
    if (!readOnly &&
        !TPlatform::Messages().Question(
            QStringLiteral("Work on these files here anyway?\n\nDo so only if Volumnia no longer runs on the computer "
                           "%1 (it ended without removing its lock). If it still runs there, the changes made on one "
                           "computer will not reach the other's files. Yes takes its lock over; No ends Volumnia here.")
                .arg(computer)))
        return false;
    if (!Files->ReadAfterAll(readOnly)) {
        TPlatform::Messages().Information(Cp1252::ToQString(Files->LockMessage()));
        return false;
    }
    return true;
}

void TApplicationWindows::SaveCatalogue(const std::vector<TValue>& place)
{
    try {
        FCatalogue->SaveAtEnd(place);
    } catch (const EKELTError&) {
        TPlatform::Messages().Information(QStringLiteral("108-7: KELT -error. File full or corrupted."));
    } catch (const std::exception& error) {
        TErrorHandler::Show(error);
    }
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
    Destroy(frmBookDetails);
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
    // The main window goes last; its place is taken for the save, which
    // follows once no window is left.
    std::optional<std::vector<TValue>> place;
    if (Opened && FCatalogue->IsOpen()) {
        try {
            place = frmMain->PlaceToStore();
        } catch (const std::exception& error) {
            TErrorHandler::Show(error);
        }
    }
    Destroy(frmMain);
    // A read-only run writes nothing, its end included.
    if (place && !FCatalogue->ReadOnly())
        SaveCatalogue(*place);
}

bool TApplicationWindows::Started() const
{
    return Made && frmMain && Opened;
}
