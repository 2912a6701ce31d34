// TfrmMain, the main window of Volumnia. It owns the two engines (Settings on
// "volumnia.kelt" and Database on the file the settings name), shows one book
// at a time, keeps RowIds in step with the book browser's rows, and runs the
// editing, view and help commands. Handlers raise; the signal connections run
// them through the application-wide guard, and other windows that call them
// (the loan dialog calls btnSaveClick) see the error themselves.
#pragma once

#include "app/MainFormUi.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>

class QTimer;
class TDatabase;
class TRFileSystem;
class TStartupFiles;
class TStoredPosition;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Runs FormCreate, which takes the engines from the files read at start.
    explicit TfrmMain(TStartupFiles& files, QWidget* parent = nullptr);
    ~TfrmMain() override; // runs FormDestroy

    // True when start-up could not make both engines: the program ends at
    // once and nothing is written back.
    bool StartupFailed() const { return FStartupFailed; }

    // Shared state, used by the other windows.
    std::unique_ptr<TRFileSystem> Settings;
    std::unique_ptr<TDatabase> Database;
    std::array<int32_t, 1500> RowIds{};
    int32_t CurrentIndex = 0;
    bool AddMode = false;
    bool BrowserShown = false;
    bool PositionRestored = false;
    // Set once the run is ending (close box or Exit), so that windows closed
    // on the way out do not act as if the user had closed them.
    bool Ending = false;

    // Shared operations.
    void ClearDetailView();
    void SetStatus(bool browsing, bool editing);
    void LoadList();
    void LoadBook(int32_t r);

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
    void mnuView_AlwaysOnTopClick();
    void mnuView_RestoreWindowsClick();
    void mnuHelp_ContentsClick();
    void mnuHelp_AboutClick();
    void mnuDatabase_SettingsClick();
    void mnuDatabase_EditSeveralClick();
    void mnuDatabase_RemoveSeveralClick();
    void tbtnSearchClick();
    void tbtnPrintClick();
    void mnuFile_ExitClick();

    // The controls, public as other windows and tests reach them by name.
    TMainFormUi Ui;

signals:
    // LoadList refilled the browser's list: every command that changes books
    // ends with it, so the windows that show books follow it.
    void ListLoaded();

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
    bool ListHoldsNoBook(int32_t r) const;
    void ShowLoanState(bool onLoan);
    void EnableLoanItems();
    int32_t SelectedRow() const;

    bool FStartupFailed = false;
    TStartupFiles* StartupFiles; // until FormCreate has taken the engines
    QTimer* Clock = nullptr;
    TStoredPosition* Position = nullptr; // MF_X and MF_Y
};
