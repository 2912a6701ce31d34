// The catalogue: the numbering of new books, the counter stored before the
// books, a failed save taken back, loans that touch only the loan fields, one
// signal for each change that reached the file and none for one that did not;
// and the shown rows that follow it.
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "platform/EInOutError.h"
#include "platform/WorkingFolderLock.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/FailingWriteStep.h"

#include <cstdio>
#include <functional>
#include <limits>

namespace {

using namespace EngineTest;

class CatalogueTest : public TEngineFixture {
protected:
    TCatalogue& OpenCatalogue(const std::vector<TItem>& books, int32_t currentIndex)
    {
        std::vector<std::string> lines = SettingsLines();
        lines.insert(lines.end(), {"CurrentIndex", std::to_string(currentIndex), "vInteger"});
        WriteSettings(lines);
        WriteDatabase(FileOf(books));
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
        Catalogue->ReadCurrentIndex();
        QObject::connect(Catalogue.get(), &TCatalogue::BooksChanged,
                         [this](const TBookChange& change) { Told.push_back(change); });
        return *Catalogue;
    }
    int32_t CounterOnDisk() const { return TRFileSystem("volumnia.kelt").ReadInteger("CurrentIndex"); }
    // A write step that lets the settings file through and fails a larger database file.
    std::unique_ptr<TFailingWriteStep> FailDatabaseSaves()
    {
        return std::make_unique<TFailingWriteStep>(int64_t(Folder.ReadFile("volumnia.kelt").size()) + 64, false);
    }
    static std::vector<TItem> Padded(int n)
    {
        std::vector<TItem> books = Numbered(n);
        for (TItem& book : books)
            book.Fields[5] = std::string(500, 'x'); // larger than the settings file
        return books;
    }

