// The Loans window, opened from the View menu as the user opens it: its rows
// and their order, the days on loan, showing a book in the main window, Return
// (read back from the database file on disk) and following the main window's
// changes.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/LoansForm.h"
#include "engine/History.h"
#include "dialogs/SearchBooksDialog.h"
#include "platform/gui/DesktopWindow.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"
#include "widgets/DataLabel.h"
#include "widgets/LoanListModel.h"
#include "widgets/SortTitle.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QSpinBox>

#include <QAccessible>
#include <QAction>
#include <QWindow>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

// The fixture's clock says 5 March 2004; the locale is British (dd/MM/yyyy).
const std::vector<TItem> Books = {
    Book(1, "Dune", "Herbert", "Chilton", "1965", "Ann", "01/03/2004"),
    Book(2, "Emma", "Austen", "Murray", "1815"),
    Book(3, "Ivanhoe", "Scott", "Constable", "1819", "Bob", "not yet"),
    Book(4, "Walden", "Thoreau", "Ticknor", "1854", "Carl", "01/01/2004"),
    Book(5, "Zadig", "Voltaire", "Ticknor", "1747", "Dora", "05/03/2004"),
};

class LoansFormTest : public TAppFixture {
protected:
    void SetUp() override { Overrides["SortMethod"] = "ByName"; }
    void StartWith(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }
    // Opens the window from its menu item.
    TfrmLoans& Open()
    {
        frmMain->Ui.mnuView_Loans->trigger();
        return *frmLoans;
    }
    QStringList Column(int column)
    {
        const TLoanListModel& model = frmLoans->Model();
        QStringList texts;
        for (int r = 0; r < model.rowCount(); ++r)
            texts << model.data(model.index(r, column), Qt::DisplayRole).toString();
        return texts;
    }
};

TEST_F(LoansFormTest, ListsTheBooksOnLoanLongestOutFirstWithTheirDays)
{
    StartWith(Books);
    EXPECT_FALSE(frmLoans.Made()); // start-up does not pay for it
    TfrmLoans& loans = Open();
    EXPECT_TRUE(loans.isVisible());
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Walden", "Dune", "Zadig", "Ivanhoe"}));
    EXPECT_EQ(Column(TLoanListModel::Loaner), (QStringList{"Carl", "Ann", "Dora", "Bob"}));
    EXPECT_EQ(Column(TLoanListModel::DateLoaned), (QStringList{"01/01/2004", "01/03/2004", "05/03/2004", "not yet"}));
    EXPECT_EQ(Column(TLoanListModel::DaysOnLoan), (QStringList{"64", "4", "0", ""}));
    EXPECT_EQ(loans.lblSummary->text(), QStringLiteral("4 books on loan, 1 for more than 30 days."));
    EXPECT_EQ(loans.SelectedRow(), 0);

    loans.SortTitles[TLoanListModel::Loaner]->click();
    EXPECT_EQ(Column(TLoanListModel::Loaner), (QStringList{"Ann", "Bob", "Carl", "Dora"}));
    QTest::keyClick(loans.SortTitles[TLoanListModel::DaysOnLoan], Qt::Key_Space); // from the keyboard
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Walden", "Dune", "Zadig", "Ivanhoe"}));
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(LoansFormTest, EnterShowsTheBookInTheMainWindowThroughTheBrowsersRow)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    // A search left only Emma in the browser: the whole list comes back.
    frmMain->Ui.tbtnSearch->setEnabled(true);
    Platform.Modal.Actions.push_back([](QDialog&) {
        dlgSearchBooks->edtSearchstring->setText(QStringLiteral("Emma"));
        dlgSearchBooks->btnSearchClick();
    });
    frmMain->tbtnSearchClick();
    ASSERT_EQ(frmBookBrowser->BookList->RowCount(), 1);
    Platform.Messages.Clear(); // the search's own message

    loans.SelectRow(0); // Walden, row 3 of the title order
    QTest::keyClick(loans.lstLoans, Qt::Key_Return);
    EXPECT_EQ(frmBookBrowser->BookList->RowCount(), 5);
    EXPECT_EQ(frmBookBrowser->BookList->SelectedRow(), 3);
    EXPECT_EQ(Rows().IdAt(3), 4);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), QStringLiteral("Walden"));
    EXPECT_EQ(frmMain->Ui.lblLoaner->text(), QStringLiteral("Carl"));
    EXPECT_TRUE(frmMain->Ui.tbtnReturnBook->isEnabled());
    EXPECT_EQ(loans.SelectedRow(), 0); // the list was rebuilt, the row kept
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(LoansFormTest, ReturnAsksStoresTheReturnAndTheRowLeaves)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    loans.SelectRow(1); // Dune

    Platform.Messages.Answers.push_back(false);
    loans.btnReturn->click();
    ASSERT_EQ(Platform.Messages.Texts(), QStringList{QStringLiteral("Sure to return this book?")});
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books)); // No changes nothing
    EXPECT_EQ(loans.Model().rowCount(), 4);

    Platform.Messages.Answers.push_back(true);
    loans.btnReturn->click();
    std::vector<TItem> expected = Books;
    expected[0].Fields[7].clear(); // the loaner's name stays, as the main window's Return keeps it
    EXPECT_EQ(DatabaseText(), DatabaseFile(expected));
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Walden", "Zadig", "Ivanhoe"}));
    EXPECT_EQ(loans.SelectedRow(), 1); // the next loan takes its place
    EXPECT_EQ(loans.lblSummary->text(), QStringLiteral("3 books on loan, 1 for more than 30 days."));
    EXPECT_EQ(Platform.Messages.Boxes.size(), 2u);
}

