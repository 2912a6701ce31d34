// The search dialog: finds the books whose title, author, publisher or first
// other-information field contains a text, and shows them in the book
// browser's list in place of its rows (RowIds filled in step), then shows the
// first book found in the main window. Created once at start-up and reused;
// every opening starts with an empty box and "Book title" chosen.
#pragma once

#include "widgets/DialogBase.h"

#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TCatalogue;
class TShownRows;

class TdlgSearchBooks : public TDialogBase {
    Q_OBJECT

public:
    // Searches the catalogue's books; a result becomes the shown rows.
    TdlgSearchBooks(const TCatalogue& catalogue, TShownRows& rows, QWidget* parent = nullptr);

    QGroupBox* grpSearchinfo = nullptr;
    QLabel* lblSearchstringCaption = nullptr;
    QLineEdit* edtSearchstring = nullptr;
    QRadioButton* rbtBookname = nullptr;
    QRadioButton* rbtAuthor = nullptr;
    QRadioButton* rbtPublisher = nullptr;
    QRadioButton* rbtMisc = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnSearch = nullptr;

    // The field alias the chosen radio button stands for.
    std::string SelectedAlias() const;

    // Handlers. Each may raise; the button connections run them through the
    // application-wide guard, so an engine error leaves the dialog open.
    void FormActivate() override;
    void btnSearchClick();
    void btnCancelClick();

private:
    const TCatalogue& Catalogue;
    TShownRows& Rows;
};
