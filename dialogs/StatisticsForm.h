// TfrmStatistics, the Statistics window: what the collection holds, one
// chart at a time (books by author, publisher, decade, language, shelf or
// tag, reading status and rating; books added and removed per year; loans by
// borrower), each a bar chart with its numbers in a table beside it, and a
// line on the loans (out now, overdue, never lent, days out). Choosing a bar
// or a table row (a click, Enter, "Show books") lists its books in the book
// browser through the shown rows, as a search does; "Books never lent" lists
// those. "Copy" puts the chart's table on the clipboard as text.
// The numbers come from engine/Statistics over the books, the history of
// changes (read when the window is shown or the books change, never at
// start) and the due dates. Modeless, made on its first use and kept for the
// run, stacked above the main window; it counts anew after every change of
// books while shown, and when next shown otherwise. Its place is kept in ST_X
// and ST_Y, written only when the user moved it; without them it opens
// centred.
#pragma once

#include "engine/HistoryEntry.h"
#include "engine/Statistics.h"
#include "widgets/ModelessWindow.h"

#include <cstdint>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStandardItemModel;
class QTableView;
class TBarChart;
class TCatalogue;
class TDueDates;
class TShownRows;

class TfrmStatistics : public TModelessWindow {
    Q_OBJECT

public:
    // history gives the history of changes, oldest first.
    using THistorySource = std::function<std::vector<THistoryEntry>()>;
    TfrmStatistics(TCatalogue& catalogue, TShownRows& rows, TRunState& run, TDueDates& dues, THistorySource history,
                   QWidget* stackingOwner);

    QComboBox* cmbChart = nullptr;
    QLabel* lblSummary = nullptr;
    QScrollArea* scrChart = nullptr;
    TBarChart* Chart = nullptr;
    QTableView* lstNumbers = nullptr;
    QPushButton* btnShow = nullptr;
    QPushButton* btnNeverLent = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnClose = nullptr;

    // What is counted now, for tests and the benchmark.
    const TStatistics& Counted() const { return FStatistics; }
    // Shows the chart of that title; false where there is none.
    bool ShowChart(const QString& title);
    // Counts anew and shows the same chart.
    void Refresh();

    // Lists the books of the current bar in the browser.
    void btnShowClick();
    void btnNeverLentClick();
    void btnCopyClick();
    // The books of a bar of the chart shown, listed in the browser.
    void ChooseRow(int row);

public slots:
    void BooksChanged();

signals:
    // Books were listed for the browser, which should be shown.
    void BrowserWanted();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTable();
    void ShowSummary();
    void ListBooks(const std::vector<int32_t>& ids);
    const TStatTable* Shown() const;

    TCatalogue& Catalogue;
    TShownRows& Rows;
    TDueDates& Dues;
    THistorySource History;
    TStatistics FStatistics;
    QStandardItemModel* FNumbers = nullptr;
    bool Stale = true;
};
