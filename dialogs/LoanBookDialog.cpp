#include "dialogs/LoanBookDialog.h"

#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/gui/Clock.h"
#include "platform/gui/Platform.h"
#include "widgets/DialogControls.h"
#include "widgets/ToolBarImages.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

#include <set>

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

    LoanerCompleter = new QCompleter(new QStringListModel(this), this);
    LoanerCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    LoanerCompleter->setFilterMode(Qt::MatchStartsWith);
    LoanerCompleter->setCompletionMode(QCompleter::PopupCompletion);
    edtLoaner->setCompleter(LoanerCompleter);
    // Installed after the completer's own filter, so it sees the keys first.
    LoanerCompleter->popup()->installEventFilter(this);

    ConnectClick(btnGetdate, &TdlgLoanBook::btnGetdateClick);
    ConnectClick(btnLoan, &TdlgLoanBook::btnLoanClick);
    ConnectClick(btnCancel, &TdlgLoanBook::btnCancelClick);
}

void TdlgLoanBook::FormActivate()
{
    // Nothing of the last loan is carried over.
    edtLoaner->clear();
    edtLoanDate->clear();
    // The names of earlier loaners: a returned book keeps its last loaner's.
    std::set<QString> seen;
    QStringList names;
    const TDatabase& database = Catalogue.Database();
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const QString name = Cp1252::ToQString(database.ItemAt(slot).Fields[6]).trimmed();
        if (!name.isEmpty() && seen.insert(name).second)
            names << name;
    }
    names.sort(Qt::CaseInsensitive);
    static_cast<QStringListModel*>(LoanerCompleter->model())->setStringList(names);
    edtLoaner->setFocus(Qt::OtherFocusReason);
}

void TdlgLoanBook::btnGetdateClick()
{
    // The user's short date format in the digits and marks the database
    // holds, read back alike by the Loans window and every export.
    edtLoanDate->setText(LoanDate::Write(TPlatform::Clock().Now().date()));
}

void TdlgLoanBook::btnLoanClick()
{
    // The shown book gets the loaner and the date as typed. Nothing is
    // checked: an empty date is stored as typed and simply does not count as
    // a loan; digits typed in the locale's own script are stored as ASCII
    // digits, which the database holds. A failure raises, and then the
    // dialog stays open.
    Catalogue.Lend(Rows.CurrentId(), Cp1252::FromQString(edtLoaner->text()),
                   Cp1252::FromQString(LoanDate::Plain(edtLoanDate->text())));
    accept();
}

void TdlgLoanBook::btnCancelClick()
{
    reject();
}

bool TdlgLoanBook::eventFilter(QObject* watched, QEvent* event)
{
    // Tab, Shift+Tab and Enter while no name of the list is picked: the list
    // closes and the key goes to the loaner's box as if there were no list.
    if (watched == LoanerCompleter->popup() && event->type() == QEvent::KeyPress &&
        !LoanerCompleter->popup()->currentIndex().isValid()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter) {
            LoanerCompleter->popup()->hide();
            const auto* pressed = static_cast<QKeyEvent*>(event);
            QKeyEvent copy(QEvent::KeyPress, key, pressed->modifiers(), pressed->text());
            QCoreApplication::sendEvent(edtLoaner, &copy);
            return true;
        }
    }
    return TDialogBase::eventFilter(watched, event);
}
