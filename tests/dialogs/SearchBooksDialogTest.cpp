// The search dialog, opened from the main window's search command; the results
// are read from the browser's list, RowIds and the main window.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/SearchBooksDialog.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <iterator>

namespace {

TItem WithMisc(TItem item, const std::string& misc1, const std::string& misc2 = "")
{
    item.Fields[4] = misc1;
    item.Fields[5] = misc2;
    return item;
}

// In title order, so the browser's sort at start keeps the slots; the IDs are
// not in row order, so a row number taken for an ID shows.
const std::vector<TItem> Books = {
    WithMisc(Book(17, "Dune", "Frank Herbert", "Chilton", "1965"), "signed"),
    WithMisc(Book(4, "Emma", "Jane Austen", "Murray", "1815"), "", "signed"),
    Book(29, "Herbert's Room", "Anon", "Acme"),
    Book(8, "Kim", "Rudyard Kipling", "Macmillan", "1901", "Ann", "5.3.2004"),
    Book(12, "Ubik", "Philip K. Dick", "DAW Books", "1969"),
    Book(40, "Vingt mille lieues", "Jules Verne", "Hetzel", "1870"),
    Book(2, "Walden", "Henry D. Thoreau", "Ticknor", "1854"),
};

enum TField { Title, Author, Publisher, Misc };

// The next widget Tab reaches: labels, rules and group boxes take no focus.
const QWidget* NextTabStop(const QWidget* widget)
{
    const QWidget* next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

class SearchBooksTest : public TAppFixture {
protected:
    void StartWith(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
    }
    // Opens the dialog from the main window and runs action inside it.
    void Open(std::function<void(TdlgSearchBooks&)> action)
    {
        Platform.Modal.Actions.push_back([action](QDialog& dialog) { action(static_cast<TdlgSearchBooks&>(dialog)); });
        frmMain->tbtnSearchClick();
    }
    // Types text, chooses the field, presses "&Search"; says whether the dialog closed.
    bool Search(TField field, const QString& text)
    {
        bool closed = false;
        Open([&](TdlgSearchBooks& dialog) {
            QRadioButton* radios[] = {dialog.rbtBookname, dialog.rbtAuthor, dialog.rbtPublisher, dialog.rbtMisc};
            radios[field]->click();
            QTest::keyClicks(dialog.edtSearchstring, text);
            dialog.btnSearch->click();
            closed = !dialog.isVisible();
        });
        return closed;
    }
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    std::vector<int32_t> ListedIds()
    {
        return std::vector<int32_t>(Rows().RowIds().begin(), Rows().RowIds().begin() + Grid().RowCount());
    }
};

TEST_F(SearchBooksTest, FindsTheTextAnywhereInTheChosenFieldIgnoringCase)
{
    struct TCase {
        TField Field;
        const char* Text;
        std::vector<int32_t> Ids; // in store order
    };
    const TCase cases[] = {
        {Author, "ER", {17, 40}}, // Herbert and Verne, not the title holding Herbert
        {Title, "herbert", {29}}, // the field chosen decides
        {Publisher, "acme", {29}},
        {Publisher, "m", {4, 29, 8}},    // Murray, Acme, Macmillan
        {Misc, "SIGN", {17}},            // the first line only
        {Title, "walden", {2}},          // the last book
        {Author, "Frank Herbert", {17}}, // the whole field
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        Stop();
        StartWith(Books);
        EXPECT_TRUE(Search(c.Field, QString::fromLatin1(c.Text)));
        EXPECT_EQ(Platform.Messages.Texts(), QStringList{"Found books."});
        EXPECT_EQ(ListedIds(), c.Ids);
    }
}

TEST_F(SearchBooksTest, ResultsReplaceTheListRowsAndShowTheFirstBookFound)
{
    StartWith(Books);
    frmBookBrowser->BookList->SelectRow(6);
    ASSERT_TRUE(Search(Author, "a")); // all authors but Dick and Verne

    const std::vector<const TItem*> found = {&Books[0], &Books[1], &Books[2], &Books[3], &Books[6]};
    ASSERT_EQ(Grid().RowCount(), 5);
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        const TItem& book = *found[static_cast<size_t>(r)];
        EXPECT_EQ(Rows().IdAt(r), book.ID);
        EXPECT_EQ(Grid().Cell(r, 0), book.Fields[7].empty() ? QString() : QString(QChar(0x2022)));
        EXPECT_EQ(Grid().Cell(r, 1), QString::fromStdString(book.Fields[1]));
        EXPECT_EQ(Grid().Cell(r, 2), QString::fromStdString(book.Fields[0]));
        EXPECT_EQ(Grid().Cell(r, 3), QString::fromStdString(book.Fields[2]));
    }
    EXPECT_EQ(Grid().SelectedRow(), 0);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dune");
    EXPECT_EQ(frmMain->Ui.edtCurrentItem->text(), "1");
    EXPECT_EQ(frmMain->Ui.lblItems->text(), " / 7");
    EXPECT_TRUE(dlgSearchBooks->edtSearchstring->text().isEmpty());

    // The rows go on naming the right books: the fourth is the lent Kim.
    frmMain->btnLastClick();
    frmMain->btnPreviousClick();
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Kim");
    EXPECT_FALSE(frmMain->Ui.grpLoaninfo->isHidden());

    // Refresh brings the whole store back.
    frmMain->tbtnRefreshClick();
    EXPECT_EQ(Grid().RowCount(), 7);
}

TEST_F(SearchBooksTest, NothingFoundKeepsListMainWindowAndDialog)
{
    for (const char* text : {"Herberts", "", "zz"}) {
        SCOPED_TRACE(text);
        Stop();
        StartWith(Books);
        frmMain->btnNextClick();
        const auto idsBefore = Rows().RowIds();
        const QString shown = frmMain->Ui.edtBookname->text();
        Open([&](TdlgSearchBooks& dialog) {
            dialog.rbtAuthor->click();
            dialog.edtSearchstring->setText(QString::fromLatin1(text));
            dialog.btnSearch->click();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.edtSearchstring->text(), QString::fromLatin1(text));
            EXPECT_TRUE(dialog.rbtAuthor->isChecked());
        });
        // An empty text never reaches the engine, whose refusal would show as an error.
        EXPECT_EQ(Platform.Messages.Texts(), QStringList{"No books found."});
        EXPECT_EQ(Platform.Messages.Boxes.front().Kind, TRecordedBox::Information);
        EXPECT_EQ(Grid().RowCount(), 7);
        EXPECT_EQ(Grid().SelectedRow(), 1);
        EXPECT_EQ(Rows().RowIds(), idsBefore);
        EXPECT_EQ(frmMain->Ui.edtBookname->text(), shown);
    }
}

