// A program killed at any moment of its changes: the database file holds the
// last change saved, and the history beside it is whole up to its last entry
// and never holds a change the database lacks (it is written after the save).
#include "engine/Catalogue.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Reliability;

// The number the title of book 1 holds ("0" at the start).
int TitleNumber(const TItem& book)
{
    return std::stoi(book.Fields[0]);
}

TEST(HistoryKill, HistoryIsWholeUpToItsLastEntryAndNeverAheadOfTheDatabase)
{
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl") + "CurrentIndex\r\n1\r\nvInteger\r\n");
    folder.WriteFile("books.orbl", "1\r\n0\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    const auto databaseNumber = [] {
        TRFileSystem settings("volumnia.kelt");
        TDatabase database(settings, TDatabase::TLoadOnly{});
        return TitleNumber(database.ItemAt(0));
    };
    std::mt19937 random(3003);
    std::uniform_int_distribution<int> delay(0, 15000);
    const int kills = 100;
    size_t damagedBefore = 0;
    int behind = 0; // kills between a save and its history entry
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        std::fflush(nullptr);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(ready[0]);
            try {
                auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
                auto database = std::make_unique<TDatabase>(*settings);
                TCatalogue catalogue(std::move(settings), std::move(database));
                catalogue.EnableHistory("Volumnia", {}, [](const std::string&) { _exit(4); });
                bool told = false;
                for (;;) {
                    TItem book = catalogue.Database().ItemAt(0);
                    book.Fields[0] = std::to_string(TitleNumber(book) + 1);
                    catalogue.Update(book);
                    const char go = 1;
                    if (!told && write(ready[1], &go, 1) != 1)
                        _exit(2);
                    told = true;
                }
            } catch (...) {
                _exit(3);
            }
        }
        close(ready[1]);
        char go = 0;
        const bool started = read(ready[0], &go, 1) == 1;
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(started);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own, code " << WEXITSTATUS(status);

        const int saved = databaseNumber();
        std::string note;
        const std::vector<THistoryEntry> entries = THistory("books.orbl").ReadAll(&note);
        ASSERT_FALSE(entries.empty());
        // Each entry whole and in order: every change from 1 up, none twice,
        // but for the one a kill cut after its save.
        for (size_t i = 1; i < entries.size(); ++i) {
            const int before = TitleNumber(*entries[i].Change.Books[0].Before);
            EXPECT_EQ(TitleNumber(*entries[i].Change.Books[0].After), before + 1);
            EXPECT_GE(before, TitleNumber(*entries[i - 1].Change.Books[0].After));
            EXPECT_LE(before, TitleNumber(*entries[i - 1].Change.Books[0].After) + 1);
        }
        const int last = TitleNumber(*entries.back().Change.Books[0].After);
        EXPECT_LE(last, saved) << "the history holds a change the database lacks";
        EXPECT_GE(last, saved - 1) << "more than the change being written is missing";
        behind += last < saved ? 1 : 0;
        // At most the entry being written at each kill is lost.
        const size_t damaged = note.empty() ? 0 : std::stoul(note);
        EXPECT_LE(damaged, damagedBefore + 1);
        damagedBefore = damaged;
    }
    std::cout << "[ crashes  ] " << kills << " kills during changes: " << databaseNumber() << " changes saved, "
              << behind << " kills after a save and before its history entry, " << damagedBefore << " entries cut\n";
    EXPECT_GT(databaseNumber(), kills) << "the changes did not go on between the kills";
}

} // namespace