TEST_F(LoansFormTest, ReturnWaitsWhileTheMainWindowEditsABook)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    frmMain->tbtnEditBookClick();
    frmMain->Ui.edtPublishyear->setText(QStringLiteral("typed"));
    loans.btnReturn->click();
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Messages.Boxes[0].Kind, TRecordedBox::Information); // no question asked
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books));
    EXPECT_EQ(frmMain->Ui.edtPublishyear->text(), QStringLiteral("typed")); // the edit goes on
}

TEST_F(LoansFormTest, FollowsEveryChangeOfBooksAlsoWhileHidden)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    // An edit in the main window: Emma (row 1 by title) lent by hand.
    frmMain->Ui.edtCurrentItem->setText(QStringLiteral("2"));
    frmMain->tbtnEditBookClick();
    frmMain->Ui.lblLoaner->setText(QStringLiteral("Eve"));
    frmMain->Ui.lblLoanDate->setText(QStringLiteral("01/02/2004"));
    frmMain->btnSaveClick();
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Walden", "Emma", "Dune", "Zadig", "Ivanhoe"}));
    EXPECT_EQ(loans.lblSummary->text(), QStringLiteral("5 books on loan, 2 for more than 30 days."));

    // Closed, then a removal in the main window: the list is right when shown again.
    loans.close();
    EXPECT_FALSE(loans.isVisible());
    Platform.Messages.Answers.push_back(true);
    frmMain->Ui.edtCurrentItem->setText(QStringLiteral("5")); // Zadig
    frmMain->tbtnRemoveBookClick();
    Open();
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Walden", "Emma", "Dune", "Ivanhoe"}));
}

TEST_F(LoansFormTest, PlaceIsKeptInNewKeysAndTheirAbsenceLeavesTheWindowCentred)
{
    StartWith(Books); // the installed settings have no place for it
    std::string value;
    TfrmLoans& loans = Open();
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
    EXPECT_FALSE(SettingOnDisk("LN_X", value));
    loans.move(120, 140);
    loans.close();
    ASSERT_TRUE(SettingOnDisk("LN_X", value));
    EXPECT_EQ(value, std::to_string(loans.x()));
    ASSERT_TRUE(SettingOnDisk("LN_Y", value));
    EXPECT_EQ(value, std::to_string(loans.y()));

    // Still open when the run ends: its place is stored too.
    Open().move(60, 70);
    const QPoint last = frmLoans->pos();
    Stop();
    ASSERT_TRUE(SettingOnDisk("LN_X", value));
    EXPECT_EQ(value, std::to_string(last.x()));

    // A stored place is taken; an unreadable one leaves it centred, silently.
    struct TCase {
        const char* X;
        const char* Y;
        bool Taken;
    };
    for (const TCase& c : {TCase{"150", "160", true}, TCase{"NaN", "40", false}}) {
        SCOPED_TRACE(c.X);
        Stop();
        auto settings = InstalledSettings();
        settings.emplace_back("LN_X", c.X);
        settings.emplace_back("LN_Y", c.Y);
        Folder.WriteFile("volumnia.kelt", SettingsFile(settings));
        Folder.WriteFile("books.orbl", DatabaseFile(Books));
        ASSERT_TRUE(Start());
        TfrmLoans& again = Open();
        EXPECT_EQ(again.pos() == QPoint(150, 160), c.Taken);
        EXPECT_TRUE(Platform.Messages.Boxes.empty());
    }
}

} // namespace

