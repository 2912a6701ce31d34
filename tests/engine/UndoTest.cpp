// Undo and redo through the catalogue: each kind of change taken back leaves
// the database file byte for byte as before it and done again as after it; a
// book changed since refuses the undo and nothing is written. And the history
// beside the file: what it records, damaged and cut entries, its size limit.
#include "engine/Catalogue.h"
#include "engine/DetailsFile.h"
#include "engine/DueDates.h"
#include "engine/History.h"
#include "platform/EInOutError.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/FailingWriteStep.h"

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace EngineTest;

class UndoTest : public TEngineFixture {
protected:
    // With details: books 2, 3 and 4 have details in the details file.
    TCatalogue& Open(bool fresh = true, bool details = false)
    {
        std::vector<TItem> books = Numbered(6);
        for (int i : {1, 3, 4})
            books[i].Fields[2] = "Penguin";
        books[3].Fields[6] = "Ann";
        books[3].Fields[7] = "2026-03-01";
        std::vector<std::string> lines = SettingsLines();
        lines.insert(lines.end(), {"CurrentIndex", "6", "vInteger"});
        WriteSettings(lines);
        if (fresh)
            WriteDatabase(FileOf(books));
        if (fresh && details) {
            std::vector<TDetailsRow> rows;
            for (int i : {1, 2, 3}) {
                TDetails d;
                d.Set("isbn", "978055213107" + std::to_string(i));
                d.Set("series", "Discworld");
                d.Set("series_number", std::to_string(i * 5));
                d.Set("tags", "fantasy, humour");
                if (i == 3)
                    d.Set("due", "2026-03-15");
                rows.push_back({books[i].ID, DetailsFile::Fingerprint(books[i]), d});
            }
            Folder.WriteFile("books.orbl.details", DetailsFile::Format(rows));
        } else if (fresh) {
            Folder.Remove("books.orbl.details");
        }
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
        Catalogue->ReadCurrentIndex();
        Catalogue->EnableHistory("Volumnia", [] { return int64_t(1765000000000); });
        QObject::connect(Catalogue.get(), &TCatalogue::BooksChanged,
                         [this](const TBookChange& change) { Told.push_back(change.Kind); });
        return *Catalogue;
    }
    // Both files: the database's bytes and the details file's (empty when none).
    std::string Files() const
    {
        return DatabaseBytes() + "|" +
               (Folder.Exists("books.orbl.details") ? Folder.ReadFile("books.orbl.details") : std::string());
    }
    std::vector<THistoryEntry> History(std::string* note = nullptr) const
    {
        return THistory("books.orbl").ReadAll(note);
    }

    std::unique_ptr<TCatalogue> Catalogue;
    std::vector<TBookChangeKind> Told;
};

