// Edit several, driven from the main window's menu as the user reaches it; the
// results are read back from the database file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/EditSeveralDialog.h"
#include "engine/ORBL.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

class EditSeveralTest : public TAppFixture {
protected:
    // Opens the dialog from the menu and runs action inside it.
    void Open(std::function<void(TdlgEditSeveral&)> action)
    {
        Platform.Modal.Actions.push_back([action](QDialog& dialog) { action(static_cast<TdlgEditSeveral&>(dialog)); });
        frmMain->mnuDatabase_EditSeveralClick();
    }
    // Fills the dialog, presses "&Edit" and says whether the dialog closed.
    bool Edit(const QString& field, const QString& oldValue, const QString& newValue)
    {
        bool closed = false;
        Open([&](TdlgEditSeveral& dialog) {
            dialog.cmbTargetField->setEditText(field);
            dialog.edtOldValue->setText(oldValue);
            dialog.edtNewValue->setText(newValue);
            dialog.btnEdit->click();
            closed = !dialog.isVisible();
        });
        return closed;
    }
};

const std::vector<TItem> Books = {
    Book(1, "Dune", "Herbert", "Acme", "1965"),
    Book(2, "Emma", "Austen", "acme", ""),
    Book(3, "Kim", "Kipling", "Acme Press", ""),
    Book(4, "Ubik", "Dick", "Acme", "1969", "Anna", "1.2.2004"),
};

struct TReplaceCase {
    const char* Name;
    const char* Field;
    const char* Old;
    const char* New;
    int Index;
    std::vector<std::string> Expected; // field Index of books 1 to 4 afterwards
};

} // namespace

TEST_F(EditSeveralTest, ReplacesOnlyExactWholeValuesAndSavesAtOnce)
{
    const std::vector<TReplaceCase> cases = {
        {"case and prefix differ",
         "Publisher",
         "Acme",
         "Acme Press",
         2,
         {"Acme Press", "acme", "Acme Press", "Acme Press"}},
        {"empty old value fills empty fields", "Year published", "", "n.d.", 3, {"1965", "n.d.", "n.d.", "1969"}},
        {"loan fields are fields too", "Loaner", "Anna", "Bert", 6, {"", "", "", "Bert"}},
        {"empty new value clears", "Book author", "Kipling", "", 1, {"Herbert", "Austen", "", "Dick"}},
    };
    for (const TReplaceCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Stop();
        WriteFiles(Books);
        ASSERT_TRUE(Start());
        Platform.Messages.Clear();
        EXPECT_TRUE(Edit(QString::fromLatin1(c.Field), QString::fromLatin1(c.Old), QString::fromLatin1(c.New)));
        std::vector<TItem> expected = Books;
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i].Fields[static_cast<size_t>(c.Index)] = c.Expected[i];
        EXPECT_EQ(DatabaseText(), DatabaseFile(expected));
        EXPECT_TRUE(Platform.Messages.Boxes.empty());
    }
}

TEST_F(EditSeveralTest, ValueNoBookHasStillSavesTheStoreSilently)
{
    // LF-only line ends: only a save turns them into CR LF.
    std::string lfOnly = DatabaseFile(Books);
    lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
    WriteFiles({});
    Folder.WriteFile("books.orbl", lfOnly);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Edit("Publisher", "Nobody", "Somebody"));
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books));
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(EditSeveralTest, UnknownFieldNameIsReportedAndChangesNothing)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    const std::string before = DatabaseText();
    EXPECT_FALSE(Edit("publisher", "Acme", "Acme Press")); // aliases are case-sensitive
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#101: Supplied field was invalid or alias bad."});
    EXPECT_EQ(DatabaseText(), before);
}

TEST_F(EditSeveralTest, RefillsTheWholeListAfterASearchNarrowedIt)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    TBookGrid& grid = *frmBookBrowser->BookList;
    ShowFound({Books[3]}); // a search result with one book
    ASSERT_TRUE(Edit("Book title", "Dune", "Dune Messiah"));
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.SelectedRow(), 0);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(Rows().IdAt(r), Books[static_cast<size_t>(r)].ID);
    EXPECT_EQ(grid.Cell(0, 2), "Dune Messiah");
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dune Messiah");
}

TEST_F(EditSeveralTest, EachOpeningEmptiesTheBoxesButKeepsTheField)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Open([](TdlgEditSeveral& dialog) {
        EXPECT_EQ(dialog.cmbTargetField->currentText(), "Book title");
        dialog.edtOldValue->setText("x");
        dialog.edtNewValue->setText("y");
        dialog.cmbTargetField->setCurrentIndex(6);
        dialog.btnCancel->click();
    });
    Open([](TdlgEditSeveral& dialog) {
        EXPECT_TRUE(dialog.edtOldValue->text().isEmpty());
        EXPECT_TRUE(dialog.edtNewValue->text().isEmpty());
        EXPECT_EQ(dialog.focusWidget(), dialog.edtOldValue);
        EXPECT_EQ(dialog.cmbTargetField->currentText(), "Loaner");
    });
    EXPECT_EQ(Platform.Modal.Opened, QStringList({"Edit several", "Edit several"}));
}

TEST_F(EditSeveralTest, NeitherEnterNorEscPressesAButton)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    const std::string before = DatabaseText();
    Open([](TdlgEditSeveral& dialog) {
        dialog.cmbTargetField->setEditText("Publisher");
        dialog.edtOldValue->setText("Acme");
        dialog.edtNewValue->setText("Acme Press");
        QTest::keyClick(dialog.edtNewValue, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_EQ(DatabaseText(), before);
}

TEST_F(EditSeveralTest, PastedLineBreakKeepsTheFileOneTextALine)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Open([](TdlgEditSeveral& dialog) {
        dialog.cmbTargetField->setEditText("Publisher");
        dialog.edtOldValue->setText("Acme");
        dialog.edtNewValue->insert("Acme\r\nPress\n"); // a single-line box still takes a pasted line break
        dialog.btnEdit->click();
    });
    const std::string text = DatabaseText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 44);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 44);
    EXPECT_EQ(Catalogue().Database().Count(), 4);
    EXPECT_EQ(frmBookBrowser->BookList->Cell(3, 1), "Dick");
}

TEST(EditSeveralDialog, OffersTheEightFieldNamesInFieldOrder)
{
    TCatalogue closed; // the dialog reaches its catalogue only when a button is pressed
    TdlgEditSeveral dialog(closed);
    const QStringList expected = {
        "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
        "Loaner",     "Date loaned"};
    QStringList offered;
    for (int i = 0; i < dialog.cmbTargetField->count(); ++i)
        offered << dialog.cmbTargetField->itemText(i);
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(dialog.size(), QSize(257, 193));
    EXPECT_FALSE(dialog.btnEdit->isDefault() || dialog.btnEdit->autoDefault());
    EXPECT_FALSE(dialog.btnCancel->isDefault() || dialog.btnCancel->autoDefault());
}
