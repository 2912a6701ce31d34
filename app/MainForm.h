// TfrmMain, the main window of Volumnia. It shows the current book of the
// shown rows, steps through them, and runs the editing, view and help
// commands, changing books through the catalogue. It neither opens nor saves
// the catalogue: TApplicationWindows opens it once this window is made and
// saves it at the end of the run, after the last window is gone, with the
// place this window gives (PlaceToStore).
// Handlers raise; the signal connections run them through the
// application-wide guard.
#pragma once

#include "app/MainFormUi.h"
#include "engine/Details.h"

#include <QMainWindow>

#include <cstdint>
#include <string>
#include <vector>

class QTimer;
class TCatalogue;
class TRunState;
class TShownRows;
class TStoredPosition;
struct TValue;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Runs FormCreate: the window with the date and time, the catalogue not
    // yet open.
    TfrmMain(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The catalogue was opened: the status bar names its database file, and
    // the "Always on top" mark comes back. May raise (a missing setting).
    void ShowCatalogue();
    // The start-up failed: the window will not be shown, its clock stops.
    void StopClock();
    // The window's place for the end of the run (MF_X and MF_Y), none where
    // the platform cannot tell where the window is.
    std::vector<TValue> PlaceToStore() const;
    // How many times a book was shown (LoadBook), for tests.
    int BooksLoaded() const { return FBooksLoaded; }

    // Whether edit mode was entered by Add (true) or by Edit.
    bool AddMode = false;
    bool PositionRestored = false;

    void ClearDetailView();
    void SetStatus(bool browsing, bool editing);
    // Lists the whole catalogue again (narrowed by the find line's words
    // while they stand); the first book is then shown.
    void LoadList();
    void LoadBook(int32_t r);
    // The status bar's notice of overdue loans ("2 books overdue", naming the
    // key that opens the Loans window) and of due dates that could not be
    // read; hidden when there is nothing to say.
    void ShowOverdue(int overdue, const QString& note = QString());

    // Handlers. Each may raise; see the file comment.
    void FormActivate();
    void ClockTimer();
    void btnFirstClick();
    void btnPreviousClick();
    void btnNextClick();
    void btnLastClick();
    void edtCurrentItemChange();

    void tbtnAddBookClick();
    void tbtnEditBookClick();
    void btnSaveClick();
    void btnCancelClick();
    void tbtnRemoveBookClick();
    void tbtnLoanBookClick();
    void tbtnReturnBookClick();

    void tbtnListViewClick();
    void tbtnRefreshClick();
    void mnuView_LoansClick();
    // Brings the browser forward, showing it if hidden.
    void mnuView_GoToBookBrowserClick();
    // The main window forward, as the browser asks for it.
    void BringForward();
    void mnuView_AlwaysOnTopClick();
    void mnuView_RestoreWindowsClick();
    void mnuHelp_ContentsClick();
    void mnuHelp_AboutClick();
    void mnuDatabase_SettingsClick();
    void mnuFile_ExportWebClick();
    void mnuFile_ExportPdfClick();
    void mnuDatabase_UndoClick();
    void mnuView_HistoryClick();
    void mnuView_BookDetailsClick();
    void mnuView_StatisticsClick();
    void mnuDatabase_RedoClick();
    void mnuDatabase_EditSeveralClick();
    void mnuDatabase_RemoveSeveralClick();
    // Look up ISBN: while a book is added or edited, the lookup dialog, whose
    // record chosen goes into the boxes (and its ISBN into the details the
    // Save stores), never saved unseen.
    void mnuDatabase_LookUpIsbnClick();
    void mnuView_ScanIsbnClick();
    // The scan line's "Add by ISBN": a new book, its boxes filled by the
    // lookup of that ISBN-13. Refused while a book is being edited.
    void AddByIsbn(const QString& isbn13);
    // The Book details window's "Look up ISBN": the shown book edited, its
    // boxes filled by the lookup of that ISBN.
    void EditByIsbn(const QString& isbn);
    void tbtnSearchClick();
    void tbtnPrintClick();
    void mnuFile_ExitClick();

    // The controls, public as tests reach them by name.
    TMainFormUi Ui;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Says so and is true where a find lists no book of a catalogue that has some.
    bool NoBookListed() const;
    void FormCreate();
    void ConnectHandlers();
    void ShowEmptyBook();
    // The book group's caption, which is also its name to a screen reader.
    void SetBookDataTitle(const QString& title);
    void ShowLoanState(bool onLoan);
    void EnableLoanItems();
    // Undo and redo name their change; both are off while a book is edited.
    void EnableUndoItems();
    int32_t SelectedRow() const;
    // Runs the lookup dialog on isbn; the record chosen fills the boxes.
    void LookUpIsbn(const QString& isbn, bool lookAtOnce);

    TCatalogue& Catalogue;
    TShownRows& Rows;
    TRunState& Run;
    QTimer* Clock = nullptr;
    TStoredPosition* Position = nullptr; // MF_X and MF_Y
    // The row LoadBook is showing while it writes the current-item box, -1
    // otherwise: the box's change then makes that row current without
    // showing its book a second time.
    int32_t LoadingRow = -1;
    int FBooksLoaded = 0;
    // Details a lookup gave the book being added or edited (its ISBN), stored
    // by its Save, dropped by Cancel.
    TDetails LookedUp;
    // The cover a lookup fetched for it, as the covers folder keeps it; Save
    // stores it and names it in the book's details.
    std::string LookedUpCover;
};
