// A program killed at any moment of its changes, which save the database file
// and the details file, and of the history's trims (a small size limit, so
// that every few changes rewrite it): read with the database, the history
// holds exactly the changes the files hold, none missing and none extra, each
// entry going on from the one before; what a kill left ahead of a save is
// passed over and taken out by the next run's first change.
#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "tests/reliability/ModelRun.h"
#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Reliability;

// Change n gives book 1 the title n, or, every third, the copies n in its
// details: the highest of the two counts the changes.
int Counter(const TItem& book)
{
    const std::string copies = book.Details.Value("copies");
    return std::max(std::stoi(book.Fields[0]), copies.empty() ? 0 : std::stoi(copies));
}

bool Same(const TItem& a, const TItem& b)
{
    return a.Fields == b.Fields && a.Details == b.Details;
}

std::unique_ptr<TCatalogue> Open()
{
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings, TDatabase::TLoadOnly{});
    return std::make_unique<TCatalogue>(std::move(settings), std::move(database));
}

TEST(HistoryKill, TheHistoryHoldsExactlyTheChangesTheFilesHoldAfterAKillAtAnyMoment)
{
#ifdef VOLUMNIA_SANITIZED
    const int kills = 60;
#else
    const int kills = 300;
#endif
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl") + "CurrentIndex\r\n1\r\nvInteger\r\n");
    folder.WriteFile("books.orbl", "1\r\n0\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    std::mt19937 random(3003);
    std::uniform_int_distribution<int> delay(0, 40000);
    size_t damagedBefore = 0;
    int ahead = 0;   // kills that left an entry ahead of a save that never came
    int inTrim = 0;  // kills while the history was being rewritten
    int trimmed = 0; // times the oldest entry was found gone
    int oldest = 0;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const std::string killed = KillWhileChanging(
            [&](const std::function<void()>& started) {
                auto catalogue = Open();
                catalogue->EnableHistory("Volumnia", {}, [](const std::string&) { _exit(4); });
                catalogue->SetHistorySizeLimit(1600);
                // Every other run is killed during its first change, which
                // settles what the last kill left; the others once one
                // change is saved, so that the changes go on.
                if (kill % 2 == 0)
                    started();
                for (;;) {
                    TItem book = catalogue->Database().ItemAt(0);
                    const int next = Counter(book) + 1;
                    if (next % 3 == 0) {
                        book.Details.Set("copies", std::to_string(next));
                        catalogue->SetDetails(1, book.Details);
                    } else {
                        book.Fields[0] = std::to_string(next);
                        catalogue->Update(book);
                    }
                    started();
                }
            },
            std::chrono::microseconds(delay(random)));
        ASSERT_EQ(killed, "");
        // A rewrite's new file, left by the kill (and removed, so that the
        // next kill is counted alone).
        inTrim += unlink("books.orbl.history.saving") == 0 ? 1 : 0;

        const auto catalogue = Open();
        const TItem saved = catalogue->Database().ItemAt(0);
        std::string note;
        const THistory history("books.orbl");
        const std::vector<THistoryEntry> entries = history.ReadAll(&note, &catalogue->Database());
        const std::vector<THistoryEntry> written = history.ReadAll();
        if (Counter(saved) == 0) {
            EXPECT_TRUE(entries.empty());
            continue;
        }
        ASSERT_FALSE(entries.empty());
        // Each entry goes on from the one before: none is missing between.
        for (size_t i = 1; i < entries.size(); ++i) {
            const TBookChange::TBook& book = entries[i].Change.Books.at(0);
            ASSERT_TRUE(book.Before && book.After);
            EXPECT_TRUE(Same(*book.Before, *entries[i - 1].Change.Books[0].After)) << "entry " << i;
            EXPECT_EQ(Counter(*book.After), Counter(*book.Before) + 1);
        }
        // The last one left the book as the files hold it: none missing at
        // the end, none extra.
        EXPECT_TRUE(Same(*entries.back().Change.Books[0].After, saved))
            << "the history's last change gives " << Counter(*entries.back().Change.Books[0].After)
            << ", the files hold " << Counter(saved);
        // The file itself holds at most one entry more: the one a kill left
        // ahead of its save, which does not count.
        ASSERT_GE(written.size(), entries.size());
        ASSERT_LE(written.size(), entries.size() + 1);
        if (written.size() > entries.size()) {
            ++ahead;
            EXPECT_TRUE(THistory::NeverSaved(written.back().Change, THistory::In(catalogue->Database())));
        }
        const int first = Counter(*entries.front().Change.Books[0].Before);
        trimmed += first > oldest ? 1 : 0;
        oldest = first;
        // At most the entry being written at each kill is lost.
        const size_t damaged = note.empty() ? 0 : std::stoul(note);
        EXPECT_LE(damaged, damagedBefore + 1);
        damagedBefore = damaged;
    }
    const int changes = Counter(Open()->Database().ItemAt(0));
    std::cout << "[ crashes  ] " << kills << " kills during changes and trims: " << changes << " changes saved, "
              << ahead << " kills between an entry and its save, " << inTrim << " during a rewrite of the history, "
              << trimmed << " trims seen, " << damagedBefore << " entries cut\n";
    EXPECT_GE(changes, kills / 2) << "the changes did not go on between the kills";
    EXPECT_GT(trimmed, 10) << "the kills did not meet the history's trims";
    EXPECT_GT(inTrim + ahead, 0);
}

} // namespace
