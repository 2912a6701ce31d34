#include "dialogs/LoanBookDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/LocaleTexts.h"
#include "platform/gui/Clock.h"
#include "platform/gui/Platform.h"
#include "widgets/DialogControls.h"
#include "widgets/ToolBarImages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogControls;

TdlgLoanBook::TdlgLoanBook(QWidget* parent) : TDialogBase(parent)
{
    SetUpWindow(QStringLiteral("Loan book"), 409, 153, ExactBorder);

    // Created in tab order, which Qt follows for focus chains.
    lblLoaner = BoldLabel(QStringLiteral("Loaner"), this);
    lblLoaner->setGeometry(8, 8, 393, 14);
    edtLoaner = EditBox(this, 8, 24, 393);
    lblLoaner->setBuddy(edtLoaner);

    lblLoanDate = BoldLabel(QStringLiteral("Date loaned"), this);
    lblLoanDate->setGeometry(8, 52, 129, 14);
    edtLoanDate = EditBox(this, 8, 68, 129);
    lblLoanDate->setBuddy(edtLoanDate);

    btnGetdate = new QPushButton(QStringLiteral("&Today"), this);
    btnGetdate->setGeometry(144, 67, 75, 23);
    btnGetdate->setAutoDefault(false);

    bvlButtons = Rule(this, 8, 104, 393);

    btnLoan = Button(TToolBarImages::Icon(TToolBarImages::Loan), QStringLiteral("&Loan"), this, 294, 120,
                     TButtonKind::Default);
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 178, 120, TButtonKind::Plain);

    SetTabOrder({edtLoaner, edtLoanDate, btnGetdate, btnLoan, btnCancel});

    ConnectClick(btnGetdate, &TdlgLoanBook::btnGetdateClick);
    ConnectClick(btnLoan, &TdlgLoanBook::btnLoanClick);
    ConnectClick(btnCancel, &TdlgLoanBook::btnCancelClick);
}

void TdlgLoanBook::FormActivate()
{
    // Nothing of the last loan is carried over.
    edtLoaner->clear();
    edtLoanDate->clear();
    edtLoaner->setFocus(Qt::OtherFocusReason);
}

void TdlgLoanBook::btnGetdateClick()
{
    // The user's short date format, as in the main window's status bar.
    const QDate today = TPlatform::Clock().Now().date();
    edtLoanDate->setText(LocaleTexts::ShortDate(today));
}

void TdlgLoanBook::btnLoanClick()
{
    // The main window's Save in its edit form writes fields 6 and 7 from these
    // two captions. Nothing is checked: an empty date is stored as typed and
    // simply does not count as a loan.
    frmMain->Ui.lblLoaner->setText(edtLoaner->text());
    frmMain->Ui.lblLoanDate->setText(edtLoanDate->text());
    frmMain->AddMode = false;
    frmMain->btnSaveClick(); // raises on failure, and then the dialog stays open
    accept();
}

void TdlgLoanBook::btnCancelClick()
{
    reject();
}
