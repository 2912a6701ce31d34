// Adding, editing, removing, lending and returning books from the main window,
// checked in memory, on screen and in the database file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "tests/support/FailingWriteStep.h"
#include "widgets/BookGrid.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const std::vector<TItem> FourBooks = {
    Book(10, "Walden", "Thoreau", "Ticknor", "1854"),
    Book(20, "Emma", "Austen", "Murray", "1815"),
    Book(30, "Dracula", "Stoker", "Constable", "1897", "Ann", "5.3.2004"),
    Book(40, "Beowulf", "Anonymous", "Zephyr"),
};

class EditingCommandsTest : public TAppFixture {
protected:
    void SetUp() override
    {
        Overrides["SortMethod"] = "Unsorted"; // by publisher, which is the stored order here
        Overrides["CurrentIndex"] = "41";
    }
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    void Type(QLineEdit* box, const QString& text) { box->setText(text); }
    std::vector<TItem> OnDisk()
    {
        TRFileSystem settings("volumnia.kelt");
        TDatabase database(settings);
        std::vector<TItem> items;
        for (int32_t i = 0; i < database.Count(); ++i) {
            TItem item;
            database.GetItem(-1, i, item);
            items.push_back(item);
        }
        return items;
    }
};

std::vector<TItem> ByPublisher(std::vector<TItem> books)
{
    std::sort(books.begin(), books.end(), [](const TItem& a, const TItem& b) { return a.Fields[2] < b.Fields[2]; });
    return books;
}

TEST_F(EditingCommandsTest, AddGivesTheNextIdAndAppendsTheBook)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    frmMain->tbtnAddBookClick();
    EXPECT_EQ(frmMain->Ui.grpBookData->title(), "Add book");
    EXPECT_TRUE(frmMain->AddMode);
    EXPECT_TRUE(frmMain->Ui.edtBookname->text().isEmpty());
    EXPECT_FALSE(frmMain->Ui.btnSave->isHidden());
    Type(frmMain->Ui.edtBookname, "Kalevala");
    Type(frmMain->Ui.edtAuthor, QString::fromUtf8("Elias Lönnrot"));
    Type(frmMain->Ui.edtPublisher, "SKS");
    QTest::keyClick(frmMain->Ui.edtAuthor, Qt::Key_Return); // Save is the default button
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("|").toStdString();
    EXPECT_EQ(Catalogue().CurrentIndex(), 42);
    const std::vector<TItem> disk = OnDisk();
    ASSERT_EQ(disk.size(), 5u);
    EXPECT_EQ(disk.back().ID, 42);
    EXPECT_EQ(disk.back().Fields[1], "Elias L\xF6nnrot");
    EXPECT_EQ(Grid().RowCount(), 5);
    EXPECT_EQ(Rows().IdAt(4), 42);
    EXPECT_EQ(frmMain->Ui.grpBookData->title(), "Book data");
    EXPECT_TRUE(frmMain->Ui.btnSave->isHidden());
    EXPECT_EQ(Grid().SelectedRow(), 0);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
    Stop();
    std::string index;
    ASSERT_TRUE(SettingOnDisk("CurrentIndex", index));
    EXPECT_EQ(index, "42");
}

TEST_F(EditingCommandsTest, EnterOnCancelCancelsTheEdit)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    const std::string before = DatabaseText();
    frmMain->tbtnEditBookClick();
    Type(frmMain->Ui.edtBookname, "Changed");
    frmMain->Ui.btnCancel->setFocus();
    QTest::keyClick(frmMain->Ui.btnCancel, Qt::Key_Return); // Save stays the default elsewhere
    EXPECT_EQ(DatabaseText(), before);
    EXPECT_TRUE(frmMain->Ui.btnSave->isHidden());
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
}

TEST_F(EditingCommandsTest, AddThenCancelStoresNothing)
{
    WriteFiles(ByPublisher(FourBooks));
    const std::string before = DatabaseText();
    ASSERT_TRUE(Start());
    frmMain->btnNextClick();
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, "Never stored");
    frmMain->btnCancelClick();
    EXPECT_EQ(Catalogue().CurrentIndex(), 41);
    EXPECT_EQ(DatabaseText(), before);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula") << "Cancel shows the first book";
}