TEST_F(UndoTest, UndoGivesBackTheFileBeforeAndRedoTheFileAfter)
{
    using TChange = std::function<void(TCatalogue&)>;
    const struct {
        const char* What;
        TChange Change;
        const char* Name;
    } cases[] = {
        {"add", [](TCatalogue& c) { c.Add(Item(0, "New")); }, "Add"},
        {"edit", [](TCatalogue& c) { c.Update(Item(2, "Retitled", "Someone")); }, "Edit"},
        {"remove from the middle", [](TCatalogue& c) { c.Remove(3); }, "Remove"},
        {"loan", [](TCatalogue& c) { c.Lend(1, "Bob", "2026-12-08"); }, "Loan"},
        {"return", [](TCatalogue& c) { c.Return(4); }, "Return"},
        {"edit several", [](TCatalogue& c) { c.ReplaceWhere("Publisher", "Penguin", "Puffin"); },
         "Edit several (3 books)"},
        {"remove several, one lent", [](TCatalogue& c) { c.RemoveWhere("Publisher", "Penguin"); },
         "Remove several (3 books)"},
        {"import",
         [](TCatalogue& c) {
             std::vector<TItem> books{Item(0, "A"), Item(0, "B")};
             const std::vector<int32_t> ids = c.NextNumbers(2);
             books[0].ID = ids[0];
             books[1].ID = ids[1];
             c.AddNumbered(books, TCatalogue::TCounter::Required);
         },
         "Import (2 books)"},
        {"version restored", [](TCatalogue& c) { c.RestoreVersion(Item(6, "Old title"), c.Database().ItemAt(5)); },
         "Restore"},
        {"removed book brought back", [](TCatalogue& c) { c.BringBack(Item(9, "Gone", "", "x")); }, "Restore"},
        {"details set",
         [](TCatalogue& c) {
             TDetails d;
             d.Set("rating", "4");
             c.SetDetails(3, d);
         },
         "Edit details"},
        {"due date set or cleared",
         [](TCatalogue& c) {
             TDetails d = c.Database().ItemAt(3).Details;
             d.Set("due", d.Has("due") ? "" : "2026-04-01");
             c.SetDetails(4, d, TBookChangeKind::DueSet);
         },
         "Due date"},
        {"edit and details in one", [](TCatalogue& c) { c.Update(Item(2, "Retitled"), TDetails()); }, "Edit"},
    };
    for (const bool details : {false, true})
        for (const auto& test : cases) {
            SCOPED_TRACE(std::string(test.What) + (details ? " with details" : ""));
            TCatalogue& catalogue = Open(true, details);
            const std::string before = Files();
            test.Change(catalogue);
            const std::string after = Files();
            ASSERT_NE(after, before);
            EXPECT_EQ(catalogue.UndoName(), test.Name);
            EXPECT_FALSE(catalogue.CanRedo());
            catalogue.Undo();
            EXPECT_EQ(Files(), before);
            EXPECT_FALSE(catalogue.CanUndo());
            EXPECT_EQ(catalogue.RedoName(), test.Name);
            catalogue.Redo();
            EXPECT_EQ(Files(), after);
            catalogue.Undo();
            EXPECT_EQ(Files(), before);
            EXPECT_EQ(Told.size(), 4u);
            EXPECT_EQ(Told[1], TBookChangeKind::Undone);
            EXPECT_EQ(Told[2], TBookChangeKind::Redone);
            EXPECT_EQ(History().size(), 4u);
            Told.clear();
            Folder.WriteFile("books.orbl.history", "");
        }
}

// With the due dates' rule (period 14 days), the due date a change gives or
// takes is part of that change: one history entry, and one undo gives both
// files back byte for byte.
TEST_F(UndoTest, TheDueDateAChangeGivesOrTakesIsUndoneWithIt)
{
    const auto lentAgain = [](TCatalogue& c) {
        TItem book = c.Database().ItemAt(3);
        book.Fields[7] = "01.03.2026"; // the same day written another way
        c.Update(book);
    };
    const struct {
        const char* What;
        std::function<void(TCatalogue&)> Change;
        int32_t ID;
        const char* Due;
        const char* DueBefore; // in the history's Before
    } cases[] = {
        {"loan", [](TCatalogue& c) { c.Lend(1, "Bob", "2026-12-08"); }, 1, "2026-12-22", ""},
        {"return", [](TCatalogue& c) { c.Return(4); }, 4, "", "2026-03-15"},
        {"loaner renamed", [](TCatalogue& c) { c.ReplaceWhere("Loaner", "Ann", "Anna"); }, 4, "2026-03-15",
         "2026-03-15"},
        {"loan day rewritten", lentAgain, 4, "2026-03-15", "2026-03-15"},
        {"loan on another day", [](TCatalogue& c) { c.Lend(4, "Ann", "2026-04-01"); }, 4, "2026-04-15", "2026-03-15"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.What);
        TCatalogue& catalogue = Open(true, true);
        catalogue.Settings().WriteInteger(TDueDates::PeriodKey, 14);
        TDueDates dues(catalogue, [] { return QDate(2026, 12, 8); });
        const std::string before = Files();
        test.Change(catalogue);
        const int32_t slot = catalogue.Database().SlotOf(test.ID);
        EXPECT_EQ(catalogue.Database().ItemAt(slot).Details.Value("due"), test.Due);
        const std::vector<THistoryEntry> entries = History();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].Change.Books.at(0).Before->Details.Value("due"), test.DueBefore);
        catalogue.Undo();
        EXPECT_EQ(Files(), before);
        Told.clear();
        Folder.WriteFile("books.orbl.history", "");
    }
}

