// TfrmBookBrowser, the book browser: lists the shown rows (every book, or a
// search result) in a grid beside the main window; selecting a row makes it
// the current one, which the main window shows. It lives for the whole run
// and closing it only hides it. The three column titles sort the catalogue
// and remember the choice in SortMethod; the window remembers its place in
// LV_X and LV_Y. A find line, hidden until asked for, narrows the rows to the
// books that match the words typed (TShownRows::FillMatching); Escape ends
// it. Enter or a double click on a row asks for the main window, and the
// rows' menu offers the main window's own commands for the row's book.
#pragma once

#include "widgets/ModelessWindow.h"

#include <string>

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

    TCatalogue& Catalogue;
    TShownRows& Rows;
    // The find line's text as last listed.
    QString FindText;
};
