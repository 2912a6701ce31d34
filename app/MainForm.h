// TfrmMain, the main window of Volumnia. At its creation the catalogue takes
// the two engines read at start (the settings on "volumnia.kelt" and the
// database on the file they name), and at its end the catalogue saves them.
// It shows the current book of the shown rows, steps through them, and runs
// the editing, view and help commands, changing books through the catalogue.
// Handlers raise; the signal connections run them through the
// application-wide guard.
#pragma once

#include "app/MainFormUi.h"

#include <QMainWindow>

#include <cstdint>

class QTimer;
class TCatalogue;
class TRunState;
class TShownRows;
class TStartupFiles;
class TStoredPosition;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Runs FormCreate, which opens the catalogue on the files read at start.
    TfrmMain(TStartupFiles& files, TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* parent = nullptr);
    ~TfrmMain() override; // runs FormDestroy

    // True when start-up could not make both engines: the program ends at
    // once and nothing is written back.
    bool StartupFailed() const { return FStartupFailed; }

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
    void mnuDatabase_UndoClick();
    void mnuView_HistoryClick();
    void mnuDatabase_RedoClick();
    void mnuDatabase_EditSeveralClick();
    void mnuDatabase_RemoveSeveralClick();
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
    void FormCreate();
    void FormDestroy();
    void ConnectHandlers();
    void ShowEmptyBook();
    // The book group's caption, which is also its name to a screen reader.
    void SetBookDataTitle(const QString& title);
    void ShowLoanState(bool onLoan);
    void EnableLoanItems();
    // Undo and redo name their change; both are off while a book is edited.
    void EnableUndoItems();
    int32_t SelectedRow() const;

    bool FStartupFailed = false;
    TStartupFiles* StartupFiles; // until FormCreate has opened the catalogue
    TCatalogue& Catalogue;
    TShownRows& Rows;
    TRunState& Run;
    QTimer* Clock = nullptr;
    TStoredPosition* Position = nullptr; // MF_X and MF_Y
};
