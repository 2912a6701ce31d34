// Remove several, driven from the main window's menu; the results are read
// back from the database file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Dune", "Herbert", "Ace", "", "Anna", "1.2.2004"),
    Book(2, "Emma", "Smith", "Penguin"),
    Book(3, "Kim", "smith", "Penguin", "", "Bert", ""),
    Book(4, "Ubik", "Smith Jr", "Ace", "", "", "3.4.2004"),
};

class RemoveSeveralTest : public TAppFixture {
protected:
    void SetUp() override
    {
        WriteFiles(Books);
        ASSERT_TRUE(Start());
    }
    void Open(std::function<void(TdlgRemoveSeveral&)> action)
    {
        Platform.Modal.Actions.push_back(
            [action](QDialog& dialog) { action(static_cast<TdlgRemoveSeveral&>(dialog)); });
        frmMain->mnuDatabase_RemoveSeveralClick();
    }
    // field empty: leave the combo box as it stands. Says whether the dialog closed.
    bool Remove(const QString& field, const QString& value)
    {
        bool closed = false;
        Open([&](TdlgRemoveSeveral& dialog) {
            if (!field.isEmpty())
                dialog.cmbTargetField->setEditText(field);
            dialog.edtValue->setText(value);
            dialog.btnDelete->click();
            closed = !dialog.isVisible();
        });
        return closed;
    }
    std::vector<TItem> Keep(std::initializer_list<int> rows)
    {
        std::vector<TItem> kept;
        for (int r : rows)
            kept.push_back(Books[static_cast<size_t>(r)]);
        return kept;
    }
};

} // namespace

TEST_F(RemoveSeveralTest, FirstOpeningNamesNoFieldSoNothingIsRemoved)
{
    EXPECT_FALSE(Remove(QString(), "Smith"));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#101: Supplied field was invalid or alias bad."});
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books));
}

TEST_F(RemoveSeveralTest, RemovesExactMatchesOnly)
{
    EXPECT_TRUE(Remove("Book author", "Smith"));
    EXPECT_EQ(DatabaseText(), DatabaseFile(Keep({0, 2, 3})));
    EXPECT_EQ(frmBookBrowser->BookList->RowCount(), 3);
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(RemoveSeveralTest, EmptyLoanDateRemovesEveryBookNotOnLoan)
{
    // Book 3 has a loaner but no date: it is not on loan.
    EXPECT_TRUE(Remove("Date loaned", ""));
    EXPECT_EQ(DatabaseText(), DatabaseFile(Keep({0, 3})));
}

TEST_F(RemoveSeveralTest, RemovingEveryBookLeavesAnEmptyViewWithoutAnError)
{
    TBookGrid& grid = *frmBookBrowser->BookList;
    grid.SetRowCount(1); // a search had narrowed the list
    EXPECT_TRUE(Remove("Book title", "Dune"));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Emma");

    for (const char* title : {"Emma", "Kim", "Ubik"})
        EXPECT_TRUE(Remove("Book title", title));
    EXPECT_EQ(DatabaseText(), "");
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.Cell(0, 2), "");
    EXPECT_EQ(Rows().IdAt(0), 0);
    EXPECT_TRUE(frmMain->Ui.edtBookname->text().isEmpty());
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join('|').toStdString();
}

TEST_F(RemoveSeveralTest, EachOpeningEmptiesTheValueAndKeepsTheField)
{
    Open([](TdlgRemoveSeveral& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Poista useita");
        EXPECT_EQ(dialog.lblValue->text(), "Arvo");
        EXPECT_EQ(dialog.lblTargetFieldCaption->text(), QStringLiteral("Kohdekentt") + QChar(0x00E4));
        EXPECT_EQ(dialog.btnDelete->text(), "&Poista");
        EXPECT_EQ(dialog.btnCancel->text(), "&Peruuta");
        EXPECT_EQ(dialog.cmbTargetField->findText("Teoksen nimi"), -1);
        EXPECT_EQ(dialog.cmbTargetField->itemText(7), "Date loaned");
        // A typed field name stays text; it never joins the list.
        dialog.cmbTargetField->setFocus();
        dialog.cmbTargetField->setEditText("Kirjailija");
        QTest::keyClick(dialog.cmbTargetField, Qt::Key_Return);
        EXPECT_EQ(dialog.cmbTargetField->count(), 8);
        dialog.edtValue->setText("Ace");
        dialog.cmbTargetField->setCurrentIndex(2);
        QTest::keyClick(dialog.edtValue, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        dialog.btnCancel->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    Open([](TdlgRemoveSeveral& dialog) {
        EXPECT_TRUE(dialog.edtValue->text().isEmpty());
        EXPECT_EQ(dialog.focusWidget(), dialog.edtValue);
        EXPECT_EQ(dialog.cmbTargetField->currentText(), "Publisher");
    });
    EXPECT_EQ(DatabaseText(), DatabaseFile(Books));
}