// A book given its details, then edited in the main window and removed, comes
// back whole with two undos, both files byte for byte, and a new run reads
// the history of its details.
TEST_F(UndoTest, ABookWithDetailsEditedAndRemovedComesBackWhole)
{
    TCatalogue& catalogue = Open();
    const std::string start = Files();
    TDetails details;
    details.Set("isbn", "9780552131070");
    details.Set("series", "Discworld");
    details.Set("series_number", "10");
    details.Set("tags", "fantasy, humour");
    details.Set("status", "read");
    details.Set("finished", "2026-11-30");
    details.Set("rating", "4");
    catalogue.SetDetails(5, details);
    const std::string detailed = Files();
    ASSERT_NE(detailed, start);
    catalogue.Update(Item(5, "Mort", "Terry Pratchett", "Corgi"));
    EXPECT_EQ(catalogue.Database().ItemAt(4).Details, details);
    const std::string edited = Files();
    catalogue.Remove(5);
    EXPECT_FALSE(Folder.Exists("books.orbl.details"));
    catalogue.Undo();
    EXPECT_EQ(Files(), edited);
    catalogue.Undo();
    EXPECT_EQ(Files(), detailed);
    EXPECT_EQ(catalogue.Database().ItemAt(4).Details, details);
    catalogue.Undo();
    EXPECT_EQ(Files(), start);

    Open(false);
    EXPECT_TRUE(Catalogue->Database().ItemAt(4).Details.Empty());
    const std::vector<THistoryEntry> history = History();
    ASSERT_EQ(history.size(), 6u);
    EXPECT_EQ(history[0].Change.Kind, TBookChangeKind::DetailsSet);
    EXPECT_EQ(history[0].Change.Books[0].After->Details, details);
    EXPECT_EQ(history[2].Change.Books[0].Before->Details, details);
}

