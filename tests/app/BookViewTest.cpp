// The book view and its navigation: LoadList, LoadBook, the loan state, the
// navigation buttons, the current-item box, and the empty catalogue.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "engine/ORBL.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace {

std::vector<TItem> Books(int count)
{
    std::vector<TItem> books;
    for (int i = 1; i <= count; ++i) {
        char title[24]; // room for "Title " and any int
        std::snprintf(title, sizeof title, "Title %02d", i);
        books.push_back(Book(100 + i, title, "Author " + std::to_string(i), "Publisher " + std::to_string(i)));
    }
    return books;
}

class BookViewTest : public TAppFixture {
protected:
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    QString Shown() { return frmMain->Ui.edtBookname->text(); }
};

TEST_F(BookViewTest, ListFollowsStoreOrderWithBulletsAndIds)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles({Book(5, "B", "Bee", "P1", "", "Ann", "2004-03-05"), Book(2, "A", "Ay", "P2", "", "Bob", ""),
                Book(8, "C", "See", "P3")});
    ASSERT_TRUE(Start());
    ASSERT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(Rows().IdAt(0), 5);
    EXPECT_EQ(Rows().IdAt(1), 2);
    EXPECT_EQ(Rows().IdAt(2), 8);
    EXPECT_EQ(Grid().Cell(0, 0), QString(QChar(0x2022)));
    EXPECT_EQ(Grid().Cell(0, 1), "Bee");
    EXPECT_EQ(Grid().Cell(0, 2), "B");
    EXPECT_EQ(Grid().Cell(0, 3), "P1");
    EXPECT_EQ(Grid().Cell(1, 0), "") << "a loaner without a date is not a loan";
    EXPECT_EQ(Grid().SelectedRow(), 0);
    EXPECT_EQ(frmMain->Ui.lblItems->text(), " / 3");
    EXPECT_EQ(frmMain->Ui.edtCurrentItem->text(), "1");
}

TEST_F(BookViewTest, LoanStateShowsInGroupAndToolbar)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles({Book(1, "On loan", "X", "P1", "1999", "Ann", "5.3.2004"), Book(2, "Named only", "Y", "P2", "", "Bob")});
    ASSERT_TRUE(Start());
    frmMain->LoadBook(0);
    EXPECT_FALSE(frmMain->Ui.grpLoaninfo->isHidden());
    EXPECT_EQ(frmMain->Ui.lblLoaner->text(), "Ann");
    EXPECT_EQ(frmMain->Ui.lblLoanDate->text(), "5.3.2004");
    EXPECT_FALSE(frmMain->Ui.tbtnLoanBook->isEnabled());
    EXPECT_TRUE(frmMain->Ui.tbtnReturnBook->isEnabled());
    EXPECT_EQ(frmMain->Ui.edtPublishyear->text(), "1999");

    // A screen reader gets each data label's name and what it shows; the
    // overdue notice was read by its name alone.
    frmMain->ShowOverdue(2);
    const auto& panels = frmMain->Ui.StatusPanels;
    const std::vector<std::pair<QLabel*, QString>> labels = {
        {frmMain->Ui.lblItems, "Number of books"},
        {frmMain->Ui.lblLoaner, "Loaner"},
        {frmMain->Ui.lblLoanDate, "Date loaned"},
        {panels[0], "Date"},
        {panels[1], "Time"},
        {panels[2], "Database engine"},
        {panels[3], "Database file"},
        {frmMain->Ui.lblOverdue, "Overdue loans"},
    };
    for (const auto& [label, name] : labels) {
        SCOPED_TRACE(name.toStdString());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->text(QAccessible::Name), name);
        EXPECT_EQ(face->text(QAccessible::Value), label->text());
        QAccessibleTextInterface* text = face->textInterface();
        ASSERT_NE(text, nullptr);
        EXPECT_FALSE(label->text().isEmpty());
        EXPECT_EQ(text->text(0, text->characterCount()), label->text());
    }

    frmMain->btnNextClick();
    EXPECT_EQ(Shown(), "Named only");
    EXPECT_TRUE(frmMain->Ui.grpLoaninfo->isHidden());
    EXPECT_TRUE(frmMain->Ui.tbtnLoanBook->isEnabled());
    EXPECT_FALSE(frmMain->Ui.tbtnReturnBook->isEnabled());
}

