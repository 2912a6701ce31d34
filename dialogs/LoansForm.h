// TfrmLoans, the Loans window: who has which book, and since when. One row per
// book on loan (title, author, loaner, date loaned, days on loan), the longest
// out first, with a line under the list counting the loans and those out for
// more than 30 days. Enter or a double click shows the book in the main
// window (the browser's row is selected and the book loaded, so RowIds stays
// the navigation model); Return returns it as the main window's Return does.
// Modeless, made on its first use and kept for the run; its list follows every
// refill of the main window's list, so every command that changes books. Its
// place is kept in LN_X and LN_Y; without them it opens centred.
#pragma once

#include "widgets/LoanRows.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class TLoanListModel;

class TfrmLoans : public QWidget {
    Q_OBJECT

public:
    explicit TfrmLoans(QWidget* parent = nullptr);

    // Days a loan may last before the line under the list counts it as long.
    static constexpr int LongLoanDays = 30;

    QGroupBox* grpLoans = nullptr;
    // The column titles, which sort the list: title, author, loaner, date, days.
    std::array<QPushButton*, 5> SortTitles{};
    QTableView* lstLoans = nullptr;
    QLabel* lblSummary = nullptr;
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
    void SortTitleClick(TLoanRows::TOrder order);
    void FormClose();

public slots:
    // The main window refilled its list: rebuilt now when shown, else when
    // next shown.
    void BooksChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the book in the main window: selects its row in the browser,
    // refilling the browser with the whole store when it shows a search's
    // result without it. False when no row holds it.
    bool ShowBook(int32_t id);
    void RestorePosition();

    TLoanListModel* FModel = nullptr;
    TLoanRows::TOrder Order = TLoanRows::TOrder::LongestOut;
    bool Stale = true;
    bool PositionRestored = false;
};
