// Undo and redo from the Database menu: named after the change, off while a
// book is edited, and the file on disk back as it was with the books back in
// the browser with their IDs and loans.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"

#include <QAction>
#include <QPushButton>
#include <QToolButton>

namespace {

class UndoCommandsTest : public TAppFixture {
protected:
    void SetUp() override { Overrides["SortMethod"] = "Unsorted"; }
};

TEST_F(UndoCommandsTest, UndoOfRemoveSeveralGivesBackTheFileAndRedoRemovesAgain)
{
    // In the order of the sort method, as Volumnia saved it at the end of its last run.
    WriteFiles({Book(10, "Walden", "Thoreau", "Murray"),
                Book(30, "Dracula", "Stoker", "Murray", "1897", "Ann", "5.3.2004"),
                Book(20, "Emma", "Austen", "Ticknor"), Book(40, "Beowulf", "", "Zephyr")});
    ASSERT_TRUE(Start());
    QAction* undo = frmMain->Ui.mnuDatabase_Undo;
    QAction* redo = frmMain->Ui.mnuDatabase_Redo;
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                                      QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
    const std::string before = DatabaseText();
    Catalogue().RemoveWhere("Publisher", "Murray");
    const std::string after = DatabaseText();
    EXPECT_EQ(undo->text(), QStringLiteral("U&ndo Remove several (2 books)"));
    ASSERT_TRUE(undo->isEnabled());

    undo->trigger();
    EXPECT_EQ(DatabaseText(), before);
    ASSERT_EQ(Rows().RowCount(), 4);
    EXPECT_EQ((std::vector<int32_t>{Rows().IdAt(0), Rows().IdAt(1), Rows().IdAt(2), Rows().IdAt(3)}),
              (std::vector<int32_t>{10, 30, 20, 40}));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), QStringLiteral("Red&o Remove several (2 books)"));
    redo->trigger();
    EXPECT_EQ(DatabaseText(), after);

    // While a book is edited, Ctrl+Z belongs to the edit box.
    frmMain->Ui.tbtnEditBook->click();
    EXPECT_FALSE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(DatabaseText(), after);
    frmMain->Ui.btnCancel->click();
    EXPECT_TRUE(undo->isEnabled());
}

} // namespace
