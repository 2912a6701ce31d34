// The merge's plan where the model run does not reach: two copies without a
// shared history entry (each differing book a clash of the whole book), a
// removal against an edit, and the files read for a copy: its side files'
// copies by the tool's marker, or a hand copy's own side files.
#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/Merge.h"
#include "platform/EInOutError.h"
#include "tests/engine/EngineFixture.h"

namespace {

using namespace EngineTest;

std::string Line(const TBookChange& change)
{
    std::string line = THistory::Encode(1765000000000, "Volumnia", change);
    return line.substr(0, line.size() - 2);
}

TEST(MergeTest, ClashesOfWholeBooksAndRemovals)
{
    const TItem a = Item(1, "A"), b = Item(2, "B"), c = Item(3, "C");
    const TItem b2 = Item(2, "B", "", "Edited"), a2 = Item(1, "A", "", "Edited");
    const std::string shared = Line({TBookChangeKind::Imported, {{1, std::nullopt, a}, {2, std::nullopt, b}}});
    const struct {
        const char* Name;
        Merge::TSide Ours, Theirs;
        std::vector<std::pair<int32_t, std::string>> Clashes;
        std::vector<int32_t> Removed;         // by the plan, clashes left as ours
        std::vector<int32_t> RemovedIfTheirs; // every clash settled as the copy has it
        size_t ChangedIfTheirs;
    } cases[] = {
        {"no shared entry: each differing book", {{a, b}, {}}, {{a, b2, c}, {}}, {{2, ""}, {3, ""}}, {}, {}, 2},
        {"removed by theirs, left by ours",
         {{a, b}, {shared}},
         {{a}, {shared, Line({TBookChangeKind::Removed, {{2, b, std::nullopt}}})}},
         {},
         {2},
         {2},
         1},
        {"removed by theirs, edited by ours",
         {{a, b2}, {shared, Line({TBookChangeKind::Updated, {{2, b, b2}}})}},
         {{a2},
          {shared, Line({TBookChangeKind::Removed, {{2, b, std::nullopt}}}),
           Line({TBookChangeKind::Updated, {{1, a, a2}}})}},
         {{2, ""}},
         {},
         {2},
         2},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Name);
        Merge::TPlan plan = Merge::Plan(test.Ours, test.Theirs);
        std::vector<std::pair<int32_t, std::string>> clashes;
        for (const Merge::TClash& clash : plan.Clashes)
            clashes.emplace_back(clash.ID, clash.Unit);
        EXPECT_EQ(clashes, test.Clashes);
        std::vector<int32_t> removed;
        for (const TBookChange::TBook& book : Merge::Settled(plan))
            if (!book.After)
                removed.push_back(book.ID);
        EXPECT_EQ(removed, test.Removed);
        for (Merge::TClash& clash : plan.Clashes)
            clash.TakeTheirs = true;
        const std::vector<TBookChange::TBook> settled = Merge::Settled(plan);
        removed.clear();
        for (const TBookChange::TBook& book : settled)
            if (!book.After)
                removed.push_back(book.ID);
        EXPECT_EQ(removed, test.RemovedIfTheirs);
        EXPECT_EQ(settled.size(), test.ChangedIfTheirs);
    }
}

TEST(MergeTest, ACopysSideFilesAreItsToolsCopiesOrItsOwn)
{
    TTempWorkingFolder folder;
    const std::string copy = "books.sync-conflict-20261208-101010-ABCDEFG.orbl";
    const std::vector<TConflictCopy> found = {
        {copy, "books.orbl", "Syncthing"},
        {"books.orbl.sync-conflict-20261207-090000-QQQQQQQ.history", "books.orbl.history", "Syncthing"},
        {"books.orbl.sync-conflict-20261208-101010-ABCDEFG.history", "books.orbl.history", "Syncthing"},
        {"books.orbl.sync-conflict-20261209-090000-QQQQQQQ.history", "books.orbl.history", "Syncthing"},
        {"books.orbl (conflicted copy 2026-12-08 101010).details", "books.orbl.details", "Nextcloud"},
    };
    for (const TConflictCopy& c : found)
        folder.WriteFile(c.Path, "x");
    folder.WriteFile("books.orbl", "");
    const Merge::TCopyFiles files = Merge::FilesOf(copy, "books.orbl", found);
    EXPECT_EQ(files.History, found[2].Path);
    EXPECT_EQ(files.Details, "books.orbl.details"); // no Syncthing copy of it: the database's own
    ASSERT_EQ(files.Aside.size(), 2u);
    EXPECT_EQ(files.Aside[1].Path, found[2].Path);

    folder.WriteFile("by hand.orbl", "");
    folder.WriteFile("by hand.orbl.history", "");
    const Merge::TCopyFiles byHand = Merge::FilesOf("by hand.orbl", "books.orbl", found);
    EXPECT_EQ(byHand.History, "by hand.orbl.history");
    EXPECT_EQ(byHand.Details, "books.orbl.details");
    EXPECT_TRUE(byHand.Aside.empty());
}

class MergeChangeTest : public TEngineFixture {};

TEST_F(MergeChangeTest, AReadOnlyCatalogueRefusesAMergeBeforeTheCounterIsWritten)
{
    WriteSettings([] {
        std::vector<std::string> lines = SettingsLines();
        lines.insert(lines.end(), {"CurrentIndex", "2", "vInteger"});
        return lines;
    }());
    WriteDatabase(FileOf(Numbered(2)));
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    TCatalogue catalogue(std::move(settings), std::move(database));
    catalogue.ReadCurrentIndex();
    catalogue.SetReadOnly("Read-only.");
    const std::string settingsBefore = Folder.ReadFile("volumnia.kelt");
    EXPECT_EQ(ErrorOf<EInOutError>([&] { catalogue.Merge({}, {Item(7, "Theirs")}, 9); }), "Read-only.");
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), settingsBefore);
    EXPECT_EQ(DatabaseBytes(), FileOf(Numbered(2)));
    EXPECT_EQ(catalogue.CurrentIndex(), 2);
}

} // namespace
