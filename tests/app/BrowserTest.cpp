// The book browser: sorting by its column titles and at start, the remembered
// sort and position, closing and showing, and clicks that show a book.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "engine/ORBL.h"
#include "tests/support/AppFixture.h"
#include "widgets/BookGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Walden", "Thoreau", "Ticknor"),
    Book(2, "Emma", "austen", "Murray"),
    Book(3, "Dracula", "Stoker", "Constable"),
    Book(4, "Beowulf", "Anonymous", "Zephyr"),
};

class BrowserTest : public TAppFixture {
protected:
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    std::vector<int32_t> Ids()
    {
        return std::vector<int32_t>(frmMain->RowIds.begin(), frmMain->RowIds.begin() + Grid().RowCount());
    }
};

TEST_F(BrowserTest, RememberedSortMethodSortsAtFirstActivation)
{
    struct Case {
        std::string Method;
        std::vector<int32_t> Order;
    };
    const std::vector<Case> cases = {
        {"ByName", {4, 3, 2, 1}}, {"ByAuthor", {4, 2, 3, 1}}, {"ByPublisher", {3, 2, 1, 4}},
        {"byname", {3, 2, 1, 4}}, // any other text sorts by publisher
        {"", {3, 2, 1, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Method);
        Overrides["SortMethod"] = c.Method;
        WriteFiles(Books);
        ASSERT_TRUE(Start());
        EXPECT_EQ(Ids(), c.Order);
        EXPECT_EQ(frmMain->Ui.edtBookname->text().toStdString(), Books[size_t(c.Order[0] - 1)].Fields[0]);
        Stop();
    }
}

TEST_F(BrowserTest, MissingSortMethodKeepsStoredOrder)
{
    Removed = {"SortMethod"};
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Supplied value name not found."});
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST_F(BrowserTest, TitleClickSortsWritesMethodAndPersistsAcrossRestart)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    QTest::mouseClick(frmBookBrowser->Bookname, Qt::LeftButton);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 3, 2, 1}));
    std::string method;
    ASSERT_TRUE(SettingOnDisk("SortMethod", method));
    EXPECT_EQ(method, "ByName");
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books)) << "a sort reaches the file only with the next save";
    Stop();
    EXPECT_EQ(DatabaseText(), DatabaseFile({Books[3], Books[2], Books[1], Books[0]}));

    ASSERT_TRUE(Start());
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 3, 2, 1}));
    frmBookBrowser->AuthorClick();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 2, 3, 1}));
    frmBookBrowser->PublisherClick();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1, 4}));
    ASSERT_TRUE(SettingOnDisk("SortMethod", method));
    EXPECT_EQ(method, "ByPublisher");
}

TEST_F(BrowserTest, RowClickShowsThatBookInTheMainWindow)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Grid().SelectRow(2); // as a click on the third row does
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Walden");
    EXPECT_EQ(frmMain->Ui.edtCurrentItem->text(), "3");
    const QRect cell = Grid().visualRect(Grid().model()->index(1, 2));
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Emma");
}

TEST_F(BrowserTest, ClickOnTheSelectedRowShowsItsBookAgain)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmMain->tbtnEditBookClick();
    frmMain->Ui.edtBookname->setText("typed over");
    const QRect cell = Grid().visualRect(Grid().model()->index(Grid().SelectedRow(), 2));
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
}

TEST_F(BrowserTest, TitleSortsOnlyOnAReleaseOverIt)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    QLabel* title = frmBookBrowser->Bookname;
    QTest::mousePress(title, Qt::LeftButton);
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(-30, title->height() / 2)); // moved off first
    QTest::mouseRelease(title, Qt::LeftButton);                                       // no press began on it
    EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1, 4}));
    std::string method;
    ASSERT_TRUE(SettingOnDisk("SortMethod", method));
    EXPECT_EQ(method, "ByPublisher");
}

TEST_F(BrowserTest, CloseWritesPositionAndNavigationStillWorks)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmBookBrowser->move(77, 88);
    frmBookBrowser->close();
    EXPECT_TRUE(frmBookBrowser->isHidden());
    EXPECT_FALSE(frmMain->BrowserShown);
    EXPECT_FALSE(frmMain->Ui.tbtnListView->isChecked());
    std::string value;
    ASSERT_TRUE(SettingOnDisk("LV_X", value));
    EXPECT_EQ(value, "77");
    ASSERT_TRUE(SettingOnDisk("LV_Y", value));
    EXPECT_EQ(value, "88");
    frmMain->btnNextClick();
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
}

TEST_F(BrowserTest, MouseOverTheMarginWritesThePosition)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmBookBrowser->move(55, 66);
    QTest::mouseMove(frmBookBrowser, QPoint(3, 3));
    std::string value;
    ASSERT_TRUE(SettingOnDisk("LV_X", value));
    EXPECT_EQ(value, "55");
}

TEST_F(BrowserTest, EndOfRunDoesNotWriteTheBrowserPosition)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmBookBrowser->move(5, 6);
    Stop();
    std::string value;
    ASSERT_TRUE(SettingOnDisk("LV_X", value));
    EXPECT_EQ(value, "100");
}

TEST_F(BrowserTest, WindowShapeAndColumns)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    EXPECT_EQ(frmBookBrowser->windowTitle(), "Book browser");
    EXPECT_EQ(frmBookBrowser->size(), QSize(561, 433));
    EXPECT_EQ(Grid().columnWidth(0), 10);
    EXPECT_EQ(Grid().columnWidth(1), 166);
    EXPECT_EQ(Grid().columnWidth(2), 236);
    EXPECT_EQ(Grid().columnWidth(3), 78);
    EXPECT_EQ(Grid().rowHeight(0), 15);
    EXPECT_FALSE(frmBookBrowser->isHidden());
    EXPECT_TRUE(frmMain->Ui.tbtnListView->isChecked());
}

} // namespace
