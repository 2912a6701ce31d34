#include "dialogs/LoanBookDialog.h"

#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/LocaleTexts.h"
#include "platform/gui/Clock.h"
#include "platform/gui/Platform.h"
#include "widgets/DialogControls.h"
#include "widgets/ToolBarImages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogControls;

TdlgLoanBook::TdlgLoanBook(TCatalogue& catalogue, const TShownRows& rows, QWidget* parent)
    : TDialogBase(parent), Catalogue(catalogue), Rows(rows)
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
    // The shown book gets the loaner and the date as typed. Nothing is
    // checked: an empty date is stored as typed and simply does not count as
    // a loan. A failure raises, and then the dialog stays open.
    Catalogue.Lend(Rows.CurrentId(), Cp1252::FromQString(edtLoaner->text()), Cp1252::FromQString(edtLoanDate->text()));
    accept();
}

void TdlgLoanBook::btnCancelClick()
{
    reject();
}
