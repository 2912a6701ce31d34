// The browser's find line and its list keys: the words narrow the rows the
// main window steps through and stand over a change; Escape, a refresh or a
// search end them. Home, End, typed letters, Enter and the rows' menu, whose
// commands are the main window's own. The new keys of the main window.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/BookGrid.h"
#include "widgets/DataLabel.h"
#include "widgets/RunState.h"
#include "widgets/SortTitle.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Jane Eyre", "Charlotte Bront\xEB", "Smith"),
    Book(2, "Middlemarch", "George Eliot", "Blackwood"),
    Book(3, "Wuthering Heights", "Emily Bronte", "Newby", "1847", "Tom Baker", "1.2.2024"),
    Book(4, "Moby-Dick", "Herman Melville", "Harper"),
    Book(5, "Mansfield Park", "Jane Austen", "Egerton"),
};

class FindAndListKeysTest : public TAppFixture {
protected:
    void SetUp() override
    {
        Overrides["SortMethod"] = "ByName";
        WriteFiles(Books);
        ASSERT_TRUE(Start());
    }
    TfrmBookBrowser& Browser() { return *frmBookBrowser; }
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    QString Shown() const { return frmMain->Ui.edtBookname->text(); }
};

TEST_F(FindAndListKeysTest, FindNarrowsTheRowsStandsOverAChangeAndEscapeBringsAllBack)
{
    frmMain->tbtnListViewClick(); // hidden: Ctrl+F shows it again
    ASSERT_FALSE(Run().BrowserShown());
    frmMain->Ui.mnuView_FindBooks->trigger();
    EXPECT_TRUE(Run().BrowserShown());
    ASSERT_TRUE(Browser().edtFind->isVisible());
    QTest::keyClicks(Browser().edtFind, "bronte");
    EXPECT_EQ(Rows().Count(), 2);
    EXPECT_EQ(Browser().lblFindCount->text(), "2 of 5 books");
    EXPECT_EQ(Shown(), "Jane Eyre");
    frmMain->btnNextClick(); // the main window steps through the narrowed rows
    EXPECT_EQ(Shown(), "Wuthering Heights");
    frmMain->btnNextClick();
    EXPECT_EQ(Shown(), "Wuthering Heights");
    Catalogue().Return(3);
    EXPECT_EQ(Rows().Count(), 2) << "the words stand over a change";
    Platform.Modal.Actions.push_back([](QDialog& dialog) { dialog.reject(); });
    frmMain->tbtnLoanBookClick(); // lists the books anew, cancelled or not
    EXPECT_EQ(Rows().Count(), 2);
    QTest::keyClick(Browser().edtFind, Qt::Key_Escape);
    EXPECT_FALSE(Browser().edtFind->isVisible());
    EXPECT_EQ(Rows().Count(), 5);
    EXPECT_EQ(Grid().RowCount(), 5);

    frmMain->Ui.mnuView_FindBooks->trigger();
    frmMain->tbtnEditBookClick(); // typing over the shown book: the rows must stay
    frmMain->Ui.edtBookname->setText("typed over");
    QTest::keyClicks(Browser().edtFind, "m");
    EXPECT_EQ(Shown(), "typed over");
    EXPECT_TRUE(Browser().edtFind->text().isEmpty());
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    frmMain->btnCancelClick();
    QTest::keyClicks(Browser().edtFind, "zzz");
    EXPECT_EQ(Browser().lblFindCount->text(), "0 of 5 books");
    // No book listed: the commands on the shown book say so and do nothing.
    Platform.Messages.Boxes.clear();
    for (void (TfrmMain::*command)() : {&TfrmMain::tbtnEditBookClick, &TfrmMain::tbtnRemoveBookClick,
                                        &TfrmMain::tbtnLoanBookClick, &TfrmMain::tbtnReturnBookClick})
        (frmMain->*command)();
    EXPECT_EQ(Platform.Messages.Texts().size(), 4);
    EXPECT_TRUE(Platform.Messages.Texts().at(0).startsWith("No book is listed"));
    EXPECT_FALSE(frmMain->Ui.btnSave->isVisible());
    EXPECT_EQ(Catalogue().Database().Count(), 5);
    frmMain->tbtnRefreshClick();
    EXPECT_EQ(Rows().Count(), 5);
    EXPECT_FALSE(Browser().edtFind->isVisible()) << "a refresh ends the find";
    EXPECT_TRUE(Browser().edtFind->text().isEmpty());
}