// The first save after a sort writes the books in memory's order; its undo
// gives back the file in the order it had, and memory in its own.
TEST_F(UndoTest, AnUndoAfterASortGivesBackTheFileInItsOwnOrder)
{
    TCatalogue& catalogue = Open();
    const std::string start = DatabaseBytes();
    catalogue.SortByField("Publisher");
    const std::vector<int32_t> sorted = catalogue.Database().Order();
    ASSERT_NE(sorted, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    catalogue.RemoveWhere("Publisher", "Penguin");
    const std::string after = DatabaseBytes();
    catalogue.Update(Item(1, "One"));
    catalogue.Undo();
    catalogue.Undo();
    EXPECT_EQ(DatabaseBytes(), start);
    EXPECT_EQ(catalogue.Database().Order(), sorted);
    catalogue.Redo();
    EXPECT_EQ(DatabaseBytes(), after);
    catalogue.Undo();
    EXPECT_EQ(DatabaseBytes(), start);
    EXPECT_EQ(catalogue.Database().Order(), sorted);
}

TEST_F(UndoTest, UndoSeveralInARowGoesBackThroughEachAndANewChangeClearsTheRedo)
{
    TCatalogue& catalogue = Open();
    const std::string start = DatabaseBytes();
    catalogue.RemoveWhere("Publisher", "Penguin");
    catalogue.Update(Item(1, "One"));
    catalogue.Undo();
    catalogue.Undo();
    EXPECT_EQ(DatabaseBytes(), start);
    catalogue.Redo();
    catalogue.Lend(1, "Cy", "2026-12-08");
    EXPECT_FALSE(catalogue.CanRedo());
}

TEST_F(UndoTest, ABookChangedSinceRefusesTheUndoNamingItAndWritesNothing)
{
    const struct {
        const char* What;
        std::function<void(TCatalogue&)> Change;
        std::string Outside; // the file another program left
        const char* Message;
    } cases[] = {
        {"edited again", [](TCatalogue& c) { c.Update(Item(2, "Retitled")); }, FileOf({Item(2, "Other")}),
         "The book 2 (\"Other\") was changed since; nothing was changed."},
        {"removed ID taken again", [](TCatalogue& c) { c.Remove(3); }, FileOf({Item(3, "Usurper")}),
         "The book 3 (\"Usurper\") is in the catalogue again; nothing was changed."},
        {"added book removed", [](TCatalogue& c) { c.Add(Item(0, "New")); }, FileOf({Item(1, "Title 1")}),
         "The book 7 (\"New\") was removed since; nothing was changed."},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.What);
        TCatalogue& catalogue = Open();
        test.Change(catalogue);
        WriteDatabase(test.Outside);
        catalogue.Reload();
        try {
            catalogue.Undo();
            ADD_FAILURE() << "not refused";
        } catch (const TCatalogue::EChangedSince& error) {
            EXPECT_STREQ(error.what(), test.Message);
        }
        EXPECT_EQ(DatabaseBytes(), test.Outside);
        EXPECT_TRUE(catalogue.CanUndo());
    }
}

TEST_F(UndoTest, TheHistoryHoldsEachChangeWithItsBooksAcrossRuns)
{
    Open().RemoveWhere("Publisher", "Penguin");
    Catalogue.reset();
    TCatalogue& next = Open(false); // a later run on the same files
    next.Update(Item(1, "Tab\there \\ back"));
    std::string note;
    const std::vector<THistoryEntry> entries = History(&note);
    EXPECT_EQ(note, "");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Program, "Volumnia");
    EXPECT_EQ(entries[0].Time, 1765000000000);
    EXPECT_EQ(entries[0].Change.Kind, TBookChangeKind::RemovedWhere);
    EXPECT_EQ(entries[0].Change.Ids(), (std::vector<int32_t>{2, 4, 5}));
    EXPECT_EQ(entries[0].Change.Books[1].Before->Fields[6], "Ann");
    EXPECT_FALSE(entries[0].Change.Books[1].After);
    EXPECT_EQ(entries[1].Change.Books[0].After->Fields[0], "Tab\there \\ back");
    const THistory::TLines lines = THistory("books.orbl").ReadLines();
    EXPECT_TRUE(lines.Touches(0, 4));
    EXPECT_FALSE(lines.Touches(0, 3));
    EXPECT_TRUE(lines.Touches(1, 1));
    // A removed book brought back from the history keeps its ID and loan.
    const std::string withoutFour = DatabaseBytes();
    next.BringBack(*entries[0].Change.Books[1].Before);
    EXPECT_EQ(DatabaseBytes(), withoutFour + ItemLines(*entries[0].Change.Books[1].Before));
}

TEST_F(UndoTest, DamagedAndCutEntriesArePassedOverWithOneNote)
{
    TCatalogue& catalogue = Open();
    catalogue.Update(Item(1, "a"));
    catalogue.Update(Item(1, "b"));
    catalogue.Update(Item(1, "c"));
    std::string bytes = Folder.ReadFile("books.orbl.history");
    const size_t second = bytes.find("\r\n") + 2;
    bytes[bytes.find("\tb\t", second) + 1] = 'X';                 // the second entry damaged on disk
    Folder.WriteFile("books.orbl.history", bytes + "VH1\t17650"); // and a cut one after the last
    std::string note;
    const std::vector<THistoryEntry> entries = History(&note);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].Change.Books[0].After->Fields[0], "c");
    EXPECT_EQ(note, "2 damaged entries of the history books.orbl.history passed over.");
    // Read for listing, the same entries with the same note.
    std::string linesNote;
    const THistory::TLines lines = THistory("books.orbl").ReadLines(&linesNote);
    ASSERT_EQ(lines.Count(), 2u);
    EXPECT_EQ(linesNote, note);
    EXPECT_EQ(lines.Entry(1).Change.Books[0].After->Fields[0], "c");
    // The next entry starts a line of its own after the cut one.
    catalogue.Update(Item(1, "d"));
    EXPECT_EQ(History().size(), 3u);
    EXPECT_TRUE(THistory("missing.orbl").ReadAll(&note).empty());
}

