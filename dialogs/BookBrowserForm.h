// TfrmBookBrowser, the book browser: lists every book (or a search result) in
// a grid beside the main window. Its list and selected row are the main
// window's navigation model, so it lives for the whole run and closing it only
// hides it. The three column titles sort the collection and remember the
// choice in SortMethod; the window remembers its place in LV_X and LV_Y.
#pragma once

#include <QWidget>

#include <string>

class QGroupBox;
class QLabel;
class TBookGrid;
class TStoredPosition;

class TfrmBookBrowser : public QWidget {
    Q_OBJECT

public:
    explicit TfrmBookBrowser(QWidget* parent = nullptr); // runs FormCreate
    ~TfrmBookBrowser() override;                         // keeps a place moved to since the last write

    bool PositionRestored = false;
    TBookGrid* BookList = nullptr;
    QGroupBox* grpListView = nullptr;
    QLabel* Author = nullptr;
    QLabel* Bookname = nullptr;
    QLabel* Publisher = nullptr;
    TStoredPosition* Position = nullptr; // LV_X and LV_Y

    // Handlers; each may raise (the connections run them through the guard).
    void FormActivate();
    void FormClose();
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
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void SortClick(const char* method, const char* alias);
    void WritePosition();
    void TitleClick(QObject* title);

    // The column title a left press landed on; its release over it sorts.
    QObject* PressedTitle = nullptr;
};