TEST_F(SearchBooksTest, AnUnknownAliasIsReportedAndChangesNothing)
{
    Overrides["orbl_alias2"] = "Publisher name";
    StartWith(Books);
    EXPECT_FALSE(Search(Publisher, "Acme"));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#101: Supplied field was invalid or alias bad."});
    EXPECT_EQ(Grid().RowCount(), 7);
}

TEST_F(SearchBooksTest, EveryOpeningStartsWithAnEmptyBoxAndBookTitle)
{
    StartWith(Books);
    for (int opening = 0; opening < 3; ++opening) {
        SCOPED_TRACE(opening);
        Open([](TdlgSearchBooks& dialog) {
            EXPECT_TRUE(dialog.edtSearchstring->text().isEmpty());
            EXPECT_TRUE(dialog.rbtBookname->isChecked());
            EXPECT_EQ(dialog.SelectedAlias(), "Book title");
            EXPECT_EQ(dialog.focusWidget(), dialog.edtSearchstring);
            dialog.rbtMisc->click();
            EXPECT_EQ(dialog.SelectedAlias(), "Other information (1)");
            dialog.edtSearchstring->setText(QStringLiteral("zz"));
            dialog.btnCancel->click();
        });
    }
}

TEST_F(SearchBooksTest, EnterSearchesAndEscapeDoesNothing)
{
    StartWith(Books);
    Open([](TdlgSearchBooks& dialog) {
        dialog.edtSearchstring->setText(QStringLiteral("dune"));
        QTest::keyClick(dialog.edtSearchstring, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(dialog.edtSearchstring, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(ListedIds(), std::vector<int32_t>{17});
}

TEST_F(SearchBooksTest, WindowCaptionsAndTabOrder)
{
    StartWith(Books);
    TdlgSearchBooks& dialog = *dlgSearchBooks;
    EXPECT_EQ(dialog.windowTitle(), "Search");
    EXPECT_EQ(dialog.size(), QSize(409, 153));
    EXPECT_EQ(dialog.grpSearchinfo->title(), "Search terms");
    EXPECT_TRUE(dialog.grpSearchinfo->font().bold());
    EXPECT_FALSE(dialog.edtSearchstring->font().bold());
    EXPECT_EQ(dialog.lblSearchstringCaption->text(), "Keywords");
    const std::pair<QRadioButton*, const char*> radios[] = {{dialog.rbtBookname, "Book title"},
                                                            {dialog.rbtAuthor, "Book author"},
                                                            {dialog.rbtPublisher, "Publisher"},
                                                            {dialog.rbtMisc, "Other information"}};
    for (const auto& [radio, caption] : radios)
        EXPECT_EQ(radio->text(), caption);
    EXPECT_EQ(dialog.btnSearch->text(), "&Search");
    EXPECT_EQ(dialog.btnCancel->text(), "&Cancel");
    EXPECT_TRUE(dialog.btnSearch->isDefault());
    const QWidget* order[] = {dialog.edtSearchstring, dialog.rbtBookname, dialog.rbtAuthor, dialog.rbtPublisher,
                              dialog.rbtMisc,         dialog.btnSearch,   dialog.btnCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(NextTabStop(order[i]), order[i + 1]) << i;
}

} // namespace
