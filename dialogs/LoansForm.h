// TfrmLoans, the Loans window: who has which book, and since when. One row per
// book on loan (title, author, loaner, date loaned, days on loan), the longest
// out first, with a line under the list counting the loans and those out for
// more than 30 days. Enter or a double click makes the book the current one
// of the shown rows, which the main window shows; Return asks, as the main
// window's Return does, and returns the book through the catalogue.
// Modeless, made on its first use and kept for the run, stacked above the
// main window; its list follows every refill of the shown rows, so every
// command that changes books. Its place is kept in LN_X and LN_Y, written
// only when the user moved it; without them it opens centred.
//
// Loans may have due dates (engine/DueDates): a Due column in words, overdue
// loans first, their count in the summary line, the loan period new loans
// get, and the selected loan's due date set, changed or cleared from the box
// under the list (Enter or "Set due"; an empty box clears it). History shows
// every loan the selected book had and every book its borrower has and had,
// read from the history of changes the window is given.
#pragma once

#include "widgets/LoanRows.h"
#include "widgets/ModelessWindow.h"

#include "engine/HistoryEntry.h"

#include <array>
#include <functional>
#include <vector>

class QGroupBox;
class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QLabel;
class QPushButton;
class QTableView;
class TCatalogue;
class TDueDates;
class TLoanListModel;
class TShownRows;
class TSortTitle;

class TfrmLoans : public TModelessWindow {
    Q_OBJECT

public:
    // Kept above stackingOwner, the main window.
    // history gives the history of changes, oldest first.
    using THistorySource = std::function<std::vector<THistoryEntry>()>;
    TfrmLoans(TCatalogue& catalogue, TShownRows& rows, TRunState& run, TDueDates& dues, THistorySource history,
              QWidget* stackingOwner);

    // Days a loan may last before the line under the list counts it as long.
    static constexpr int LongLoanDays = 30;

    QGroupBox* grpLoans = nullptr;
    // The column titles, which sort the list: title, author, loaner, date, days, due.
    std::array<TSortTitle*, 6> SortTitles{};
    QTableView* lstLoans = nullptr;
    QLabel* lblSummary = nullptr;
    QSpinBox* spnPeriod = nullptr;
    QLineEdit* edtDue = nullptr;
    QPushButton* btnSetDue = nullptr;
    QPushButton* btnCopyReminder = nullptr;
    QPushButton* btnHistory = nullptr;
    QDialog* dlgHistory = nullptr; // made on the first History
    QPlainTextEdit* memHistory = nullptr;
    QPushButton* btnShow = nullptr;
    QPushButton* btnReturn = nullptr;
    QPushButton* btnClose = nullptr;

    // The list's model, for tests and the benchmark.
    const TLoanListModel& Model() const { return *FModel; }
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    // Rebuilds the list from the database now, keeping the selected book
    // selected while it is still on loan.
    void Refresh();

    // Handlers; each may raise (the connections run them through the guard).
    void btnShowClick();
    void btnReturnClick();
    void btnSetDueClick();
    void btnCopyReminderClick();
    void btnHistoryClick();
    // The selected loan's book's loans and its borrower's books, as History shows them.
    QString HistoryText() const;
    void spnPeriodChange(int days);
    // Enter pressed in the period's box, or the box left: a period refused is said.
    void spnPeriodExit();
    // The reminder of the selected loan, as Copy reminder puts it on the clipboard.
    QString ReminderText() const;
    void SortTitleClick(TLoanRows::TOrder order);

public slots:
    // The shown rows were filled anew, after every change of books: rebuilt
    // now when shown, else when next shown.
    void BooksChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The due column as wide as its widest words, the title column narrower.
    void FitDueColumn();
    // Makes the book the current one of the shown rows, listing the whole
    // catalogue first when they list a search's result without it. False
    // when no row holds it.
    bool ShowBook(int32_t id);
    void ShowSortState();
    void ShowSelectedDue();
    // The stored book of the selected row, or nullptr.
    const TItem* SelectedBook() const;

    TCatalogue& Catalogue;
    TShownRows& Rows;
    TDueDates& Dues;
    THistorySource History;

    TLoanListModel* FModel = nullptr;
    TLoanRows::TOrder Order = TLoanRows::TOrder::LongestOut;
    bool Stale = true;
};