// A title or author with letters the database file cannot hold is saved in
// its closest form there, and as typed in the book's details; retyped in
// letters the file holds as another text, the own letters go.
TEST_F(EditingCommandsTest, LettersTheFileCannotHoldAreKeptInTheDetails)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, QStringLiteral("Jinsei ga tokimeku"));
    Type(frmMain->Ui.edtAuthor, QString::fromUtf8("Marie Kond\u014D"));
    frmMain->btnSaveClick();
    const TDatabase& database = Catalogue().Database();
    const TItem& added = database.ItemAt(database.SlotOf(42));
    EXPECT_EQ(added.Fields[1], "Marie Kondo");
    EXPECT_EQ(added.Details.Value("author_own"), "Marie Kond\u014D");
    EXPECT_FALSE(added.Details.Has("title_own"));

    Rows().Select(Rows().RowOf(42));
    frmMain->tbtnEditBookClick();
    Type(frmMain->Ui.edtBookname, QString::fromUtf8("\u0416\u0438\u0437\u043D\u044C"));
    frmMain->btnSaveClick();
    const TItem& edited = database.ItemAt(database.SlotOf(42));
    EXPECT_EQ(edited.Fields[0], "Zhizn\x92");
    EXPECT_EQ(edited.Details.Value("title_own"), "\u0416\u0438\u0437\u043D\u044C");
    EXPECT_EQ(edited.Details.Value("author_own"), "Marie Kond\u014D");

    Rows().Select(Rows().RowOf(42));
    frmMain->tbtnEditBookClick();
    Type(frmMain->Ui.edtAuthor, QStringLiteral("M. Kondo"));
    frmMain->btnSaveClick();
    EXPECT_EQ(database.ItemAt(database.SlotOf(42)).Details.Has("author_own"), false);
    EXPECT_EQ(database.ItemAt(database.SlotOf(42)).Details.Has("title_own"), true);
}

TEST_F(EditingCommandsTest, EditKeepsIdSlotAndLoanAndClearsTheHiddenFields)
{
    std::vector<TItem> books = ByPublisher(FourBooks);
    books[2].Fields[8] = "hidden 8";
    books[2].Fields[9] = "hidden 9";
    books[2].Fields[6] = "Bob";
    books[2].Fields[7] = "1.1.2001";
    WriteFiles(books);
    ASSERT_TRUE(Start());
    frmMain->btnNextClick();
    frmMain->btnNextClick();
    ASSERT_EQ(frmMain->Ui.edtBookname->text(), "Walden");
    frmMain->tbtnEditBookClick();
    EXPECT_EQ(frmMain->Ui.grpBookData->title(), "Edit book");
    Type(frmMain->Ui.edtPublishyear, "1855");
    frmMain->btnSaveClick();
    const std::vector<TItem> disk = OnDisk();
    ASSERT_EQ(disk.size(), 4u);
    EXPECT_EQ(disk[2].ID, 10);
    EXPECT_EQ(disk[2].Fields[3], "1855");
    EXPECT_EQ(disk[2].Fields[6], "Bob");
    EXPECT_EQ(disk[2].Fields[7], "1.1.2001");
    EXPECT_EQ(disk[2].Fields[8], "");
    EXPECT_EQ(disk[2].Fields[9], "");
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
    EXPECT_EQ(Catalogue().CurrentIndex(), 41);
}

TEST_F(EditingCommandsTest, ClickInTheBrowserWhileEditingStoresUnderThatRowsId)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    frmMain->tbtnEditBookClick();
    Grid().SelectRow(3);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Beowulf");
    Type(frmMain->Ui.edtMisc1, "Old English");
    frmMain->btnSaveClick();
    const std::vector<TItem> disk = OnDisk();
    EXPECT_EQ(disk[3].ID, 40);
    EXPECT_EQ(disk[3].Fields[4], "Old English");
    EXPECT_EQ(disk[0].Fields[4], "");
}

TEST_F(EditingCommandsTest, RemoveAsksAndOnlyYesRemoves)
{
    WriteFiles(ByPublisher(FourBooks));
    const std::string before = DatabaseText();
    ASSERT_TRUE(Start());
    frmMain->btnNextClick();
    Platform.Messages.Answers = {false};
    frmMain->tbtnRemoveBookClick();
    EXPECT_EQ(Platform.Messages.Boxes.back().Kind, TRecordedBox::Question);
    EXPECT_EQ(Platform.Messages.Boxes.back().Text, "Sure to remove this book?");
    EXPECT_EQ(DatabaseText(), before);
    EXPECT_EQ(Grid().SelectedRow(), 1);

    Platform.Messages.Answers = {true};
    frmMain->tbtnRemoveBookClick();
    const std::vector<TItem> disk = OnDisk();
    ASSERT_EQ(disk.size(), 3u);
    EXPECT_EQ(disk[0].ID, 30);
    EXPECT_EQ(disk[1].ID, 10);
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(frmMain->Ui.lblItems->text(), " / 3");
}

TEST_F(EditingCommandsTest, FirstBookIntoAnEmptyCatalogueAndRemovingTheLastOneShowNoError)
{
    WriteFiles({});
    ASSERT_TRUE(Start());
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, "The only book");
    frmMain->btnSaveClick();
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("|").toStdString();
    EXPECT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Grid().Cell(0, 2), "The only book");
    EXPECT_EQ(Rows().IdAt(0), 42);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "The only book");

    Platform.Messages.Answers = {true};
    frmMain->tbtnRemoveBookClick();
    EXPECT_EQ(Platform.Messages.Errors(), QStringList());
    EXPECT_EQ(DatabaseText(), "");
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "") << "the removed book does not stay on screen";
    EXPECT_EQ(frmMain->Ui.lblItems->text(), " / 0");
}

