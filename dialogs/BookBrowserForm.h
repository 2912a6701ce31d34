// TfrmBookBrowser, the book browser: lists the shown rows (every book, or a
// search result) in a grid beside the main window; selecting a row makes it
// the current one, which the main window shows. It lives for the whole run
// and closing it only hides it. The three column titles sort the catalogue
// and remember the choice in SortMethod; the window remembers its place in
// LV_X and LV_Y.
#pragma once

#include "widgets/ModelessWindow.h"

#include <string>

class QGroupBox;
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

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate();
    void FormClose() override;
    void FormMouseMove();
    void BookListClick();
    void AuthorClick();
    void BooknameClick();
    void PublisherClick();
    // At the end of the run: writes LV_X and LV_Y when the window has moved
    // since they were last written, so a move is not lost with the run.
    void RunEnd();

protected:
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

    TCatalogue& Catalogue;
    TShownRows& Rows;
};