    std::unique_ptr<TCatalogue> Catalogue;
    std::vector<TBookChange> Told;
};

TEST_F(CatalogueTest, AddGivesTheNextFreeNumberAfterTheCounter)
{
    struct TCase {
        const char* What;
        int32_t Counter;
        std::vector<TItem> Held;
        int32_t Expected; // 0: refused with "#104"
    };
    const TCase cases[] = {
        {"the next number", 41, Numbered(4), 42},
        {"numbers held passed over", 2, Numbered(5), 6},
        {"an empty catalogue", 0, {}, 1},
        {"no number left", std::numeric_limits<int32_t>::max(), Numbered(1), 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Told.clear();
        TCatalogue& catalogue = OpenCatalogue(c.Held, c.Counter);
        if (c.Expected == 0) {
            EXPECT_EQ(ErrorOf<EORBLError>([&] { catalogue.Add(Item(0, "New")); }), "#104: Item ID already exists.");
            EXPECT_TRUE(Told.empty());
            continue;
        }
        EXPECT_EQ(catalogue.Add(Item(0, "New")), c.Expected);
        EXPECT_EQ(catalogue.CurrentIndex(), c.Expected);
        EXPECT_EQ(CounterOnDisk(), c.Expected);
        std::vector<TItem> expected = c.Held;
        expected.push_back(Item(c.Expected, "New"));
        EXPECT_EQ(DatabaseBytes(), FileOf(expected));
        ASSERT_EQ(Told.size(), 1u);
        EXPECT_EQ(Told[0].Kind, TBookChangeKind::Added);
        EXPECT_EQ(Told[0].Ids(), std::vector<int32_t>{c.Expected});
    }
}

// The end of the run's save names the settings file it could not write: no
// window says which file it was.
TEST_F(CatalogueTest, ASettingsFileNotSavedAtTheEndOfTheRunIsNamed)
{
    TCatalogue& catalogue = OpenCatalogue(Numbered(2), 2);
    TFailingWriteStep full(0, false);
    EXPECT_EQ(ErrorOf<EInOutError>([&] { catalogue.SaveAtEnd({TRFileSystem::IntegerValue("MF_X", 5)}); }),
              "The settings file volumnia.kelt could not be saved (Disk full).");
}

TEST_F(CatalogueTest, AFailedSaveKeepsTheCounterUpTakesTheBookBackAndTellsNothing)
{
    TCatalogue& catalogue = OpenCatalogue(Padded(3), 3);
    const std::string before = DatabaseBytes();
    {
        const auto failing = FailDatabaseSaves();
        EXPECT_THROW(catalogue.Add(Item(0, "Lost")), std::exception);
    }
    EXPECT_EQ(DatabaseBytes(), before);
    EXPECT_EQ(CounterOnDisk(), 4) << "the counter reached the settings before the book was tried";
    EXPECT_TRUE(Told.empty());
    // Tried again, the book is stored once, under the next number.
    EXPECT_EQ(catalogue.Add(Item(0, "Lost")), 5);
    std::vector<TItem> expected = Padded(3);
    expected.push_back(Item(5, "Lost"));
    EXPECT_EQ(DatabaseBytes(), FileOf(expected));
    EXPECT_EQ(Told.size(), 1u);
}

// Another computer's lock brought in over the one this run holds: every kind
// of save refuses and writes nothing, the history and the counter included.
TEST_F(CatalogueTest, NothingIsSavedOnceTheLockWasReplaced)
{
    TCatalogue& catalogue = OpenCatalogue(Numbered(2), 2);
    catalogue.EnableHistory("Volumnia", [] { return int64_t(1765000000000); });
    TWorkingFolderLock lock = TWorkingFolderLock::ForFile("books.orbl", "Volumnia");
    ASSERT_EQ(lock.TryLock(), TWorkingFolderLock::TResult::Locked);
    catalogue.Lend(1, "Anna", "12/8/2026");
    Folder.WriteFile("synced", "pid=7\nhost=laptop\nprogram=Volumnia\n");
    ASSERT_EQ(std::rename("synced", "books.orbl.lock"), 0);
    const std::string database = DatabaseBytes(), settings = Folder.ReadFile("volumnia.kelt"),
                      history = Folder.ReadFile("books.orbl.history");
    Told.clear();
    const std::function<void()> saves[] = {
        [&] { catalogue.Add(Item(0, "New")); },
        [&] { catalogue.Lend(2, "Ben", "12/8/2026"); },
        [&] { catalogue.Undo(); },
        [&] { catalogue.SaveAtEnd({TRFileSystem::IntegerValue("MF_X", 5)}); },
    };
    for (const auto& save : saves)
        EXPECT_NE(ErrorOf<ELockLost>(save).find("on the computer laptop"), std::string::npos);
    EXPECT_EQ(DatabaseBytes(), database);
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), settings);
    EXPECT_EQ(Folder.ReadFile("books.orbl.history"), history);
    EXPECT_TRUE(Told.empty());
}