TEST_F(EditingCommandsTest, EditOnAnEmptyCatalogueStaysInEditMode)
{
    WriteFiles({});
    ASSERT_TRUE(Start());
    frmMain->tbtnEditBookClick();
    Type(frmMain->Ui.edtBookname, "typed");
    QTest::mouseClick(frmMain->Ui.btnSave, Qt::LeftButton);
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Item does not exist in this database."});
    EXPECT_FALSE(frmMain->Ui.btnSave->isHidden());
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "typed");
}

// After a crash the stored counter may lag behind the books in the file: the
// next number passes over those held (20 here), and the counter is in the
// settings file before the book is in the database file.
TEST_F(EditingCommandsTest, AddPassesOverNumbersHeldAndStoresTheCounterFirst)
{
    Overrides["CurrentIndex"] = "19";
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, "New");
    QTest::mouseClick(frmMain->Ui.btnSave, Qt::LeftButton);
    EXPECT_TRUE(Platform.Messages.Errors().isEmpty()) << Platform.Messages.Errors().join("|").toStdString();
    EXPECT_EQ(Catalogue().CurrentIndex(), 21);
    EXPECT_EQ(OnDisk().back().ID, 21);
    std::string index;
    ASSERT_TRUE(SettingOnDisk("CurrentIndex", index));
    EXPECT_EQ(index, "21") << "the counter waits for the end of the run";
    // Past 30 the same way.
    Catalogue().SetCurrentIndex(29);
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, "Newer");
    QTest::mouseClick(frmMain->Ui.btnSave, Qt::LeftButton);
    EXPECT_EQ(OnDisk().back().ID, 31);
}

TEST_F(EditingCommandsTest, FailedSaveAfterAddStoresTheBookOnceWhenSavedAgain)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    frmMain->tbtnAddBookClick();
    Type(frmMain->Ui.edtBookname, "Saved once");
    // Lasting: the run's backup copy fails first, and that alone stops no save.
    {
        TFailingWriteStep writeFault(10, false);
        QTest::mouseClick(frmMain->Ui.btnSave, Qt::LeftButton);
    }
    ASSERT_EQ(Platform.Messages.Errors(), QStringList{"Disk full."});
    EXPECT_EQ(OnDisk().size(), 4u) << "the old file survives whole";
    EXPECT_FALSE(frmMain->Ui.btnSave->isHidden());
    QTest::mouseClick(frmMain->Ui.btnSave, Qt::LeftButton);
    const std::vector<TItem> disk = OnDisk();
    ASSERT_EQ(disk.size(), 5u);
    EXPECT_EQ(std::count_if(disk.begin(), disk.end(), [](const TItem& i) { return i.Fields[0] == "Saved once"; }), 1);
    EXPECT_EQ(Grid().RowCount(), 5);
}

TEST_F(EditingCommandsTest, ReturnEmptiesTheDateAndKeepsTheLoaner)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    ASSERT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
    ASSERT_EQ(Grid().Cell(0, 0), QString(QChar(0x2022)));
    Platform.Messages.Answers = {false};
    frmMain->tbtnReturnBookClick();
    EXPECT_EQ(OnDisk()[0].Fields[7], "5.3.2004");
    Platform.Messages.Answers = {true};
    frmMain->tbtnReturnBookClick();
    EXPECT_EQ(Platform.Messages.Boxes.back().Text, "Sure to return this book?");
    const std::vector<TItem> disk = OnDisk();
    EXPECT_EQ(disk[0].Fields[7], "");
    EXPECT_EQ(disk[0].Fields[6], "Ann");
    EXPECT_EQ(Grid().Cell(0, 0), "");
    EXPECT_TRUE(frmMain->Ui.tbtnLoanBook->isEnabled());
}

TEST_F(EditingCommandsTest, LoanAndReturnMenuItemsFollowTheToolbarAndRunTheCommands)
{
    WriteFiles(ByPublisher(FourBooks));
    ASSERT_TRUE(Start());
    QAction* loan = frmMain->Ui.mnuDatabase_Loan;
    QAction* giveBack = frmMain->Ui.mnuDatabase_Return;
    const auto enabled = [&] { return std::make_pair(loan->isEnabled(), giveBack->isEnabled()); };
    ASSERT_EQ(frmMain->Ui.edtBookname->text(), "Dracula"); // on loan
    EXPECT_EQ(enabled(), std::make_pair(false, true));
    frmMain->btnNextClick();
    EXPECT_EQ(enabled(), std::make_pair(true, false));
    frmMain->tbtnEditBookClick(); // the toolbar is off while editing
    EXPECT_EQ(enabled(), std::make_pair(false, false));
    frmMain->btnCancelClick(); // back on the first book, on loan
    EXPECT_EQ(enabled(), std::make_pair(false, true));

    Platform.Messages.Answers = {true};
    giveBack->trigger();
    EXPECT_EQ(Platform.Messages.Boxes.back().Text, "Sure to return this book?");
    EXPECT_EQ(OnDisk()[0].Fields[7], "");
    EXPECT_EQ(enabled(), std::make_pair(true, false));
}

} // namespace