TEST_F(UndoTest, PastTheSizeLimitTheOldestEntriesGo)
{
    THistory history("books.orbl");
    history.SetSizeLimit(4000);
    THistoryEntry entry{1, "Volumnia", {TBookChangeKind::Updated, {{1, Item(1, "x"), Item(1, std::string(200, 'y'))}}}};
    for (int i = 1; i <= 40; ++i) {
        entry.Time = i;
        history.Append(entry);
        ASSERT_LE(Folder.ReadFile("books.orbl.history").size(), 4000u);
    }
    const std::vector<THistoryEntry> entries = history.ReadAll();
    ASSERT_GE(entries.size(), 5u);
    EXPECT_EQ(entries.back().Time, 40);
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].Time, entries[i - 1].Time + 1);
}

// Kept within its limit (as an import keeps it): an older entry goes where
// keeping it would take the file past the limit, though the room is not full.
TEST_F(UndoTest, KeptWithinTheLimitNoAppendPassesIt)
{
    THistory history("books.orbl");
    history.SetSizeLimit(4000);
    history.SetWithinLimit(true);
    THistoryEntry entry{
        1, "volumnia-csv", {TBookChangeKind::Imported, {{1, std::nullopt, Item(1, std::string(1300, 'b'))}}}};
    for (int i = 1; i <= 6; ++i) {
        entry.Time = i;
        history.Append(entry);
        ASSERT_LE(Folder.ReadFile("books.orbl.history").size(), 4000u) << i;
    }
    EXPECT_EQ(history.ReadAll().size(), 2u);
}

// An entry goes to the history ahead of its change's save. One whose save
// never came (a kill between the two) is passed over when read with the
// database and taken out of the file by the next run's first change; one
// whose book was changed by hand after its save stays; a save that fails
// takes its entry out at once.
TEST_F(UndoTest, AnEntryWhoseSaveNeverCameIsPassedOverAndTakenOut)
{
    TCatalogue& catalogue = Open();
    catalogue.Update(Item(1, "Saved"));
    TItem unsaved = catalogue.Database().ItemAt(0);
    unsaved.Details.Set("rating", "2"); // its details count too
    THistory("books.orbl")
        .Append(2, "Volumnia", {TBookChangeKind::Updated, {{1, catalogue.Database().ItemAt(0), unsaved}}});
    EXPECT_EQ(History().size(), 2u);
    EXPECT_EQ(THistory("books.orbl").ReadAll(nullptr, &catalogue.Database()).size(), 1u);
    EXPECT_EQ(THistory("books.orbl").ReadLines(nullptr, &catalogue.Database()).Count(), 1u);

    Open(false).Update(Item(2, "Next run"));
    std::vector<THistoryEntry> entries = History();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Change.Books[0].After->Fields[0], "Saved");
    EXPECT_EQ(entries[1].Change.Books[0].After->Fields[0], "Next run");

    std::string bytes = DatabaseBytes();
    bytes.replace(bytes.find("Next run"), 8, "By hand!");
    WriteDatabase(bytes);
    Open(false).Update(Item(3, "Third run"));
    EXPECT_EQ(History().size(), 3u);

    const std::string before = DatabaseBytes();
    const std::string history = Folder.ReadFile("books.orbl.history");
    {
        // The entry goes down whole, the database file, longer, does not.
        const std::string title(2000, 'x');
        const TBookChange change{TBookChangeKind::Updated, {{4, Catalogue->Database().ItemAt(3), Item(4, title)}}};
        const size_t line = THistory::Encode(1765000000000, "Volumnia", change).size();
        ASSERT_GT(DatabaseBytes().size() + title.size() - 7, line);
        TFailingWriteStep full(int64_t(line + 1), true);
        EXPECT_THROW(Catalogue->Update(Item(4, title)), EInOutError);
    }
    EXPECT_EQ(DatabaseBytes(), before);
    EXPECT_EQ(Folder.ReadFile("books.orbl.history"), history);
}