namespace {

TEST_F(LoansFormTest, ItsPlaceIsWrittenOnlyWhenMovedAndNeverWherePlacesAreUnknown)
{
    struct TCase {
        const char* What;
        bool Known;
        bool Moved;
    };
    for (const TCase& c : {TCase{"unmoved", true, false}, TCase{"moved", true, true},
                           TCase{"positions unknown, as on Wayland", false, true}}) {
        SCOPED_TRACE(c.What);
        Stop();
        DesktopWindow::OverridePositionsKnown(c.Known);
        StartWith(Books);
        TfrmLoans& loans = Open();
        if (c.Moved)
            loans.move(loans.pos() + QPoint(40, 30));
        loans.close();
        Open();
        Stop(); // open at the end of the run too
        DesktopWindow::OverridePositionsKnown(std::nullopt);
        std::string value;
        EXPECT_EQ(SettingOnDisk("LN_X", value), c.Known && c.Moved);
        if (!(c.Known && c.Moved)) {
            EXPECT_EQ(SettingsText().find("LN_"), std::string::npos) << "no place written";
        }
    }
}

TEST_F(LoansFormTest, StacksAboveTheMainWindowAndIsAFrameToAScreenReader)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    ASSERT_NE(loans.windowHandle(), nullptr);
    EXPECT_EQ(loans.windowHandle()->transientParent(), frmMain->windowHandle());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&loans)->role(), QAccessible::Window);
    frmMain->Ui.mnuView_AlwaysOnTop->trigger();
    loans.close();
    Open();
    EXPECT_EQ(loans.windowHandle()->transientParent(), frmMain->windowHandle());
}

} // namespace

// With a loan period of 14 days a book lent 20 days ago reads "6 days overdue"
// at the top, and the main window says so at start; a due date typed in the
// window survives a restart; a loaner changed by hand loses the due date.
TEST_F(LoansFormTest, DueDatesOverdueFirstTheNoticeAtStartAndALoanChangedByHand)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    EXPECT_FALSE(frmMain->Ui.lblOverdue->isVisible());
    loans.spnPeriod->setFocus();
    loans.spnPeriod->selectAll();
    QTest::keyClicks(loans.spnPeriod, QStringLiteral("14"));
    QTest::keyClick(loans.spnPeriod, Qt::Key_Return);
    ASSERT_EQ(loans.spnPeriod->value(), 14);
    Catalogue().Lend(2, "Ann", "14/02/2004");
    EXPECT_EQ(Column(TLoanListModel::Title), (QStringList{"Emma", "Walden", "Dune", "Zadig", "Ivanhoe"}));
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"6 days overdue", "", "", "", ""}));
    EXPECT_EQ(loans.lblSummary->text(), QStringLiteral("5 books on loan, 1 for more than 30 days, 1 overdue."));
    EXPECT_EQ(frmMain->Ui.lblOverdue->text(), QStringLiteral("1 overdue"));

    loans.SelectRow(0);
    loans.btnCopyReminder->click();
    // A letter: every date in the locale's long form, the book and a request.
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(),
        QStringLiteral("Dear Ann,\n\nOn Saturday, 14 February 2004 I lent you my book \"Emma\" by Austen. It was "
                       "due back on Saturday, 28 February 2004. Could you please return it as soon as you can?\n\n"
                       "Thank you,\n"));

    loans.SelectRow(3); // Zadig, lent today: its due date typed and Enter pressed
    loans.edtDue->setFocus();
    QTest::keyClicks(loans.edtDue, QStringLiteral("20/03/2004"));
    QTest::keyClick(loans.edtDue, Qt::Key_Return);
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"6 days overdue", "", "", "due in 15 days", ""}));
    loans.btnCopyReminder->click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(
        QStringLiteral("Could you please return it by Saturday, 20 March 2004?")))
        << QGuiApplication::clipboard()->text().toStdString();
    loans.edtDue->setText(QStringLiteral("someday"));
    loans.btnSetDue->click();
    EXPECT_EQ(Platform.Messages.Texts(),
              QStringList{QStringLiteral("\"someday\" is not a date. Type the due date as 05/03/2004 (a year up to "
                                         "9999), or clear the box to remove it.")});
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"6 days overdue", "", "", "due in 15 days", ""}));

    Stop();
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents(); // the notice comes once the windows are up
    EXPECT_EQ(frmMain->Ui.lblOverdue->text(), QStringLiteral("1 overdue"));
    QTest::keyClick(frmMain, Qt::Key_F6, Qt::ControlModifier);
    ASSERT_TRUE(frmLoans->isVisible());
    EXPECT_EQ(frmLoans->spnPeriod->value(), 14);
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"6 days overdue", "", "", "due in 15 days", ""}));

    // Another program puts right the name of Emma's loaner: the same loan,
    // the same day, keeps its due date.
    Stop();
    std::vector<TItem> edited = Books;
    edited[1].Fields[6] = "Anna";
    edited[1].Fields[7] = "14/02/2004";
    Folder.WriteFile("books.orbl", DatabaseFile(edited));
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    EXPECT_EQ(frmMain->Ui.lblOverdue->text(), QStringLiteral("1 overdue"));
    Open();
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"6 days overdue", "", "", "due in 15 days", ""}));
}