TEST_F(CatalogueTest, EachChangeTellsItsBooksBeforeAndAfterOnlyOnceSaved)
{
    std::vector<TItem> books = Padded(3);
    books[0].Fields[8] = "kept by another program";
    books[1].Fields[6] = "Ann";
    books[1].Fields[7] = "01/02/2004";
    books[2].Fields[2] = "Acme";
    struct TCase {
        const char* What;
        std::function<void(TCatalogue&)> Change;
        TBookChangeKind Kind;
        std::vector<int32_t> Ids;
        std::function<void(std::vector<TItem>&)> Expected; // the books the file then holds
    };
    const TCase cases[] = {
        {"lend: the loan fields only",
         [](TCatalogue& c) { c.Lend(1, "Bob", "03/04/2005"); },
         TBookChangeKind::Lent,
         {1},
         [](std::vector<TItem>& b) {
             b[0].Fields[6] = "Bob";
             b[0].Fields[7] = "03/04/2005";
         }},
        {"return: the date only, the loaner kept",
         [](TCatalogue& c) { c.Return(2); },
         TBookChangeKind::Returned,
         {2},
         [](std::vector<TItem>& b) { b[1].Fields[7].clear(); }},
        {"update: all ten fields",
         [](TCatalogue& c) { c.Update(Item(1, "Renamed")); },
         TBookChangeKind::Updated,
         {1},
         [](std::vector<TItem>& b) { b[0] = Item(1, "Renamed"); }},
        {"remove",
         [](TCatalogue& c) { c.Remove(2); },
         TBookChangeKind::Removed,
         {2},
         [](std::vector<TItem>& b) { b.erase(b.begin() + 1); }},
        {"replace where",
         [](TCatalogue& c) { c.ReplaceWhere("Publisher", "Acme", "Ace"); },
         TBookChangeKind::ReplacedWhere,
         {3},
         [](std::vector<TItem>& b) { b[2].Fields[2] = "Ace"; }},
        {"remove where, nothing matching",
         [](TCatalogue& c) { c.RemoveWhere("Publisher", "None"); },
         TBookChangeKind::RemovedWhere,
         {},
         [](std::vector<TItem>&) {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Told.clear();
        TCatalogue& catalogue = OpenCatalogue(books, 3);
        std::vector<TItem> expected = books;
        c.Expected(expected);
        if (expected.size() != books.size() || FileOf(expected) != FileOf(books)) {
            const auto failing = FailDatabaseSaves();
            EXPECT_THROW(c.Change(catalogue), std::exception);
            EXPECT_TRUE(Told.empty()) << "a change that did not reach the file is not told";
        }
        OpenCatalogue(books, 3);
        Told.clear();
        c.Change(*Catalogue);
        EXPECT_EQ(DatabaseBytes(), FileOf(expected));
        ASSERT_EQ(Told.size(), 1u);
        EXPECT_EQ(Told[0].Kind, c.Kind);
        EXPECT_EQ(Told[0].Ids(), c.Ids);
        for (const TBookChange::TBook& book : Told[0].Books) {
            const auto held =
                std::find_if(expected.begin(), expected.end(), [&](const TItem& item) { return item.ID == book.ID; });
            EXPECT_EQ(book.After.has_value(), held != expected.end());
            if (book.After && held != expected.end()) {
                EXPECT_EQ(book.After->Fields, held->Fields);
            }
            ASSERT_TRUE(book.Before.has_value());
            EXPECT_EQ(book.Before->Fields, books[static_cast<size_t>(book.ID - 1)].Fields);
        }
    }
    // A book that is not there is refused with the engine's own words.
    TCatalogue& catalogue = OpenCatalogue(books, 3);
    EXPECT_EQ(ErrorOf<EORBLError>([&] { catalogue.Lend(99, "Bob", "today"); }),
              "#105: Item does not exist in this database.");
}

TEST_F(CatalogueTest, TheShownRowsFollowEveryChangeAndSearch)
{
    TCatalogue& catalogue = OpenCatalogue(Numbered(4), 4);
    TShownRows rows(catalogue);
    int refills = 0;
    QObject::connect(&rows, &TShownRows::Refilled, [&] { ++refills; });
    rows.FillAll();
    EXPECT_EQ(rows.RowOf(3), 2);
    Searchresult found;
    found.Items[0] = Item(4, "Title 4");
    found.ItemCount = 1;
    rows.FillWith(found);
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.RowOf(3), -1);
    rows.Select(0);
    EXPECT_EQ(rows.CurrentId(), 4);
    EXPECT_THROW(rows.Select(1), EBaseError);
    catalogue.Remove(4);
    EXPECT_EQ(refills, 3) << "a change lists the whole catalogue again";
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.Current(), 0);
    catalogue.RemoveWhere("Book author", "");
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_TRUE(rows.IsBlank(0));
    EXPECT_EQ(rows.RowCount(), 1);
}

} // namespace
