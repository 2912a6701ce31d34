// TfrmBookDetails, the Book details window: the details of the book the main
// window shows (ISBN, series, tags, reading status, rating, the title and
// author in their own letters, ...), one labelled box a detail of the field
// table, edited in place. Changing a box starts an edit: Save (Enter) stores
// the details through the catalogue as one undoable change, Cancel (Escape)
// shows them as stored. While an edit is unsaved the window stays on its
// book, whatever the main window shows, and follows it again after Save or
// Cancel. Details kept under the book's number for a book changed outside
// the program (a stray row) are shown apart, to be attached or set aside.
// Beside the boxes stands the book's cover (widgets/CoverPanel): a picture
// chosen, pasted or dropped there, or the cover removed, is an edit too.
// Modeless, made on its first use and kept for the run, stacked above the
// main window; its place is kept in BD_X and BD_Y, written only when the
// user moved it; without them it opens centred.
#pragma once

#include "widgets/ModelessWindow.h"

#include <cstdint>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TCoverPanel;
class TCatalogue;
class TShownRows;
struct TField;

class TfrmBookDetails : public TModelessWindow {
    Q_OBJECT

public:
    TfrmBookDetails(TCatalogue& catalogue, TShownRows& rows, TRunState& run, QWidget* stackingOwner);

    // One detail's control: a line edit or a combo box, and its caption.
    struct TBox {
        const TField* Field = nullptr;
        QLabel* Caption = nullptr;
        QLineEdit* Edit = nullptr;
        QComboBox* Choice = nullptr;
    };

    QLabel* lblBook = nullptr;
    // The boxes, in a scrolled part of the window where the screen cannot
    // hold them all (a large scale), so the window's buttons stay on it.
    QScrollArea* scrBoxes = nullptr;
    QGroupBox* grpStray = nullptr;
    QLabel* lblStray = nullptr;
    QPushButton* btnAttach = nullptr;
    QPushButton* btnSetAside = nullptr;
    TCoverPanel* Cover = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnLookUp = nullptr;

    // The rows of boxes shown at once, and the window's height, on a screen
    // of that available height: every row where it holds them, fewer
    // (scrolled) where not, never so few that the cover passes the buttons.
    static int RowsShownOn(int availableHeight);
    static int HeightOn(int availableHeight);

    const std::vector<TBox>& Boxes() const { return FBoxes; }
    // The box of a detail's key, nullptr for none.
    const TBox* BoxOf(const char* key) const;
    // The book shown (0 for none) and whether its details hold unsaved text.
    int32_t BookId() const { return FId; }
    bool Editing() const { return FEditing; }
    // How often a book was shown, for tests and the benchmark.
    int LoadCount() const { return FLoads; }

    void btnSaveClick();
    void btnCancelClick();
    void btnAttachClick();
    void btnSetAsideClick();
    // Asks for the shown book's fields to be looked up by the ISBN in its box.
    void btnLookUpClick();

signals:
    // The main window edits the shown book with the lookup of isbn (maybe empty).
    void LookUpWanted(const QString& isbn);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeBoxes(QWidget* parent, QString& taken);
    // Shows the current book of the shown rows, unless an edit holds the window.
    void Follow();
    void ShowBook(int32_t id);
    void ShowStray();
    void StartEditing();
    void SetEditing(bool editing);
    QString TextOf(const TBox& box) const;
    void SetValue(const TBox& box, const std::string& value);
    bool RefusedWhileEditing(bool here);

    TCatalogue& Catalogue;
    TShownRows& Rows;
    std::vector<TBox> FBoxes;
    int32_t FId = 0;
    bool FEditing = false;
    bool FLoading = false; // boxes written by the window itself
    bool FStale = true;    // followed nothing while hidden
    int FLoads = 0;
};
