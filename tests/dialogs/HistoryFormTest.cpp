// The History window over changes of an earlier run: newest first, limited to
// the book shown, a version restored and a removed book brought back with its
// loan, an import taken back as a whole; each read back from the file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/HistoryForm.h"
#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class HistoryFormTest : public TAppFixture {
protected:
    void SetUp() override { Overrides["SortMethod"] = "Unsorted"; }
    TfrmHistory& Open()
    {
        frmMain->Ui.mnuView_History->trigger();
        return *frmHistory;
    }
    QStringList Whats(const TfrmHistory& history) const
    {
        QStringList texts;
        const QAbstractItemModel* list = history.lstChanges->model();
        for (int r = 0; r < list->rowCount(); ++r)
            texts << list->index(r, 1).data().toString();
        return texts;
    }
};

TEST_F(HistoryFormTest, RestoreAndBringBackChangesOfAnEarlierRun)
{
    const TItem lent = Book(30, "Dracula", "Stoker", "Constable", "1897", "Ann", "5.3.2004");
    WriteFiles({Book(10, "Walden", "Thoreau", "Ticknor"), Book(20, "Emma", "Austen", "Murray"), lent});
    ASSERT_TRUE(Start());
    TItem edited = Book(20, "Emma (2nd ed.)", "Austen", "Murray");
    Catalogue().Update(edited);
    Catalogue().Remove(30);
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_FALSE(frmHistory.Made()); // start-up does not read the history
    TfrmHistory& history = Open();
    EXPECT_EQ(Whats(history), (QStringList{"Remove", "Edit"}));

    history.SelectChange(0);
    EXPECT_FALSE(history.btnRestore->isEnabled());
    ASSERT_TRUE(history.btnBringBack->isEnabled());
    history.btnBringBack->click();
    ASSERT_TRUE(Catalogue().Database().ItemExists(30));
    EXPECT_NE(DatabaseText().find("30\r\nDracula\r\nStoker\r\nConstable\r\n1897\r\n\r\n\r\nAnn\r\n5.3.2004\r\n"),
              std::string::npos);
    EXPECT_EQ(Whats(history), (QStringList{"Restore", "Remove", "Edit"}));

    history.SelectChange(2);
    ASSERT_TRUE(history.btnRestore->isEnabled());
    history.btnRestore->click();
    EXPECT_NE(DatabaseText().find("20\r\nEmma\r\n"), std::string::npos);
    // Only the changes of the book shown in the main window.
    Rows().Select(Rows().RowOf(30));
    history.chkShownBook->setChecked(true);
    EXPECT_EQ(Whats(history), (QStringList{"Restore", "Remove"}));
}

TEST_F(HistoryFormTest, AnImportIsOneChangeTakenBackAsAWhole)
{
    WriteFiles({Book(10, "Walden", "Thoreau", "Ticknor")});
    ASSERT_TRUE(Start());
    const std::string before = DatabaseText();
    std::vector<TItem> books;
    for (const int32_t id : Catalogue().NextNumbers(50))
        books.push_back(Book(id, "Imported " + std::to_string(id), "", ""));
    Catalogue().AddNumbered(books, TCatalogue::TCounter::Required);
    TfrmHistory& history = Open();
    EXPECT_EQ(Whats(history), (QStringList{"Import (50 books)"}));
    ASSERT_TRUE(history.btnTakeBack->isEnabled());
    Platform.Messages.Answers = {true};
    history.btnTakeBack->click();
    EXPECT_EQ(DatabaseText(), before);
    QTest::keyClick(&history, Qt::Key_Escape); // closes it, as a dialog
    EXPECT_FALSE(history.isVisible());
}

