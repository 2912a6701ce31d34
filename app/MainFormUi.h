// The controls of the main window and their layout, built in code the way a
// form designer would: captions, shortcuts, images, sizes and tab order.
#pragma once

#include <array>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;

class TMainFormUi {
public:
    void Setup(QMainWindow* window);

    QToolBar* ToolBar = nullptr;
    QToolButton* tbtnAddBook = nullptr;
    QToolButton* tbtnEditBook = nullptr;
    QToolButton* tbtnRemoveBook = nullptr;
    QToolButton* tbtnLoanBook = nullptr;
    QToolButton* tbtnReturnBook = nullptr;
    QToolButton* tbtnSearch = nullptr;
    QToolButton* tbtnPrint = nullptr;
    QToolButton* tbtnListView = nullptr;
    QToolButton* tbtnRefresh = nullptr;

    QAction* mnuFile_Print = nullptr;
    QAction* mnuFile_ExportWeb = nullptr;
    QAction* mnuFile_ExportPdf = nullptr;
    QAction* mnuFile_Exit = nullptr;
    QAction* mnuDatabase_Undo = nullptr;
    QAction* mnuDatabase_Redo = nullptr;
    QAction* mnuDatabase_Add = nullptr;
    QAction* mnuDatabase_Edit = nullptr;
    QAction* mnuDatabase_EditSeveral = nullptr;
    QAction* mnuDatabase_Remove = nullptr;
    QAction* mnuDatabase_RemoveSeveral = nullptr;
    QAction* mnuDatabase_Loan = nullptr;
    QAction* mnuDatabase_Return = nullptr;
    QAction* mnuDatabase_Search = nullptr;
    QAction* mnuDatabase_Settings = nullptr;
    QAction* mnuDatabase_LookUpIsbn = nullptr;
    QAction* mnuView_ShowHideBookBrowser = nullptr;
    QAction* mnuView_UpdateBookBrowser = nullptr;
    QAction* mnuView_Loans = nullptr;
    QAction* mnuView_FindBooks = nullptr;
    QAction* mnuView_GoToBookBrowser = nullptr;
    // Ctrl+Q: the Exit command's key, on the window rather than on the menu item.
    QAction* actExitKey = nullptr;
    QAction* mnuView_History = nullptr;
    QAction* mnuView_BookDetails = nullptr;
    QAction* mnuView_Statistics = nullptr;
    QAction* mnuView_ScanIsbn = nullptr;
    QAction* mnuView_ScanPicture = nullptr;
    QAction* mnuView_AlwaysOnTop = nullptr;
    QAction* mnuView_RestoreWindows = nullptr;
    QAction* mnuHelp_Contents = nullptr;
    QAction* mnuHelp_About = nullptr;

    QGroupBox* grpBookData = nullptr;
    QLineEdit* edtBookname = nullptr;
    QLineEdit* edtAuthor = nullptr;
    QLineEdit* edtPublishyear = nullptr;
    QLineEdit* edtPublisher = nullptr;
    QLineEdit* edtMisc1 = nullptr;
    QLineEdit* edtMisc2 = nullptr;
    QGroupBox* grpLoaninfo = nullptr;
    QLabel* lblLoanerCaption = nullptr;
    QLabel* lblLoaner = nullptr;
    QLabel* lblLoanDateCaption = nullptr;
    QLabel* lblLoanDate = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnFirst = nullptr;
    QPushButton* btnPrevious = nullptr;
    QLineEdit* edtCurrentItem = nullptr;
    QLabel* lblItems = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnLast = nullptr;

    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 4> StatusPanels{};
    // Hidden until a loan is overdue (or the due dates could not be read).
    QLabel* lblOverdue = nullptr;
};