// The trim drops an entry only once the entries after it fill three quarters
// of the limit, so an entry larger than the whole limit (a big import) stays
// whole, to be taken back, until then.
TEST_F(UndoTest, AnEntryLargerThanTheLimitStaysUntilNewerOnesFillTheRoom)
{
    THistory history("books.orbl");
    history.SetSizeLimit(4000);
    const THistoryEntry big{
        1, "volumnia-csv", {TBookChangeKind::Imported, {{9, std::nullopt, Item(9, std::string(6000, 'b'))}}}};
    history.Append(big);
    THistoryEntry edit{2, "Volumnia", {TBookChangeKind::Updated, {{1, Item(1, "x"), Item(1, std::string(200, 'y'))}}}};
    const size_t size = THistory::Encode(edit).size();
    size_t after = 0; // the size of the edits after the import
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        history.Append(edit);
        after += size;
        const std::vector<THistoryEntry> entries = history.ReadAll();
        EXPECT_EQ(entries.front().Change.Kind == TBookChangeKind::Imported, after < 3000);
        if (after >= 3000) {
            EXPECT_LE(Folder.ReadFile("books.orbl.history").size(), 4000u);
        }
    }
}

// Neither the append nor the trim writes through a symbolic link at the
// history's name: the link's target stays byte for byte. A hard-linked
// history is replaced, not appended through: its other name keeps its bytes.
TEST_F(UndoTest, AHistoryIsNeverWrittenThroughALinkAtItsName)
{
    const std::string thesis(3000, 't');
    THistoryEntry entry{1, "Volumnia", {TBookChangeKind::Updated, {{1, Item(1, "x"), Item(1, std::string(200, 'y'))}}}};
    for (const bool symbolic : {true, false})
        for (const size_t limit : {size_t(100000), size_t(3000)}) { // an append, then a trim
            SCOPED_TRACE(std::string(symbolic ? "symbolic" : "hard") + (limit < 100000 ? " link, trimmed" : " link"));
            Folder.WriteFile("thesis.txt", thesis);
            ASSERT_EQ(symbolic ? symlink("thesis.txt", "books.orbl.history") : link("thesis.txt", "books.orbl.history"),
                      0);
            THistory history("books.orbl");
            history.SetSizeLimit(limit);
            if (symbolic) {
                EXPECT_NE(ErrorOf<EInOutError>([&] { history.Append(entry); }).find("is a symbolic link"),
                          std::string::npos);
            } else {
                history.Append(entry);
                EXPECT_EQ(history.ReadAll().size(), 1u);
            }
            EXPECT_EQ(Folder.ReadFile("thesis.txt"), thesis);
            ASSERT_EQ(unlink("books.orbl.history"), 0);
        }
}

