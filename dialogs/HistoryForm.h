// TfrmHistory, the History window: every change to the books kept in the
// history beside the database file, newest first (when, what, which books),
// optionally only those of the book the main window shows. Below the list,
// the selected change's books, each before and after, and beside them what
// the change did to the selected book, field by field (the eight fields and
// its details, before and after). "Restore this version" gives a book that is
// in the catalogue the fields and details it had before the change, where it
// is still as the history last left it;
// "Bring back" puts a removed book back with its ID, fields and loan; "Take
// back import" removes an import's books as a whole. Each is a change like
// any other, saved at once and undoable.
// Modeless, made on its first use and kept for the run, stacked above the
// main window. The history is read when the window is shown, never at start;
// while it is shown the lines read are kept and listed anew as the book shown
// changes, and the file is read again only when it changed (its size, or
// its times of change): after a change of books, or a write by another
// program. Its place is kept in HI_X and HI_Y, written only when the user
// moved it; without them it opens centred.
#pragma once

#include "engine/HistoryEntry.h"
#include "widgets/ModelessWindow.h"

#include <QDateTime>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class TCatalogue;
class TChangeBooksModel;
class TChangeFieldsModel;
class THistoryListModel;
class TShownRows;

class TfrmHistory : public TModelessWindow {
    Q_OBJECT

public:
    TfrmHistory(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner);

    QTableView* lstChanges = nullptr;
    QCheckBox* chkShownBook = nullptr;
    QTableView* lstBooks = nullptr;
    QTableView* lstFields = nullptr;
    QLabel* lblNote = nullptr;
    QPushButton* btnRestore = nullptr;
    QPushButton* btnBringBack = nullptr;
    QPushButton* btnTakeBack = nullptr;
    QPushButton* btnClose = nullptr;

    // How many changes are listed (newest first).
    int ListedCount() const;
    void SelectChange(int row);
    void SelectBook(int row);

    // Reads the history again and lists it.
    void Refresh();
    // How often the history file was read, for tests.
    int ReadCount() const { return FReadCount; }

    void btnRestoreClick();
    void btnBringBackClick();
    void btnTakeBackClick();

public slots:
    void BooksChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What tells whether the history file changed since it was read.
    struct TStamp {
        bool Exists = false;
        qint64 Size = 0;
        QDateTime Modified;
        QDateTime MetadataChanged;
        bool operator==(const TStamp& other) const = default;
    };
    TStamp FileStamp() const;
    // Lists the entries of the lines read that the check box asks for.
    void ListLines();
    // Lists anew, reading the file again only when it changed.
    void Follow();
    void ListBooks();
    void ListFields();
    void EnableButtons();
    const THistoryEntry* SelectedChange() const;
    const TBookChange::TBook* SelectedBook() const;
    bool RefuseWhileEditing() const;

    TCatalogue& Catalogue;
    TShownRows& Rows;
    THistoryListModel* FChanges = nullptr;
    TChangeBooksModel* FBooks = nullptr;
    TChangeFieldsModel* FFields = nullptr;
    TStamp FReadStamp;
    std::string FNote; // what the last reading said
    int FReadCount = 0;
};