// Details travel through the history: after a restart the window lists a
// details change field by field, Restore gives a book its details back and
// Bring back a removed book with its details; a book edited by hand between
// runs refuses Restore, naming it, and nothing is written.
TEST_F(HistoryFormTest, DetailsComeBackAndABookEditedByHandRefusesRestore)
{
    WriteFiles({Book(10, "Walden", "Thoreau", "Ticknor"), Book(20, "Emma", "Austen", "Murray"),
                Book(30, "Dracula", "Stoker", "Constable")});
    ASSERT_TRUE(Start());
    TDetails rated;
    rated.Set("rating", "3");
    rated.Set("series", "Classics");
    TDetails rerated = rated;
    rerated.Set("rating", "5");
    Catalogue().SetDetails(10, rated);
    Catalogue().SetDetails(10, rerated);
    Catalogue().SetDetails(30, rated);
    Catalogue().Remove(30);
    Catalogue().Update(Book(20, "Emma (2nd ed.)", "Austen", "Murray"));
    Stop();
    std::string bytes = DatabaseText();
    bytes.replace(bytes.find("Emma (2nd ed.)"), 14, "Emma by hand");
    Folder.WriteFile("books.orbl", bytes);
    ASSERT_TRUE(Start());
    const auto details = [this](int32_t id) {
        return Catalogue().Database().ItemAt(Catalogue().Database().SlotOf(id)).Details;
    };
    TfrmHistory& history = Open();
    ASSERT_EQ(Whats(history), (QStringList{"Edit", "Remove", "Edit details", "Edit details", "Edit details"}));
    history.SelectChange(3);
    const QAbstractItemModel* fields = history.lstFields->model();
    ASSERT_EQ(fields->rowCount(), 1);
    EXPECT_EQ((QStringList{fields->index(0, 0).data().toString(), fields->index(0, 1).data().toString(),
                           fields->index(0, 2).data().toString()}),
              (QStringList{"Rating", "3", "5"}));
    history.btnRestore->click();
    EXPECT_EQ(details(10), rated);

    history.SelectChange(2); // the removal, below the restore
    ASSERT_TRUE(history.btnBringBack->isEnabled());
    history.btnBringBack->click();
    ASSERT_TRUE(Catalogue().Database().ItemExists(30));
    EXPECT_EQ(details(30), rated);
    EXPECT_NE(Folder.ReadFile("books.orbl.details").find("Classics"), std::string::npos);

    history.SelectChange(2); // Emma's edit
    ASSERT_TRUE(history.btnRestore->isEnabled());
    const std::string before = DatabaseText();
    Platform.Messages.Clear();
    history.btnRestore->click();
    EXPECT_EQ(Platform.Messages.Texts(),
              QStringList{"The book 20 (\"Emma by hand\") was changed since; nothing was changed."});
    EXPECT_EQ(DatabaseText(), before);
}

// Filtered to the book shown, a step lists that book's changes from the
// lines read when the window opened; the file is read again only when it
// changed: by this run's change, or by another program's append.
TEST_F(HistoryFormTest, ShownBookFilterReadsTheFileOnlyWhenItChanged)
{
    WriteFiles({Book(10, "Walden", "Thoreau", "Ticknor"), Book(20, "Emma", "Austen", "Murray")});
    ASSERT_TRUE(Start());
    Catalogue().Update(Book(10, "Walden (2nd ed.)", "Thoreau", "Ticknor"));
    Catalogue().Update(Book(20, "Emma (2nd ed.)", "Austen", "Murray"));
    Catalogue().Update(Book(20, "Emma (3rd ed.)", "Austen", "Murray"));
    TfrmHistory& history = Open();
    EXPECT_EQ(history.ReadCount(), 1);
    history.chkShownBook->setChecked(true);
    const auto show = [this](int32_t id) { Rows().Select(Rows().RowOf(id)); };
    show(10);
    EXPECT_EQ(history.ListedCount(), 1); // Walden's one edit
    show(20);
    EXPECT_EQ(history.ListedCount(), 2); // Emma's two
    show(10);
    EXPECT_EQ(history.ListedCount(), 1);
    EXPECT_EQ(history.ReadCount(), 1) << "steps read nothing";

    Catalogue().Update(Book(10, "Walden (3rd ed.)", "Thoreau", "Ticknor"));
    show(10);
    EXPECT_EQ(history.ListedCount(), 2);
    EXPECT_EQ(history.ReadCount(), 2);

    // Another program saves a change of Walden's and appends it (an entry
    // the database does not hold would not be listed).
    TBookChange other{TBookChangeKind::Updated,
                      {{10, Book(10, "Walden (3rd ed.)", "Thoreau", "Ticknor"), Book(10, "Walden", "T.", "T.")}}};
    THistory(Catalogue().Database().FileName()).Append(0, "volumnia-csv", other);
    std::string bytes = DatabaseText();
    const std::string was = "Walden (3rd ed.)\r\nThoreau\r\nTicknor";
    bytes.replace(bytes.find(was), was.size(), "Walden\r\nT.\r\nT.");
    Folder.WriteFile("books.orbl", bytes);
    Catalogue().Reload();
    show(20);
    show(10);
    EXPECT_EQ(history.ListedCount(), 3);
    EXPECT_EQ(history.ReadCount(), 3);
    EXPECT_EQ(Whats(history).first(), "Edit by volumnia-csv");
}

} // namespace