// A due date set in the window is a change of the book's details: listed in
// the history as "Due date", and Ctrl+Z gives both files back byte for byte.
TEST_F(LoansFormTest, ADueDateSetHereIsInTheHistoryAndUndoneWithCtrlZ)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    const std::string database = Folder.ReadFile("books.orbl");
    loans.SelectRow(3); // Zadig
    loans.edtDue->setText(QStringLiteral("20/03/2004"));
    loans.btnSetDue->click();
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"", "", "", "due in 15 days"}));
    EXPECT_NE(Folder.ReadFile("books.orbl.details").find("due\t2004-03-20"), std::string::npos);
    const std::vector<THistoryEntry> entries = THistory("books.orbl").ReadAll();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().Change.Kind, TBookChangeKind::DueSet);
    EXPECT_EQ(entries.back().Change.Books.at(0).After->Details.Value("due"), "2004-03-20");

    QAction* undo = frmMain->Ui.mnuDatabase_Undo; // Ctrl+Z, from any window of the program
    EXPECT_EQ(undo->text(), QStringLiteral("U&ndo Due date"));
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(undo->shortcutContext(), Qt::ApplicationShortcut);
    undo->trigger();
    EXPECT_EQ(Folder.ReadFile("books.orbl"), database);
    EXPECT_FALSE(Folder.Exists("books.orbl.details"));
    EXPECT_EQ(Column(TLoanListModel::Due), (QStringList{"", "", "", ""}));
}

// A long due text was cut mid-word by the column's fixed width: the column
// takes what its words need from the title column.
TEST_F(LoansFormTest, TheDueColumnIsAsWideAsItsWords)
{
    StartWith(Books);
    TfrmLoans& loans = Open();
    int total = 0;
    for (int column = 0; column < TLoanListModel::ColumnCount; ++column)
        total += loans.lstLoans->columnWidth(column);
    loans.SelectRow(2); // Zadig
    loans.edtDue->setText(QStringLiteral("31/12/2099"));
    loans.btnSetDue->click();
    const QString words = Column(TLoanListModel::Due)[2];
    ASSERT_EQ(words, QStringLiteral("due in 34999 days"));
    const QTableView& list = *loans.lstLoans;
    EXPECT_LT(list.sizeHintForIndex(list.model()->index(2, TLoanListModel::Due)).width(),
              list.columnWidth(TLoanListModel::Due));
    int after = 0;
    for (int column = 0; column < TLoanListModel::ColumnCount; ++column)
        after += list.columnWidth(column);
    EXPECT_EQ(after, total) << "the list keeps its width";
}

// The notice was cut off by the window's width ("1 book overdue (Ctrl+F6:
// Loa"), and the note of lost due dates after it never showed: the label
// says a few words that fit, its tool tip and description the whole, Tab
// reaches it, and the note is said once in a message.
TEST_F(LoansFormTest, TheOverdueNoticeFitsAndTheDueDatesNoteIsSaidOnce)
{
    Folder.WriteFile("books.orbl.due", "not a due dates file\r\n");
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Open().spnPeriod->setValue(14);
    Catalogue().Lend(2, "Ann", "14/02/2004");
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QStringList said = Platform.Messages.Texts();
    ASSERT_EQ(said.size(), 1) << said.join('|').toStdString();
    EXPECT_TRUE(said[0].contains(QStringLiteral("books.orbl.due"))) << said[0].toStdString();

    auto* notice = qobject_cast<TDataLabel*>(frmMain->Ui.lblOverdue);
    ASSERT_NE(notice, nullptr);
    frmMain->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), QStringLiteral("1 overdue, note"));
    EXPECT_EQ(notice->ShownText(), notice->text()) << "the words fit the status bar";
    auto* file = qobject_cast<TDataLabel*>(frmMain->Ui.StatusPanels[3]);
    EXPECT_EQ(file->ShownText(), file->text()) << "beside the database file's name";
    EXPECT_EQ(notice->toolTip(), QStringLiteral("1 book overdue: Ctrl+F6 opens the Loans window.\n") + said[0]);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(notice);
    EXPECT_EQ(face->text(QAccessible::Description), notice->toolTip().replace('\n', ' '));
    EXPECT_EQ(face->text(QAccessible::Value), notice->text());
    EXPECT_TRUE(notice->focusPolicy() & Qt::TabFocus);

    Catalogue().Return(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(Platform.Messages.Texts().size(), 1) << "said once";
    EXPECT_EQ(notice->text(), QStringLiteral("Due dates note"));
}

