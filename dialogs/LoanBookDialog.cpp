#include "dialogs/LoanBookDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "app/ToolBarImages.h"
#include "platform/gui/Clock.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/Platform.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>

namespace {

QLabel* BoldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TdlgLoanBook::TdlgLoanBook(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Loan book"));
    // A plain dialog border: no minimise box, no context help, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(409, 153);

    // Created in tab order, which Qt follows for focus chains.
    lblLoaner = BoldLabel(QStringLiteral("Loaner"), this);
    lblLoaner->setGeometry(8, 8, 393, 14);
    edtLoaner = new QLineEdit(this);
    edtLoaner->setGeometry(8, 24, 393, 21);
    lblLoaner->setBuddy(edtLoaner);

    lblLoanDate = BoldLabel(QStringLiteral("Date loaned"), this);
    lblLoanDate->setGeometry(8, 52, 129, 14);
    edtLoanDate = new QLineEdit(this);
    edtLoanDate->setGeometry(8, 68, 129, 21);
    lblLoanDate->setBuddy(edtLoanDate);

    btnGetdate = new QPushButton(QStringLiteral("&Today"), this);
    btnGetdate->setGeometry(144, 67, 75, 23);
    btnGetdate->setAutoDefault(false);

    bvlButtons = new QFrame(this);
    bvlButtons->setFrameShape(QFrame::HLine);
    bvlButtons->setFrameShadow(QFrame::Sunken);
    bvlButtons->setGeometry(8, 104, 393, 2);

    btnLoan = new QPushButton(TToolBarImages::Icon(TToolBarImages::Loan), QStringLiteral("&Loan"), this);
    btnLoan->setGeometry(294, 120, 107, 25);
    btnLoan->setDefault(true);

    btnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancel"), this);
    btnCancel->setGeometry(178, 120, 107, 25);
    btnCancel->setAutoDefault(false);

    setTabOrder(edtLoaner, edtLoanDate);
    setTabOrder(edtLoanDate, btnGetdate);
    setTabOrder(btnGetdate, btnLoan);
    setTabOrder(btnLoan, btnCancel);

    connect(btnGetdate, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnGetdateClick(); }); });
    connect(btnLoan, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnLoanClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { TErrorHandler::Guard([this] { btnCancelClick(); }); });
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
    edtLoanDate->setText(QLocale().toString(today, QLocale::ShortFormat));
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

void TdlgLoanBook::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TErrorHandler::Guard([this] { FormActivate(); });
}

void TdlgLoanBook::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role: Escape must not close the dialog and drop
    // what was typed. The close box still closes it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
