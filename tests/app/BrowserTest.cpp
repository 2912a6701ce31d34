// The book browser: sorting by its column titles and at start, the remembered
// sort and position, closing and showing, and clicks that show a book.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "engine/Covers.h"
#include "engine/ORBL.h"
#include "platform/gui/DesktopWindow.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"
#include "widgets/CoverImage.h"
#include "widgets/SortTitle.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMenu>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <functional>

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
        return std::vector<int32_t>(Rows().RowIds().begin(), Rows().RowIds().begin() + Grid().RowCount());
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
    QPushButton* title = frmBookBrowser->Bookname;
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
    EXPECT_FALSE(Run().BrowserShown());
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

TEST_F(BrowserTest, EndOfRunKeepsAPlaceMovedToSinceTheLastWrite)
{
    struct TCase {
        const char* Name;
        std::function<void()> During;
        std::string X, Y; // on disk after the run
    };
    const std::vector<TCase> cases = {
        {"not moved", [] {}, "100", "100"},
        {"moved, then the run ends", [] { frmBookBrowser->move(5, 6); }, "5", "6"},
        {"moved while hidden",
         [] {
             frmBookBrowser->close();
             frmBookBrowser->move(7, 8);
         },
         "7", "8"},
        {"moved and closed, not moved again: the close's write stands",
         [this] {
             frmBookBrowser->move(40, 50);
             frmBookBrowser->close();
             Catalogue().Settings().WriteInteger("LV_X", 1); // no second write would put 40 back
         },
         "1", "50"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFiles(Books);
        ASSERT_TRUE(Start());
        c.During();
        Stop();
        std::string x, y;
        ASSERT_TRUE(SettingOnDisk("LV_X", x));
        ASSERT_TRUE(SettingOnDisk("LV_Y", y));
        EXPECT_EQ(x + "/" + y, c.X + "/" + c.Y);
    }
}

TEST_F(BrowserTest, StoredPlaceOffEveryScreenIsShownOnScreenButStaysStored)
{
    Overrides["LV_X"] = "-3000";
    Overrides["LV_Y"] = "-200";
    Overrides["MF_X"] = "5000";
    Overrides["MF_Y"] = "40";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    const QRect area = frmBookBrowser->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(frmBookBrowser->frameGeometry())) << "browser off screen";
    EXPECT_TRUE(area.contains(frmMain->frameGeometry())) << "main window off screen";
    EXPECT_EQ(frmMain->y(), 40) << "moved the least: only across";
    QTest::mouseMove(frmBookBrowser, QPoint(3, 3)); // the margin writes where the browser "is"
    frmBookBrowser->close();
    Stop();
    std::string value;
    std::vector<std::string> values;
    for (const char* key : {"LV_X", "LV_Y", "MF_X", "MF_Y"}) {
        ASSERT_TRUE(SettingOnDisk(key, value));
        values.push_back(value);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"-3000", "-200", "5000", "40"}));
}

TEST_F(BrowserTest, UnknownPositionsAreNeverStoredButRestoreWindowsIs)
{
    const auto positions = [this] {
        std::string value, all;
        for (const char* key : {"LV_X", "LV_Y", "MF_X", "MF_Y"}) {
            EXPECT_TRUE(SettingOnDisk(key, value)) << key;
            all += value + "/";
        }
        return all;
    };
    Overrides = {{"LV_X", "11"}, {"LV_Y", "12"}, {"MF_X", "13"}, {"MF_Y", "14"}};
    WriteFiles(Books);
    struct TUnknownPositions { // as on Wayland, for this test only
        TUnknownPositions() { DesktopWindow::OverridePositionsKnown(false); }
        ~TUnknownPositions() { DesktopWindow::OverridePositionsKnown(std::nullopt); }
    } unknown;
    ASSERT_TRUE(Start());
    frmBookBrowser->move(5, 6);
    frmMain->move(7, 8);
    QTest::mouseMove(frmBookBrowser, QPoint(3, 3));
    frmBookBrowser->close();
    frmMain->tbtnListViewClick();
    Stop();
    EXPECT_EQ(positions(), "11/12/13/14/");

    ASSERT_TRUE(Start());
    frmMain->Ui.mnuView_RestoreWindows->trigger();
    frmBookBrowser->move(9, 9);
    frmMain->move(9, 9);
    Stop();
    EXPECT_EQ(positions(), "100/100/300/300/");
}

