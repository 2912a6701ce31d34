// The loan dialog: asks who borrows the shown book and on which date, and
// stores both through the main window's Save in its edit form, so a loan is
// written exactly like an edit of fields 6 and 7. Created once at start-up and
// only hidden between uses; every opening starts with empty boxes.
//
// The loaner's box offers the names of earlier loaners (every name the books
// hold in their loaner field) in a list under it. Typing a whole name and
// pressing Tab or Enter does what it did without the list: the list closes,
// Tab goes on to the date box and Enter presses Loan. Only a name picked in
// the list with the arrow keys is taken by Enter.
#pragma once

#include "widgets/DialogBase.h"

class QCompleter;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TCatalogue;
class TShownRows;

class TdlgLoanBook : public TDialogBase {
    Q_OBJECT

public:
    // Lends the current book of rows through catalogue.
    TdlgLoanBook(TCatalogue& catalogue, const TShownRows& rows, QWidget* parent = nullptr);

    QLabel* lblLoaner = nullptr;
    QLineEdit* edtLoaner = nullptr;
    QLabel* lblLoanDate = nullptr;
    QLineEdit* edtLoanDate = nullptr;
    QPushButton* btnGetdate = nullptr;
    QFrame* bvlButtons = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnLoan = nullptr;
    QCompleter* LoanerCompleter = nullptr;

    // Handlers. Each may raise; the button connections run them through the
    // application-wide guard, so a failed Save leaves the dialog open.
    void FormActivate() override;
    void btnGetdateClick();
    void btnLoanClick();
    void btnCancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCatalogue& Catalogue;
    const TShownRows& Rows;
};
