// A catalogue changed on two computers while their sync tool was paused: the
// tool kept the desktop's files and renamed the laptop's as conflict copies.
// Volumnia's next start on the desktop merges them: every change of both, the
// books added on both under distinct numbers, the copies moved aside, one
// History entry that Undo takes back; clashes settled in the merge dialog.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/MergeDialog.h"
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/History.h"
#include "settings/RFileSystem.h"
#include "tests/support/AppFixture.h"

#include <QAction>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

namespace {

const std::string Copy = "books.sync-conflict-20261208-101010-LAPTOP7.orbl";
const std::string HistoryCopy = "books.orbl.sync-conflict-20261208-101010-LAPTOP7.history";

class StartupMergeTest : public TAppFixture {
protected:
    using TEdits = std::function<void(TCatalogue&)>;

    // Ten books and a first change both computers share; then laptop's edits,
    // kept as the conflict copies, and desktop's edits on the files themselves.
    void TwoComputers(const TEdits& laptop, const TEdits& desktop)
    {
        Overrides["CurrentIndex"] = "10";
        std::vector<TItem> books;
        for (int32_t id = 1; id <= 10; ++id)
            books.push_back(Book(id, "Title " + std::to_string(id), "Author", "Penguin"));
        WriteFiles(books);
        Edit([](TCatalogue& c) { c.Update(Book(1, "Title 1", "Author", "Puffin")); });
        const std::string settings = SettingsText();
        const std::string database = DatabaseText();
        const std::string history = Folder.ReadFile("books.orbl.history");
        Edit(laptop);
        Folder.WriteFile(Copy, DatabaseText());
        Folder.WriteFile(HistoryCopy, Folder.ReadFile("books.orbl.history"));
        Folder.WriteFile("volumnia.kelt", settings);
        Folder.WriteFile("books.orbl", database);
        Folder.WriteFile("books.orbl.history", history);
        Edit(desktop);
    }
    void Edit(const TEdits& edits)
    {
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        TCatalogue catalogue(std::move(settings), std::move(database));
        catalogue.ReadCurrentIndex();
        catalogue.EnableHistory("Volumnia");
        edits(catalogue);
        catalogue.SaveAtEnd();
    }
    const TItem& Held(int32_t id) { return Catalogue().Database().ItemAt(Catalogue().Database().SlotOf(id)); }
};

TEST_F(StartupMergeTest, TheNextStartHoldsBothComputersChangesAndUndoTakesTheMergeBack)
{
    TwoComputers(
        [](TCatalogue& c) {
            c.Add(Book(0, "Laptop one", "", ""));
            c.Add(Book(0, "Laptop two", "", ""));
            c.Update(Book(7, "Title 7", "Author", "Laptop Press"));
        },
        [](TCatalogue& c) {
            c.Add(Book(0, "Desktop one", "", ""));
            c.Lend(7, "Ann", "08.12.2026");
            c.Update(Book(9, "Desktop title", "Author", "Penguin"));
        });
    const std::string before = DatabaseText();
    ASSERT_TRUE(Start());

    EXPECT_TRUE(Platform.Modal.Opened.isEmpty()); // no clash, no dialog
    EXPECT_EQ(Held(7).Fields[2], "Laptop Press");
    EXPECT_EQ(Held(7).Fields[6], "Ann");
    EXPECT_EQ(Held(9).Fields[0], "Desktop title");
    EXPECT_EQ(Held(11).Fields[0], "Desktop one");
    // The laptop's own numbers 11 and 12 stand for other books there: its
    // books come after every number either computer gave out.
    EXPECT_EQ(Held(13).Fields[0], "Laptop one");
    EXPECT_EQ(Held(14).Fields[0], "Laptop two");
    EXPECT_EQ(Catalogue().Database().Count(), 13);
    EXPECT_FALSE(Folder.Exists(Copy));
    EXPECT_TRUE(Folder.Exists(".volumnia-merged/" + Copy));
    EXPECT_TRUE(Folder.Exists(".volumnia-merged/" + HistoryCopy));
    const std::vector<THistoryEntry> history = THistory("books.orbl").ReadAll();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(ChangeName(history.back().Change), "Merge (3 books)");

    QAction* undo = frmMain->Ui.mnuDatabase_Undo;
    EXPECT_EQ(undo->text(), QStringLiteral("U&ndo Merge (3 books)"));
    undo->trigger();
    EXPECT_EQ(DatabaseText(), before);
}

TEST_F(StartupMergeTest, ClashesAreSettledInTheDialogOrPutOffUntilTheNextStart)
{
    const struct {
        const char* Name;
        bool Later;
        bool TickFirst;
        const char* Publisher; // of book 2 after the start
    } cases[] = {
        {"later", true, false, "Desktop Press"},
        {"this computer's", false, false, "Desktop Press"},
        {"the copy's", false, true, "Laptop Press"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Stop();
        for (const std::string& name : Folder.FileNames())
            Folder.Remove(name);
        TwoComputers([](TCatalogue& cat) { cat.Update(Book(2, "Laptop title", "Author", "Laptop Press")); },
                     [](TCatalogue& cat) { cat.Update(Book(2, "Title 2", "Author", "Desktop Press")); });
        QStringList rows;
        Platform.Modal.Actions.push_back([&](QDialog& dialog) {
            auto& merge = static_cast<TdlgMerge&>(dialog);
            for (int i = 0; i < merge.lstClashes->topLevelItemCount(); ++i)
                rows << merge.lstClashes->topLevelItem(i)->text(1) + ": " + merge.lstClashes->topLevelItem(i)->text(2) +
                            " / " + merge.lstClashes->topLevelItem(i)->text(3);
            if (c.TickFirst)
                merge.lstClashes->topLevelItem(0)->setCheckState(0, Qt::Checked);
            (c.Later ? merge.btnLater : merge.btnMerge)->click();
        });
        ASSERT_TRUE(Start());
        // Only the publisher clashes: the title was the laptop's change alone.
        EXPECT_EQ(rows, QStringList{QStringLiteral("Publisher: Desktop Press / Laptop Press")});
        EXPECT_EQ(Held(2).Fields[2], c.Publisher);
        EXPECT_EQ(Held(2).Fields[0], c.Later ? "Title 2" : "Laptop title");
        EXPECT_EQ(Folder.Exists(Copy), c.Later);
    }
}

} // namespace