// A folder at the history's name is no empty history: reading it says so,
// and the catalogue tells it when the history is enabled, before any change.
TEST_F(UndoTest, AFolderAtTheHistorysNameIsSaidBeforeAnyChange)
{
    ASSERT_EQ(mkdir("books.orbl.history", 0777), 0);
    TCatalogue& catalogue = Open();
    std::vector<std::string> told;
    catalogue.EnableHistory("Volumnia", {}, [&told](const std::string& text) { told.push_back(text); });
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "The history of changes cannot be written: books.orbl.history is a folder, not a file. "
                       "Changes are saved, but none reaches the history until that is mended.");
    EXPECT_TRUE(Told.empty());
    std::string note;
    EXPECT_TRUE(History(&note).empty());
    EXPECT_EQ(note, "The history books.orbl.history is a folder, not a file; no change can be kept there.");
    catalogue.Update(Item(1, "a"));
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[1].find("(books.orbl.history is a folder, not a file)"), std::string::npos) << told[1];
}

// Through a symbolic link at the database's name, the history, the due dates
// and the safety copy stand beside the file it leads to, as its lock does.
TEST_F(UndoTest, ThroughALinkAtTheDatabasesNameTheSideFilesStandBesideItsFile)
{
    Open();
    Catalogue.reset();
    ASSERT_EQ(mkdir("real", 0777), 0);
    ASSERT_EQ(rename("books.orbl", "real/books.orbl"), 0);
    ASSERT_EQ(symlink("real/books.orbl", "books.orbl"), 0);
    TCatalogue& catalogue = Open(false);
    catalogue.EnableStartOfRunBackup();
    catalogue.Update(Item(1, "a"));
    EXPECT_TRUE(Folder.Exists("real/books.orbl.history"));
    EXPECT_TRUE(Folder.Exists("real/books.orbl.bak"));
    EXPECT_FALSE(Folder.Exists("books.orbl.history"));
    EXPECT_FALSE(Folder.Exists("books.orbl.bak"));
    EXPECT_EQ(History().size(), 1u);
    const std::string history = THistory::FileNameFor("books.orbl");
    const std::string beside = history.substr(0, history.size() - std::string(".history").size());
    EXPECT_EQ(beside.substr(beside.size() - 16), "/real/books.orbl");
    EXPECT_EQ(TDueDates::FileNameFor("books.orbl"), beside + ".due");
    EXPECT_EQ(TDatabase::BackupFileName("books.orbl"), beside + ".bak");
}

// The line is the stored format: files written before must still read.
TEST_F(UndoTest, AnEntryIsStoredAsItsLineWithItsChecksum)
{
    const THistoryEntry entry{1, "Volumnia", {TBookChangeKind::Updated, {{1, Item(1, "x"), Item(1, "Tab\there")}}}};
    const std::string line = "VH1\t1\tVolumnia\tUpdated\t1\t1\tBA\tx" + std::string(9, '\t') + "\tTab\\there" +
                             std::string(9, '\t') + "\ta8d635be\r\n";
    EXPECT_EQ(THistory::Encode(entry), line);
    THistoryEntry read;
    ASSERT_TRUE(THistory::Decode(line.substr(0, line.size() - 2), read));
    EXPECT_EQ(read.Change.Books[0].After->Fields[0], "Tab\there");
    EXPECT_FALSE(THistory::Decode("X" + line.substr(1, line.size() - 3), read));

    // With details the line is VH2 and gives them back; a number no book can
    // have makes a line damaged.
    THistoryEntry detailed = entry;
    detailed.Change.Books[0].After->Details.Set("tags", "a\tb");
    const std::string two = THistory::Encode(detailed);
    EXPECT_EQ(two.substr(0, 4), "VH2\t");
    ASSERT_TRUE(THistory::Decode(two.substr(0, two.size() - 2), read));
    EXPECT_EQ(read.Change.Books[0].After->Details.Value("tags"), "a\tb");
    EXPECT_TRUE(read.Change.Books[0].Before->Details.Empty());
    for (const int32_t bad : {0, -3}) {
        THistoryEntry wrong = entry;
        wrong.Change.Books[0].ID = bad;
        const std::string encoded = THistory::Encode(wrong);
        EXPECT_FALSE(THistory::Decode(encoded.substr(0, encoded.size() - 2), read)) << bad;
    }
}

} // namespace
