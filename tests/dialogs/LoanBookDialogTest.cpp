// The loan dialog, opened from the main window's loan button as the user
// reaches it; what it stores is read back from the database file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/LoanBookDialog.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "platform/TextFile.h"
#include "settings/RFileSystem.h"
#include "tests/support/AppFixture.h"
#include "tests/support/FailingWriteStep.h"
#include "widgets/BookGrid.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <iterator>

namespace {

// Already in title order, so the browser's sort at start keeps the slots.
const std::vector<TItem> Books = {
    Book(7, "Dune", "Herbert", "Chilton", "1965"),
    Book(3, "Emma", "Austen", "Murray", "1815"),
};

// The next widget Tab reaches: labels, rules and group boxes take no focus.
const QWidget* NextTabStop(const QWidget* widget)
{
    const QWidget* next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

class LoanBookTest : public TAppFixture {
protected:
    // Opens the dialog from the loan button and runs action inside it.
    void Loan(std::function<void(TdlgLoanBook&)> action)
    {
        Platform.Modal.Actions.push_back([action](QDialog& dialog) { action(static_cast<TdlgLoanBook&>(dialog)); });
        frmMain->tbtnLoanBookClick();
    }
    void StartWith(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }
};

TEST_F(LoanBookTest, TodayWritesTheClockDateInTheUsersShortFormat)
{
    struct TCase {
        QLocale Locale;
        QDate Date;
        const char* Expected;
    };
    const TCase cases[] = {
        {QLocale(QLocale::Finnish, QLocale::Finland), QDate(2004, 3, 5), "5.3.2004"},
        {QLocale(QLocale::Finnish, QLocale::Finland), QDate(2011, 12, 31), "31.12.2011"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), QDate(2004, 3, 5), "05/03/2004"},
        {QLocale(QLocale::English, QLocale::UnitedStates), QDate(2004, 3, 5), "3/5/04"},
        // ASCII digits and no direction marks, which the database holds.
        {QLocale(QLocale::Arabic, QLocale::Egypt), QDate(2026, 12, 8), "8/12/2026"},
        {QLocale(QLocale::Persian, QLocale::Iran), QDate(2026, 12, 8), "2026/12/8"},
    };
    StartWith(Books);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expected);
        QLocale::setDefault(c.Locale);
        Platform.Clock.Time = QDateTime(c.Date, QTime(23, 59, 59));
        Loan([&](TdlgLoanBook& dialog) {
            dialog.edtLoanDate->setText(QStringLiteral("typed before"));
            dialog.btnGetdate->click();
            EXPECT_EQ(dialog.edtLoanDate->text(), QString::fromLatin1(c.Expected));
            EXPECT_FALSE(dialog.edtLoanDate->isReadOnly());
            EXPECT_TRUE(dialog.isVisible()); // only fills the box
        });
    }
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books)); // nothing was lent
}