// A loan made before the history began, returned in this run with the due
// date it had, and a new one are read back from the history of changes
// beside the database file.
TEST_F(LoansFormTest, HistoryReadsPastLoansFromTheHistoryFile)
{
    Folder.WriteFile("books.orbl.due", "Volumnia due dates\r\n1\tAnn\t01/03/2004\t2004-03-15\r\n");
    StartWith(Books);
    Catalogue().Return(1);
    Catalogue().Lend(1, "Bob", "04/03/2004");
    ASSERT_TRUE(Folder.Exists("books.orbl.history"));
    TfrmLoans& loans = Open();
    loans.SelectRow(Column(TLoanListModel::Title).indexOf(QStringLiteral("Dune")));
    loans.btnHistory->click();
    const QString text = loans.memHistory->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Loans of \"Dune\":\n"
                                               "    Ann, lent 01/03/2004, returned 05/03/2004, due 15/03/2004\n"
                                               "    Bob, lent 04/03/2004, still out\n")))
        << text.toStdString();
}

// Without the history of changes, History knows the loans the books show now.
TEST_F(LoansFormTest, HistoryListsTheSelectedBooksLoansAndItsBorrowersBooks)
{
    std::vector<TItem> books = Books;
    books[1].Fields[6] = "Ann";
    books[1].Fields[7] = "02/03/2004";
    StartWith(books);
    TfrmLoans& loans = Open();
    loans.SelectRow(1); // Dune, Ann's
    loans.btnHistory->click();
    ASSERT_TRUE(loans.dlgHistory && loans.dlgHistory->isVisible());
    EXPECT_EQ(loans.memHistory->toPlainText(), QStringLiteral("Loans of \"Dune\":\n"
                                                              "    Ann, lent 01/03/2004, still out\n\n"
                                                              "Books lent to Ann:\n"
                                                              "    \"Dune\", lent 01/03/2004, still out\n"
                                                              "    \"Emma\", lent 02/03/2004, still out"));
}

// The due box shows and reads four-digit years in the locale's order, so a
// 1900 due date keeps its century over Enter (1/2/00 read back as 2000); a
// year past 9999 is refused, not written where it cannot be read back; the
// period's box refuses 100000 whole instead of keeping its first digits.
TEST_F(LoansFormTest, DueBoxKeepsTheCenturyRefusesYearsPast9999AndThePeriodBoxRefusesWhatItCannotHold)
{
    StartWith(Books);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // M/d/yy
    TfrmLoans& loans = Open();
    loans.SelectRow(0);
    const auto type = [](QWidget* box, const QString& text) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    };
    type(loans.edtDue, QStringLiteral("1/2/1900"));
    EXPECT_EQ(loans.edtDue->text(), QStringLiteral("1/2/1900"));
    QTest::keyClick(loans.edtDue, Qt::Key_Return);
    EXPECT_EQ(loans.edtDue->text(), QStringLiteral("1/2/1900"));
    const std::string due = Folder.ReadFile("books.orbl.details");
    EXPECT_NE(due.find("due\t1900-01-02\r\n"), std::string::npos) << due;

    type(loans.edtDue, QStringLiteral("1/2/10000"));
    EXPECT_EQ(Folder.ReadFile("books.orbl.details"), due);
    EXPECT_EQ(Platform.Messages.Texts().size(), 1);

    type(loans.spnPeriod, QStringLiteral("14"));
    type(loans.spnPeriod, QStringLiteral("100000"));
    EXPECT_EQ(loans.spnPeriod->value(), 14);
    std::string period;
    ASSERT_TRUE(SettingOnDisk("LN_PERIOD", period));
    EXPECT_EQ(period, "14");
    EXPECT_EQ(Platform.Messages.Texts().value(1),
              QStringLiteral("A loan period of 100000 days is longer than the longest, 3650 days; the period stays "
                             "as it was."));
}