TEST_F(FindAndListKeysTest, TheListMovesLikeAList)
{
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_End);
    EXPECT_EQ(Shown(), "Wuthering Heights");
    QTest::keyClick(&Grid(), Qt::Key_Home);
    EXPECT_EQ(Shown(), "Jane Eyre");
    QTest::keyClicks(&Grid(), "mo");
    EXPECT_EQ(Shown(), "Moby-Dick");
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(&Grid(), "m");
    EXPECT_EQ(Shown(), "Mansfield Park") << "a new run goes on to the next and wraps past the end";
    QTest::keyClick(&Grid(), Qt::Key_PageDown);
    EXPECT_EQ(Shown(), "Wuthering Heights");

    QSignalSpy wanted(&Browser(), &TfrmBookBrowser::MainWindowWanted);
    QTest::keyClick(&Grid(), Qt::Key_Up);
    QTest::keyClick(&Grid(), Qt::Key_Return);
    EXPECT_EQ(wanted.count(), 1);
    EXPECT_EQ(Rows().CurrentId(), 4);
    const QRect cell = Grid().visualRect(Grid().model()->index(0, 2));
    QTest::mouseDClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(wanted.count(), 2);
    EXPECT_EQ(Shown(), "Jane Eyre");
}

TEST_F(FindAndListKeysTest, TheRowsMenuOffersTheMainWindowsCommandsForThatBook)
{
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_End); // Wuthering Heights, lent
    QTest::keyClick(&Grid(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(Browser().RowMenu->isVisible());
    const QList<QAction*> offered = Browser().RowMenu->actions();
    for (QAction* command : {frmMain->Ui.mnuDatabase_Edit, frmMain->Ui.mnuDatabase_Loan, frmMain->Ui.mnuDatabase_Return,
                             frmMain->Ui.mnuDatabase_Remove})
        EXPECT_TRUE(offered.contains(command)) << command->text().toStdString();
    EXPECT_TRUE(frmMain->Ui.mnuDatabase_Return->isEnabled());
    EXPECT_FALSE(frmMain->Ui.mnuDatabase_Loan->isEnabled());
    Browser().RowMenu->hide();

    // A right click selects its row first: the command acts on that book.
    const QRect cell = Grid().visualRect(Grid().model()->index(1, 2));
    QContextMenuEvent click(QContextMenuEvent::Mouse, cell.center(), Grid().viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(Grid().viewport(), &click);
    EXPECT_EQ(Shown(), "Mansfield Park");
    Browser().RowMenu->hide();
    QTest::keyClick(&Grid(), Qt::Key_End);
    Platform.Messages.Answers.push_back(true);
    frmMain->Ui.mnuDatabase_Return->trigger();
    EXPECT_EQ(DatabaseText().find("1.2.2024"), std::string::npos) << "Wuthering Heights returned";
}

// F8 once left the focus on a sort title, where Down walked the titles;
// after Ctrl+F, Down in the find line moved nothing.
TEST_F(FindAndListKeysTest, F8AndCtrlFLeaveTheFocusWhereTheArrowsMoveInTheList)
{
    frmMain->activateWindow();
    frmMain->Ui.mnuView_GoToBookBrowser->trigger();
    EXPECT_EQ(Browser().focusWidget(), &Grid());
    Browser().Author->setFocus(); // a title clicked earlier
    frmMain->Ui.mnuView_GoToBookBrowser->trigger();
    EXPECT_EQ(Browser().focusWidget(), &Grid());

    frmMain->Ui.mnuView_FindBooks->trigger();
    QTest::keyClicks(Browser().edtFind, "e");
    ASSERT_EQ(Shown(), "Jane Eyre");
    QTest::keyClick(Browser().edtFind, Qt::Key_Down);
    EXPECT_EQ(Shown(), "Mansfield Park");
    EXPECT_EQ(Browser().focusWidget(), &Grid());
    QTest::keyClick(&Grid(), Qt::Key_Down);
    EXPECT_EQ(Shown(), "Middlemarch");
}

// Zero matches left a blank row whose menu offered Edit, Loan and Remove on
// no book ("#105: Item does not exist"); letters typed in the list did not
// ignore accents as find does; "Show in main window" from the menu was
// asked for while the menu still took the focus back.
TEST_F(FindAndListKeysTest, BlankRowTypeAheadAndShowInMainWindow)
{
    frmMain->Ui.mnuView_FindBooks->trigger();
    Browser().edtFind->setText(QString::fromUtf16(u"\u0416\u0443\u043A")); // no book can hold it
    ASSERT_EQ(Rows().Count(), 0);
    frmMain->tbtnEditBookClick(); // no book listed to edit: said, and no edit begins
    EXPECT_TRUE(Platform.Messages.Texts().value(0).startsWith("No book is listed"));
    EXPECT_FALSE(frmMain->Ui.btnSave->isVisible());
    Platform.Messages.Clear();
    EXPECT_FALSE(Grid().selectionModel()->hasSelection());
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_Menu);
    EXPECT_FALSE(Browser().RowMenu->isVisible());
    ASSERT_TRUE(Browser().BlankRowMenu->isVisible());
    for (QAction* offered : Browser().BlankRowMenu->actions())
        EXPECT_FALSE(offered->isEnabled()) << offered->text().toStdString();
    Browser().BlankRowMenu->hide();
    QTest::keyClick(Browser().edtFind, Qt::Key_Escape);

    Grid().setFocus();
    Browser().AuthorClick();
    QTest::keyClick(&Grid(), Qt::Key_End);
    ASSERT_EQ(Shown(), "Mansfield Park");
    QTest::keyClicks(&Grid(), "charlotte bronte");
    EXPECT_EQ(Shown(), "Jane Eyre") << "sought in the sorted column, the authors";
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(&Grid(), "\u00C9MILY");
    EXPECT_EQ(Shown(), "Wuthering Heights");

    QSignalSpy wanted(&Browser(), &TfrmBookBrowser::MainWindowWanted);
    QTest::keyClick(&Grid(), Qt::Key_Menu);
    ASSERT_TRUE(Browser().RowMenu->isVisible());
    QTest::keyClick(Browser().RowMenu, Qt::Key_Down);
    ASSERT_EQ(Browser().RowMenu->activeAction(), Browser().actShowBook);
    QTest::keyClick(Browser().RowMenu, Qt::Key_Return);
    EXPECT_FALSE(Browser().RowMenu->isVisible());
    EXPECT_EQ(wanted.count(), 0) << "not while the menu closes";
    QCoreApplication::processEvents();
    EXPECT_EQ(wanted.count(), 1);
}

TEST_F(FindAndListKeysTest, CtrlQEndsTheRunAndF8BringsTheBrowserBack)
{
    frmMain->tbtnListViewClick();
    frmMain->Ui.mnuView_GoToBookBrowser->trigger();
    EXPECT_TRUE(Run().BrowserShown());
    EXPECT_TRUE(Browser().isVisible());
    EXPECT_EQ(Browser().focusWidget(), &Grid());
    EXPECT_TRUE(frmMain->Ui.mnuFile_Exit->shortcut().isEmpty());
    EXPECT_EQ(frmMain->Ui.actExitKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    frmMain->Ui.actExitKey->trigger();
    EXPECT_TRUE(Run().Ending);
}

} // namespace