TEST_F(LoanBookTest, LoanStoresLoanerAndDateInTheShownBook)
{
    struct TCase {
        const char* Name;
        const char* Loaner;
        const char* Date; // nullptr: press "&Today" (5 March 2004, Finnish format)
        bool OnLoan;
    };
    const TCase cases[] = {
        {"name and typed date", "Ann Smith", "1.2.2004", true},
        {"name and today", "Bert", nullptr, true},
        {"no date is not a loan", "Carl", "", false},
        {"a date alone is a loan", "", "2.2.2004", true},
        {"nothing typed", "", "", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Stop();
        QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
        StartWith(Books);
        bool closed = false;
        Loan([&](TdlgLoanBook& dialog) {
            QTest::keyClicks(dialog.edtLoaner, QString::fromLatin1(c.Loaner));
            if (c.Date)
                QTest::keyClicks(dialog.edtLoanDate, QString::fromLatin1(c.Date));
            else
                dialog.btnGetdate->click();
            dialog.btnLoan->click();
            closed = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
        });
        EXPECT_TRUE(closed);
        EXPECT_TRUE(Platform.Messages.Boxes.empty());

        const std::string date = c.Date ? c.Date : "5.3.2004";
        std::vector<TItem> expected = Books;
        expected[0].Fields[6] = c.Loaner;
        expected[0].Fields[7] = date;
        EXPECT_EQ(DatabaseText(), DatabaseFile(expected));

        // The lent book is the first of the list, which the main window shows afterwards.
        EXPECT_EQ(frmBookBrowser->BookList->Cell(0, 0), c.OnLoan ? QString(QChar(0x2022)) : QString());
        EXPECT_EQ(frmBookBrowser->BookList->Cell(1, 0), QString());
        EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dune");
        EXPECT_EQ(frmMain->Ui.grpLoaninfo->isHidden(), !c.OnLoan);
        EXPECT_EQ(frmMain->Ui.tbtnLoanBook->isEnabled(), !c.OnLoan);
        EXPECT_EQ(frmMain->Ui.tbtnReturnBook->isEnabled(), c.OnLoan);
        EXPECT_EQ(frmMain->Ui.lblLoaner->text(), QString::fromLatin1(c.Loaner));
        EXPECT_EQ(frmMain->Ui.lblLoanDate->text(), QString::fromStdString(date));
    }
}

TEST_F(LoanBookTest, EveryOpeningStartsEmptyWithTheLoanerFocused)
{
    StartWith(Books);
    const std::vector<std::function<void(TdlgLoanBook&)>> leaveWith = {
        [](TdlgLoanBook& dialog) { dialog.btnCancel->click(); }, [](TdlgLoanBook& dialog) { dialog.close(); },
        [](TdlgLoanBook& dialog) { dialog.btnLoan->click(); }, // a stored loan is not carried over either
    };
    for (size_t i = 0; i <= leaveWith.size(); ++i) {
        SCOPED_TRACE(i);
        Loan([&](TdlgLoanBook& dialog) {
            EXPECT_TRUE(dialog.edtLoaner->text().isEmpty());
            EXPECT_TRUE(dialog.edtLoanDate->text().isEmpty());
            EXPECT_EQ(dialog.focusWidget(), dialog.edtLoaner);
            dialog.edtLoaner->setText(QStringLiteral("Ann"));
            dialog.edtLoanDate->setText(QStringLiteral("1.1.2004"));
            if (i < leaveWith.size())
                leaveWith[i](dialog);
        });
    }
}

TEST_F(LoanBookTest, CancelCloseBoxAndEscapeStoreNothing)
{
    StartWith(Books);
    const std::string before = DatabaseText();
    const std::vector<std::pair<const char*, std::function<void(TdlgLoanBook&)>>> ways = {
        {"cancel", [](TdlgLoanBook& dialog) { dialog.btnCancel->click(); }},
        {"close box", [](TdlgLoanBook& dialog) { dialog.close(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        Loan([&](TdlgLoanBook& dialog) {
            dialog.edtLoaner->setText(QStringLiteral("Ann"));
            dialog.edtLoanDate->setText(QStringLiteral("1.1.2004"));
            // Escape has no button to press: the dialog and its text stay.
            QTest::keyClick(dialog.edtLoaner, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.edtLoaner->text(), "Ann");
            leave(dialog);
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_EQ(DatabaseText(), before);
        EXPECT_TRUE(frmMain->Ui.grpLoaninfo->isHidden());
        EXPECT_TRUE(frmMain->Ui.tbtnLoanBook->isEnabled());
    }
}

TEST_F(LoanBookTest, FailedSaveKeepsTheDialogOpenWithItsText)
{
    struct TCase {
        const char* Name;
        std::vector<TItem> Books;
        bool DiskFull;
        const char* Error;
    };
    const TCase cases[] = {
        {"empty database", {}, false, "#105: Item does not exist in this database."},
        {"file cannot be written", Books, true, "Disk full."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Stop();
        StartWith(c.Books);
        const std::string before = DatabaseText();
        TFailingWriteStep writeFault;
        if (c.DiskFull) // lasting: the run's backup copy fails first, and that alone stops no save
            writeFault.FailAfter(10, false);
        Loan([&](TdlgLoanBook& dialog) {
            dialog.edtLoaner->setText(QStringLiteral("Ann"));
            dialog.edtLoanDate->setText(QStringLiteral("1.1.2004"));
            dialog.btnLoan->click();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.edtLoaner->text(), "Ann");
            EXPECT_EQ(dialog.edtLoanDate->text(), "1.1.2004");
            dialog.btnCancel->click();
        });
        writeFault.Clear();
        EXPECT_EQ(Platform.Messages.Errors(), QStringList{QString::fromLatin1(c.Error)});
        EXPECT_EQ(DatabaseText(), before);
    }
}

TEST_F(LoanBookTest, EnterInTheBoxesPressesLoan)
{
    StartWith(Books);
    Loan([](TdlgLoanBook& dialog) {
        dialog.edtLoaner->setText(QStringLiteral("Ann"));
        dialog.edtLoanDate->setText(QStringLiteral("1.1.2004"));
        QTest::keyClick(dialog.edtLoanDate, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_NE(DatabaseText().find("\r\nAnn\r\n1.1.2004\r\n"), std::string::npos);
}

TEST_F(LoanBookTest, WindowCaptionsAndTabOrder)
{
    StartWith(Books);
    TdlgLoanBook& dialog = *dlgLoanBook;
    EXPECT_EQ(dialog.windowTitle(), "Loan book");
    EXPECT_EQ(dialog.size(), QSize(409, 153));
    const std::pair<QLabel*, const char*> labels[] = {{dialog.lblLoaner, "Loaner"},
                                                      {dialog.lblLoanDate, "Date loaned"}};
    for (const auto& [label, caption] : labels) {
        EXPECT_EQ(label->text(), caption);
        EXPECT_TRUE(label->font().bold());
    }
    EXPECT_EQ(dialog.btnGetdate->text(), "&Today");
    EXPECT_EQ(dialog.btnLoan->text(), "&Loan");
    EXPECT_EQ(dialog.btnCancel->text(), "&Cancel");
    EXPECT_TRUE(dialog.btnLoan->isDefault());
    const QWidget* order[] = {dialog.edtLoaner, dialog.edtLoanDate, dialog.btnGetdate, dialog.btnLoan,
                              dialog.btnCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(NextTabStop(order[i]), order[i + 1]) << i;
}

} // namespace

// The loaner's box offers earlier loaners' names; a whole name typed and Tab
// or Enter behave as without the list, a name picked with the arrows is taken.
TEST_F(LoanBookTest, TheLoanerIsCompletedFromEarlierLoanersWithoutTakingTabOrEnter)
{
    StartWith({Book(7, "Dune", "Herbert", "Chilton", "1965"),
               Book(3, "Emma", "Austen", "Murray", "1815", "Liisa Korhonen", "")});
    Loan([](TdlgLoanBook& dialog) {
        QTest::keyClicks(dialog.edtLoaner, QStringLiteral("Liisa"));
        ASSERT_TRUE(dialog.LoanerCompleter->popup()->isVisible());
        QTest::keyClick(dialog.LoanerCompleter->popup(), Qt::Key_Tab);
        EXPECT_FALSE(dialog.LoanerCompleter->popup()->isVisible());
        EXPECT_EQ(dialog.focusWidget(), dialog.edtLoanDate);
        EXPECT_EQ(dialog.edtLoaner->text(), QStringLiteral("Liisa"));
        dialog.edtLoaner->setFocus();
        dialog.edtLoaner->clear();
        QTest::keyClicks(dialog.edtLoaner, QStringLiteral("lii"));
        ASSERT_TRUE(dialog.LoanerCompleter->popup()->isVisible());
        QTest::keyClick(dialog.LoanerCompleter->popup(), Qt::Key_Down);
        QTest::keyClick(dialog.LoanerCompleter->popup(), Qt::Key_Return);
        EXPECT_EQ(dialog.edtLoaner->text(), QStringLiteral("Liisa Korhonen"));
        EXPECT_TRUE(dialog.isVisible()); // Enter took the name, not the loan
        dialog.edtLoaner->clear();
        QTest::keyClicks(dialog.edtLoaner, QStringLiteral("Liisa"));
        ASSERT_TRUE(dialog.LoanerCompleter->popup()->isVisible());
        QTest::keyClick(dialog.LoanerCompleter->popup(), Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_NE(DatabaseText().find("\r\nLiisa\r\n\r\n"), std::string::npos);
}

// In ar_EG a loan dated with Today, or with the date typed in Arabic-Indic
// digits, is stored in ASCII digits and gets its due date from the period;
// it used to be stored as "??/???/????" with no due date.
TEST_F(LoanBookTest, AnArabicLoanDateIsStoredInDigitsTheDatabaseHoldsAndGetsItsDueDate)
{
    StartWith(Books);
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    Platform.Clock.Time = QDateTime(QDate(2026, 12, 8), QTime(12, 0));
    Catalogue().Settings().WriteInteger("LN_PERIOD", 14);
    for (const QString& typed :
         {QString(), QStringLiteral("\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666")}) {
        if (!typed.isEmpty())
            Catalogue().Return(Rows().CurrentId());
        Loan([&](TdlgLoanBook& dialog) {
            QTest::keyClicks(dialog.edtLoaner, QStringLiteral("Ann"));
            if (typed.isEmpty())
                dialog.btnGetdate->click();
            else
                dialog.edtLoanDate->setText(typed);
            dialog.btnLoan->click();
        });
        std::vector<TItem> expected = Books;
        expected[0].Fields[6] = "Ann";
        expected[0].Fields[7] = "8/12/2026";
        EXPECT_EQ(DatabaseText(), DatabaseFile(expected));
        EXPECT_NE(Folder.ReadFile("books.orbl.details").find("\tdue\t2026-12-22\r\n"), std::string::npos);
    }
}