TEST_F(BookViewTest, NavigationButtonsStopAtTheEnds)
{
    WriteFiles(Books(5));
    ASSERT_TRUE(Start());
    frmMain->btnPreviousClick();
    EXPECT_EQ(Grid().SelectedRow(), 0);
    frmMain->btnNextClick();
    frmMain->btnNextClick();
    EXPECT_EQ(Grid().SelectedRow(), 2);
    EXPECT_EQ(Shown(), "Title 03");
    EXPECT_EQ(frmMain->Ui.edtCurrentItem->text(), "3");
    frmMain->btnLastClick();
    EXPECT_EQ(Shown(), "Title 05");
    frmMain->Ui.edtBookname->setText("changed on screen");
    frmMain->btnNextClick();
    EXPECT_EQ(Shown(), "changed on screen") << "on the last row Next does nothing, not even a reload";
    frmMain->btnFirstClick();
    EXPECT_EQ(Shown(), "Title 01");
    frmMain->btnPreviousClick();
    EXPECT_EQ(Grid().SelectedRow(), 0);
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

// The current-item box and the shown rows follow each other: each step
// shows its book once and makes its row current once.
TEST_F(BookViewTest, EachStepLoadsTheBookOnce)
{
    WriteFiles(Books(6));
    ASSERT_TRUE(Start());
    struct Case {
        const char* Step;
        std::function<void()> Do;
        int Row;
    };
    const std::vector<Case> cases = {
        {">", [] { frmMain->btnNextClick(); }, 1},
        {">|", [] { frmMain->btnLastClick(); }, 5},
        {"<", [] { frmMain->btnPreviousClick(); }, 4},
        {"|<", [] { frmMain->btnFirstClick(); }, 0},
        {"number typed", [] { frmMain->Ui.edtCurrentItem->setText("4"); }, 3},
        {"Cancel shows the first book", [] { frmMain->btnCancelClick(); }, 0},
        {"Down in the browser", [this] { QTest::keyClick(&Grid(), Qt::Key_Down); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Step);
        QSignalSpy current(&Rows(), &TShownRows::CurrentChanged);
        const int loadsBefore = frmMain->BooksLoaded();
        c.Do();
        EXPECT_EQ(frmMain->BooksLoaded() - loadsBefore, 1);
        ASSERT_EQ(current.count(), 1);
        EXPECT_EQ(current[0][0].toInt(), c.Row);
        EXPECT_EQ(Shown(), QString::asprintf("Title %02d", c.Row + 1));
        EXPECT_EQ(Grid().SelectedRow(), c.Row);
    }
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(BookViewTest, TypingANumberShowsThatBookDigitByDigit)
{
    WriteFiles(Books(14));
    ASSERT_TRUE(Start());
    frmMain->btnLastClick();
    QLineEdit* box = frmMain->Ui.edtCurrentItem;
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_1);
    EXPECT_EQ(Shown(), "Title 01");
    QTest::keyClick(box, Qt::Key_2);
    EXPECT_EQ(Shown(), "Title 12");
    EXPECT_EQ(Grid().SelectedRow(), 11);
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(BookViewTest, CurrentItemBoxIgnoresOutOfRangeAndReportsNonNumbers)
{
    WriteFiles(Books(3));
    ASSERT_TRUE(Start());
    frmMain->btnNextClick();
    struct Case {
        QString Text;
        QString Error;
    };
    const std::vector<Case> cases = {{"0", ""},
                                     {"-1", ""},
                                     {"4", ""},
                                     {"abc", "'abc' is not a valid integer value."},
                                     {"", "'' is not a valid integer value."},
                                     {" 3x", "' 3x' is not a valid integer value."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        Platform.Messages.Clear();
        frmMain->Ui.edtCurrentItem->setText(c.Text);
        EXPECT_EQ(Shown(), "Title 02") << "the shown book stays";
        EXPECT_EQ(Grid().SelectedRow(), 1);
        EXPECT_EQ(Platform.Messages.Errors(), c.Error.isEmpty() ? QStringList() : QStringList{c.Error});
    }
    frmMain->Ui.edtCurrentItem->setText("$3");
    EXPECT_EQ(Shown(), "Title 03") << "hexadecimal numbers convert like ID lines";
}

TEST_F(BookViewTest, NumberBeyondASearchResultReportsGridIndex)
{
    WriteFiles(Books(4));
    ASSERT_TRUE(Start());
    ShowFound({Books(4)[0], Books(4)[1]}); // a search result of two books
    frmMain->Ui.edtCurrentItem->setText("4");
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"Grid index out of range."});
    EXPECT_EQ(Shown(), "Title 01");
}

TEST_F(BookViewTest, EditModeDisablesNavigationAndToolbarButNotTheMenu)
{
    WriteFiles(Books(2));
    ASSERT_TRUE(Start());
    frmMain->SetStatus(false, true);
    EXPECT_FALSE(frmMain->Ui.ToolBar->isEnabled());
    EXPECT_FALSE(frmMain->Ui.btnFirst->isEnabled());
    EXPECT_FALSE(frmMain->Ui.edtCurrentItem->isEnabled());
    EXPECT_FALSE(frmMain->Ui.edtBookname->isReadOnly());
    EXPECT_FALSE(frmMain->Ui.btnSave->isHidden());
    EXPECT_TRUE(frmMain->Ui.mnuDatabase_Remove->isEnabled());
    frmMain->SetStatus(true, false);
    EXPECT_TRUE(frmMain->Ui.ToolBar->isEnabled());
    EXPECT_TRUE(frmMain->Ui.edtMisc2->isReadOnly());
    EXPECT_TRUE(frmMain->Ui.btnCancel->isHidden());
}

TEST_F(BookViewTest, EmptyCatalogueShowsAnEmptyBookWithoutAnError)
{
    WriteFiles({});
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("|").toStdString();
    EXPECT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Rows().IdAt(0), 0);
    EXPECT_EQ(Grid().Cell(0, 2), "");
    EXPECT_EQ(frmMain->Ui.lblItems->text(), " / 0");
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(frmMain->Ui.lblLoaner->text().isEmpty());
    EXPECT_TRUE(frmMain->Ui.grpLoaninfo->isHidden());
}

TEST_F(BookViewTest, AnIdThatIsNotHeldStillReportsItsError)
{
    WriteFiles(Books(2));
    ASSERT_TRUE(Start());
    ShowFound({Books(2)[0], Book(4711, "Not held", "", "")});
    EXPECT_THROW(
        {
            try {
                frmMain->LoadBook(1);
            } catch (const EORBLError& error) {
                EXPECT_STREQ(error.what(), "#108: Item does not exist in this database .");
                throw;
            }
        },
        EORBLError);
    EXPECT_EQ(Shown(), "Title 01") << "the boxes keep what they showed";
}

TEST_F(BookViewTest, FileStartingWithAnEmptyLineShowsAnEmptyBook)
{
    WriteFiles({});
    Folder.WriteFile("books.orbl", "\r\n");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
    EXPECT_EQ(Shown(), "");
}

TEST_F(BookViewTest, TimePanelShowsHoursMinutesAndSecondsInEveryLocale)
{
    WriteFiles(Books(1));
    ASSERT_TRUE(Start());
    const QTime time(15, 4, 5);
    Platform.Clock.Time = QDateTime(QDate(2026, 12, 7), time);
    const QString zone = Platform.Clock.Time.timeZoneAbbreviation();
    const QLocale kept;
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        QLocale::setDefault(locale);
        frmMain->ClockTimer();
        const QString shown = frmMain->Ui.StatusPanels[1]->text();
        SCOPED_TRACE((locale.name() + ": " + shown).toStdString());
        EXPECT_TRUE(shown.contains(locale.toString(time, QStringLiteral("m"))));
        EXPECT_TRUE(shown.contains(locale.toString(time, QStringLiteral("s"))));
        for (const QString& leftover : {QStringLiteral("("), QStringLiteral(")"), QStringLiteral("["), zone})
            EXPECT_FALSE(shown.contains(leftover));
        EXPECT_EQ(shown, shown.trimmed());
        EXPECT_FALSE(shown.contains(QStringLiteral("  ")));
    }
    QLocale::setDefault(kept);
}

TEST_F(BookViewTest, ClockRenewsDateAndTime)
{
    WriteFiles(Books(1));
    ASSERT_TRUE(Start());
    Platform.Clock.Time = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58));
    frmMain->ClockTimer();
    EXPECT_EQ(frmMain->Ui.StatusPanels[0]->text(), "31/12/2026");
    EXPECT_EQ(frmMain->Ui.StatusPanels[1]->text(), "23:59:58");
}

} // namespace
