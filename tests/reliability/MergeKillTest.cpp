// A program killed at any moment of a merge with a sync tool's conflict
// copy: the catalogue holds the books as before the merge or as after it,
// details included, never a mix; the history holds the merge exactly when the
// files do; and the merge done again at the next start, as Volumnia does
// while the copy is still there, ends with the merged books once, none twice.
#include "engine/Catalogue.h"
#include "engine/ConflictCopies.h"
#include "engine/History.h"
#include "engine/Merge.h"
#include "engine/ORBL.h"
#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/TempWorkingFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <random>
#include <thread>

namespace {

using namespace Reliability;

const std::string Copy = "books.sync-conflict-20261208-101010-ABCDEFG.orbl";
const std::string HistoryCopy = "books.orbl.sync-conflict-20261208-101010-ABCDEFG.history";
const std::string DetailsCopy = "books.orbl.sync-conflict-20261208-101010-ABCDEFG.details";

std::unique_ptr<TCatalogue> Open()
{
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    auto catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
    catalogue->ReadCurrentIndex();
    catalogue->EnableHistory("Volumnia");
    return catalogue;
}

// As Volumnia's start: every copy merged, each clash as ours has it, then moved aside.
void MergeCopies(TCatalogue& catalogue)
{
    const std::string& database = catalogue.Database().FileName();
    for (const Merge::TCopyFiles& files : Merge::DatabaseCopies(database, FindConflictCopies(database))) {
        const Merge::TPlan plan =
            Merge::Plan(Merge::OurSide(catalogue.Database()),
                        Merge::ReadSide(files.Database, files.Details, files.History, catalogue.Database()));
        catalogue.Merge(Merge::Settled(plan), plan.Added, plan.HighestNumber);
        for (const TConflictCopy& copy : files.Aside)
            MoveAside(copy);
    }
    for (const TConflictCopy& copy : Merge::LeftBehind(database, FindConflictCopies(database)))
        MoveAside(copy);
}

// The books as held, by number, each as its texts and details.
std::map<int32_t, std::string> Books(const TCatalogue& catalogue)
{
    std::map<int32_t, std::string> books;
    const TDatabase& database = catalogue.Database();
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& book = database.ItemAt(slot);
        std::string text;
        for (const std::string& field : book.Fields)
            text += field + "|";
        for (const auto& [key, value] : book.Details.Values())
            text += key + "=" + value + "|";
        books[book.ID] = text;
    }
    return books;
}

TItem Changed(const TCatalogue& catalogue, int32_t id, size_t field, const std::string& text)
{
    TItem book = catalogue.Database().ItemAt(catalogue.Database().SlotOf(id));
    book.Fields[field] = text;
    return book;
}

TEST(MergeKill, AKilledMergeLeavesTheBooksAsBeforeOrAsAfterAndTheNextStartMergesOnce)
{
#ifdef VOLUMNIA_SANITIZED
    const int kills = 40;
#else
    const int kills = 150;
#endif
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl") + "CurrentIndex\r\n20\r\nvInteger\r\n");
    std::string database;
    for (int id = 1; id <= 20; ++id) {
        database += std::to_string(id) + "\r\nTitle " + std::to_string(id) + "\r\n";
        for (int field = 1; field < 10; ++field)
            database += "\r\n";
    }
    folder.WriteFile("books.orbl", database);
    {
        auto shared = Open();
        TDetails details;
        details.Set("series", "Shared");
        shared->SetDetails(1, details);
    }
    std::map<std::string, std::string> base;
    for (const char* name : {"volumnia.kelt", "books.orbl", "books.orbl.details", "books.orbl.history"})
        base[name] = folder.ReadFile(name);
    {
        // The other computer: details of ten books, a field of five, three new books.
        auto theirs = Open();
        for (int32_t id = 1; id <= 10; ++id) {
            TDetails details;
            details.Set("location", "Shelf " + std::to_string(id));
            theirs->SetDetails(id, details);
        }
        for (int32_t id = 11; id <= 15; ++id)
            theirs->Update(Changed(*theirs, id, 2, "Theirs"));
        for (int n = 0; n < 3; ++n)
            theirs->Add(Changed(*theirs, 1, 0, "New " + std::to_string(n)));
    }
    std::map<std::string, std::string> files = {{Copy, folder.ReadFile("books.orbl")},
                                                {DetailsCopy, folder.ReadFile("books.orbl.details")},
                                                {HistoryCopy, folder.ReadFile("books.orbl.history")}};
    for (const auto& [name, bytes] : base)
        folder.WriteFile(name, bytes);
    {
        auto ours = Open();
        for (int32_t id = 16; id <= 20; ++id)
            ours->Update(Changed(*ours, id, 3, "1999"));
        ours->Add(Changed(*ours, 2, 0, "Ours new"));
    }
    for (const char* name : {"volumnia.kelt", "books.orbl", "books.orbl.details", "books.orbl.history"})
        files[name] = folder.ReadFile(name);
    const auto restore = [&] {
        QDir(folder.Path() + QStringLiteral("/.volumnia-merged")).removeRecursively();
        for (const auto& [name, bytes] : files)
            folder.WriteFile(name, bytes);
    };
    restore();
    const std::map<int32_t, std::string> before = Books(*Open());
    const size_t entriesBefore = THistory("books.orbl").ReadAll().size();
    MergeCopies(*Open());
    const std::map<int32_t, std::string> after = Books(*Open());
    ASSERT_EQ(after.size(), before.size() + 3);

    std::mt19937 random(4711);
    std::uniform_int_distribution<int> delay(0, 60000);
    int asBefore = 0;
    int asAfter = 0;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        restore();
        const std::string killed = KillWhileChanging(
            [](const std::function<void()>& started) {
                auto catalogue = Open();
                started();
                MergeCopies(*catalogue);
                for (;;)
                    std::this_thread::sleep_for(std::chrono::seconds(1));
            },
            std::chrono::microseconds(delay(random)));
        ASSERT_EQ(killed, "");

        auto catalogue = Open();
        const std::map<int32_t, std::string> held = Books(*catalogue);
        ASSERT_TRUE(held == before || held == after) << held.size() << " books";
        (held == before ? asBefore : asAfter)++;
        const std::vector<THistoryEntry> history = THistory("books.orbl").ReadAll(nullptr, &catalogue->Database());
        ASSERT_EQ(history.size(), entriesBefore + (held == after ? 1 : 0));
        EXPECT_EQ(history.back().Change.Kind == TBookChangeKind::Merged, held == after);

        // The next start: whatever copy is still there is merged, once.
        MergeCopies(*catalogue);
        std::multiset<std::string> merged;
        std::multiset<std::string> expected;
        for (const auto& [id, book] : Books(*Open()))
            merged.insert(book);
        for (const auto& [id, book] : after)
            expected.insert(book);
        ASSERT_EQ(merged, expected);
        EXPECT_TRUE(FindConflictCopies("books.orbl").empty());
    }
    std::cout << "[ crashes  ] " << kills << " kills during a merge: " << asBefore << " left as before, " << asAfter
              << " as after\n";
    EXPECT_GT(asBefore, 0);
    EXPECT_GT(asAfter, 0);
}

} // namespace
