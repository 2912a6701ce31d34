// TfrmBookBrowser, the book browser: lists the shown rows (every book, or a
// search result) in a grid beside the main window; selecting a row makes it
// the current one, which the main window shows. It lives for the whole run
// and closing it only hides it. The three column titles sort the catalogue
// and remember the choice in SortMethod; the window remembers its place in
// LV_X and LV_Y. A find line, hidden until asked for, narrows the rows to the
// books that match the words typed (TShownRows::FillMatching); Escape ends
// it. Enter or a double click on a row asks for the main window, and the
// rows' menu offers the main window's own commands for the row's book.
//
// Any detail of the field table can be shown as a column after the three,
// chosen in the columns menu (the titles' context menu, and the rows' menu):
// the choice is kept in LV_COLUMNS (absent in an older installation's file,
// which means none). A detail's title orders the rows listed by it
// (TShownRows::SortByDetail), leaving the catalogue's order and SortMethod
// as they are. The titles follow the list when it scrolls sideways.
#pragma once

#include "widgets/CoverThumbnails.h"
#include "widgets/ModelessWindow.h"

#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class TDataLabel;
class TBookGrid;
class TCatalogue;
class TShownRows;
class TSortTitle;
struct TField;

class TfrmBookBrowser : public TModelessWindow {
    Q_OBJECT

public:
    // Runs FormCreate, which lists the books and shows the window.
    TfrmBookBrowser(TCatalogue& catalogue, TShownRows& rows, TRunState& run);
    ~TfrmBookBrowser() override; // keeps a place moved to since the last write

    bool PositionRestored = false;
    TBookGrid* BookList = nullptr;
    QGroupBox* grpListView = nullptr;
    TSortTitle* Author = nullptr;
    TSortTitle* Bookname = nullptr;
    TSortTitle* Publisher = nullptr;
    QLabel* lblFind = nullptr;
    QLineEdit* edtFind = nullptr;
    TDataLabel* lblFindCount = nullptr;
    QMenu* RowMenu = nullptr;
    QAction* actShowBook = nullptr;
    QMenu* BlankRowMenu = nullptr;
    // The columns: the three always there, then each detail, checked when shown.
    QMenu* ColumnMenu = nullptr;
    // The titles of the detail columns shown, in column order.
    std::vector<TSortTitle*> DetailTitles;

    // The commands the rows' menu offers after "Show in main window": the
    // main window's own, given when the windows are made.
    void SetRowCommands(const QList<QAction*>& commands);

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate();
    void FormClose() override;
    void FormMouseMove();
    void BookListClick();
    void AuthorClick();
    void BooknameClick();
    void PublisherClick();
    // Shows the browser if hidden, brings it forward and puts the focus in the
    // find line, shown from now on.
    void FindClick();
    // The main window's "Go to Book browser", after it brought the browser
    // forward: the focus goes to the list, where the arrows move at once.
    void GoToClick();
    void edtFindChange();
    // Escape in the find line: empties and hides it, every book listed again.
    void EndFind();
    // Enter or a double click: the selected row's book is the current one and
    // the main window is asked for.
    void BookListActivate();
    // The blank row left by a find or search without books has no book to
    // act on: its menu offers no command.
    void BookListMenu(const QPoint& globalPlace);
    // Shows or hides the column of a detail (a key of the field table) and
    // keeps the choice; the three columns of the list stay.
    void ColumnClick(const std::string& key, bool shown);
    // A detail's title: the rows listed are ordered by that detail.
    void DetailTitleClick(const std::string& key);

signals:
    // The main window should come forward (it shows the current book).
    void MainWindowWanted();

public:
    // At the end of the run: writes LV_X and LV_Y when the window has moved
    // since they were last written, so a move is not lost with the run.
    void RunEnd();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void RestoreDefaultPlace() override;

private:
    void FormCreate();
    void SortClick(const char* method);
    void WritePosition();
    void ShowRows();
    void ShowSortState();
    void ShowFindLine(bool shown);
    void ShowFindCount();
    // While the main window edits a book the rows stay as they are: says so.
    bool RefusedWhileEditing();
    // The detail columns kept in LV_COLUMNS.
    void ReadDetailColumns();
    // Makes the detail columns' titles and widths, lists the rows with them.
    void ShowDetailColumns();
    // Puts each title over its column as the list is scrolled sideways.
    void PlaceTitles();
    // Which title orders the rows while a detail does.
    void ShowDetailSortState();

    TCatalogue& Catalogue;
    TShownRows& Rows;
    // The find line's text as last listed.
    QString FindText;
    // The details shown as columns after the three, in the field table's order.
    std::vector<const TField*> DetailColumns;
    // The three titles were shown unsorted while a detail orders the rows.
    bool PartTitlesCleared = false;
    // The covers' column's pictures, read as rows on screen show them.
    TCoverThumbnails Thumbnails;
};