TEST_F(BrowserTest, KeyboardReachesTheTitlesAndSortsWithSpaceOrEnter)
{
    Overrides["SortMethod"] = "ByPublisher";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    // Tab goes title to title to the grid, and the grid gives Tab back.
    const auto nextTabStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(frmBookBrowser));
        return widget;
    };
    std::vector<QWidget*> chain{frmBookBrowser->Author};
    for (int i = 0; i < 4; ++i)
        chain.push_back(nextTabStop(chain.back()));
    EXPECT_EQ(chain, (std::vector<QWidget*>{frmBookBrowser->Author, frmBookBrowser->Bookname, frmBookBrowser->Publisher,
                                            &Grid(), frmBookBrowser->Author}));
    EXPECT_FALSE(Grid().tabKeyNavigation());
    struct TCase {
        QPushButton* Title;
        Qt::Key Key;
        std::string Method;
        std::vector<int32_t> Order;
    };
    for (const TCase& c : std::vector<TCase>{{frmBookBrowser->Bookname, Qt::Key_Space, "ByName", {4, 3, 2, 1}},
                                             {frmBookBrowser->Author, Qt::Key_Return, "ByAuthor", {4, 2, 3, 1}},
                                             {frmBookBrowser->Publisher, Qt::Key_Enter, "ByPublisher", {3, 2, 1, 4}}}) {
        SCOPED_TRACE(c.Method);
        EXPECT_NE(c.Title->focusPolicy() & Qt::TabFocus, 0);
        QTest::keyClick(c.Title, c.Key);
        EXPECT_EQ(Ids(), c.Order);
        std::string method;
        ASSERT_TRUE(SettingOnDisk("SortMethod", method));
        EXPECT_EQ(method, c.Method);
    }
    QTest::keyClick(frmBookBrowser->Bookname, Qt::Key_A);
    QTest::keyClick(frmBookBrowser->Bookname, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1, 4})) << "other keys do not sort";
}

TEST_F(BrowserTest, ScreenReaderHearsAWindowAndColumnsByTheirTitles)
{
    WriteFiles(
        {Book(1, "Walden", "Thoreau", "Ticknor", "", "A Friend", "1.2.2020"), Book(2, "Emma", "Austen", "Murray")});
    ASSERT_TRUE(Start());
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(frmBookBrowser);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Book browser");

    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&Grid());
    ASSERT_NE(grid, nullptr);
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    QStringList columns;
    for (int column = 0; column < table->columnCount(); ++column)
        columns << table->columnDescription(column);
    EXPECT_EQ(columns, (QStringList{"On loan", "Book author", "Book title", "Publisher"}));
    const int loaned = Rows().IdAt(0) == 1 ? 0 : 1;
    EXPECT_EQ(table->cellAt(loaned, 0)->text(QAccessible::Name), "On loan");
    EXPECT_EQ(table->cellAt(1 - loaned, 0)->text(QAccessible::Name), "");
    EXPECT_EQ(table->cellAt(loaned, 2)->text(QAccessible::Name), "Walden");
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

// The Part's columns stay; a detail is shown from the titles' menu (asked
// for by keyboard), sorts the rows listed without touching the file or
// SortMethod, and is shown again after a restart. A settings file without
// LV_COLUMNS, as an older installation's, shows none.
TEST_F(BrowserTest, ASeriesColumnChosenFromTheTitlesMenuSortsItsNumbersAndIsKept)
{
    Overrides["SortMethod"] = "ByName";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Grid().model()->columnCount(), 4);
    for (const auto& [id, number] : std::vector<std::pair<int32_t, const char*>>{{1, "10"}, {2, "2"}, {3, "1"}}) {
        TDetails details;
        details.Set("series", "Discworld");
        details.Set("series_number", number);
        Catalogue().SetDetails(id, details);
    }
    const std::string fileBefore = DatabaseText();
    frmBookBrowser->Bookname->setFocus();
    QTest::keyClick(frmBookBrowser->Bookname, Qt::Key_F10, Qt::ShiftModifier);
    QMenu& menu = *frmBookBrowser->ColumnMenu;
    ASSERT_TRUE(menu.isVisible());
    QAction* series = menu.findChild<QAction*>(QStringLiteral("actColumn_series"));
    ASSERT_NE(series, nullptr);
    for (QAction* offered : menu.actions())
        EXPECT_TRUE(offered->text() != "Book title" || !offered->isEnabled()) << "the three columns stay";
    series->trigger();
    menu.hide();
    ASSERT_EQ(Grid().model()->columnCount(), 5);
    EXPECT_EQ(Grid().model()->headerData(4, Qt::Horizontal).toString(), "Series");
    EXPECT_EQ(Grid().columnWidth(1), 166);
    ASSERT_EQ(frmBookBrowser->DetailTitles.size(), 1u);
    TSortTitle& title = *frmBookBrowser->DetailTitles[0];
    EXPECT_TRUE(title.isVisible()) << "scrolled into view";

    QTest::mouseClick(&title, Qt::LeftButton);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 2, 1, 4}));
    EXPECT_EQ(Grid().Cell(0, 4), "Discworld");
    EXPECT_EQ(DatabaseText(), fileBefore);
    EXPECT_TRUE(title.Sorted());
    EXPECT_FALSE(frmBookBrowser->Bookname->Sorted());
    std::string stored;
    ASSERT_TRUE(SettingOnDisk("SortMethod", stored));
    EXPECT_EQ(stored, "ByName");
    ASSERT_TRUE(SettingOnDisk("LV_COLUMNS", stored));
    EXPECT_EQ(stored, "series");
    // The find line finds the details: an ISBN typed with hyphens, a title in
    // letters the database cannot hold.
    TDetails details = Catalogue().Database().ItemAt(Catalogue().Database().SlotOf(1)).Details;
    details.Set("isbn", "9780552131070");
    details.Set("title_own", "\xD0\x92\xD0\xB0\xD0\xBB\xD0\xB4\xD0\xB5\xD0\xBD");
    Catalogue().SetDetails(1, details);
    frmBookBrowser->FindClick();
    for (const QString& typed : {QStringLiteral("978-0-552"), QString::fromUtf16(u"\u0432\u0430\u043B\u0434")}) {
        frmBookBrowser->edtFind->setText(typed);
        EXPECT_EQ(Ids(), (std::vector<int32_t>{1})) << typed.toStdString();
    }
    frmBookBrowser->EndFind();
    frmBookBrowser->AuthorClick();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 2, 3, 1})) << "a title of the three sorts the catalogue again";
    EXPECT_FALSE(title.Sorted());
    Stop();

    ASSERT_TRUE(Start());
    ASSERT_EQ(Grid().model()->columnCount(), 5);
    EXPECT_EQ(Grid().model()->headerData(4, Qt::Horizontal).toString(), "Series");
    frmBookBrowser->ColumnClick("series", false);
    EXPECT_EQ(Grid().model()->columnCount(), 4);
    EXPECT_TRUE(frmBookBrowser->DetailTitles.empty());
    Stop();
    EXPECT_EQ(DatabaseText(), DatabaseFile({Books[3], Books[1], Books[2], Books[0]})) << "in author order only";

    WriteFiles(Books); // the settings as installed: no LV_COLUMNS
    ASSERT_TRUE(Start());
    EXPECT_EQ(Grid().model()->columnCount(), 4);
    EXPECT_TRUE(Platform.Messages.Errors().isEmpty());
}

// The covers' column shows each book's cover as a small picture in taller
// rows, and its title lists the books with a cover first.
TEST_F(BrowserTest, TheCoversColumnShowsSmallPicturesAndOrdersBooksWithOneFirst)
{
    Overrides["SortMethod"] = "ByName";
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    QImage picture(300, 450, QImage::Format_RGB32);
    picture.fill(Qt::darkMagenta);
    TDetails details;
    details.Set("cover", Covers::Store("books.orbl", 2, CoverImage::Jpeg(picture)));
    Catalogue().SetDetails(2, details);
    frmBookBrowser->ColumnClick("cover", true);
    ASSERT_EQ(Grid().model()->columnCount(), 5);
    EXPECT_GT(Grid().rowHeight(0), 40);
    const auto pictureAt = [this](int row) {
        return Grid().model()->index(row, 4).data(Qt::DecorationRole).value<QPixmap>();
    };
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 3, 2, 1}));
    EXPECT_TRUE(pictureAt(0).isNull());
    pictureAt(2); // as a paint asks: read in the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(pictureAt(2).height(), 46);
    EXPECT_EQ(Grid().Cell(2, 4), QString::fromStdString(details.Value("cover")));
    EXPECT_TRUE(Grid().model()->index(2, 4).data(Qt::DisplayRole).toString().isEmpty()) << "no file name shown";
    frmBookBrowser->DetailTitleClick("cover");
    EXPECT_EQ(Ids().front(), 2);
    frmBookBrowser->ColumnClick("cover", false);
    EXPECT_EQ(Grid().rowHeight(0), 15);
}

} // namespace
