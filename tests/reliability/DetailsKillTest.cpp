// A program killed at any moment of changes that save both the database file
// and the details file: the next load gives every book either its old or its
// new details, never another book's, and leaves no row astray. Each version
// of a book has a cover of its own, stored before the change names it: the
// cover a book is left with is its own, and its file is there, whole.
#include "engine/Catalogue.h"
#include "engine/Covers.h"
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/ModelRun.h"
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

// Each book's title is "<ID> <n>"; its details say the same, so a book with
// details of another version or another book is seen at once.
TDetails DetailsFor(const TItem& book)
{
    TDetails details;
    details.Set("location", book.Fields[0]);
    details.Set("series", "book " + std::to_string(book.ID));
    return details;
}

// The picture of one version of a book: its title, "<ID> <n>".
std::string CoverOf(const TItem& book)
{
    return "cover of " + book.Fields[0];
}

// The details with the version's cover stored as a change stores it: the
// file first, then the detail naming it.
TDetails WithCover(const TItem& book)
{
    TDetails details = DetailsFor(book);
    details.Set("cover", Covers::Store("books.orbl", book.ID, CoverOf(book)));
    return details;
}

std::unique_ptr<TCatalogue> Open()
{
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    return std::make_unique<TCatalogue>(std::move(settings), std::move(database));
}

TEST(DetailsKill, EveryBookHasItsOldOrItsNewDetailsAfterAKillAtAnyMoment)
{
#ifdef VOLUMNIA_SANITIZED
    const int kills = 60;
#else
    const int kills = 300;
#endif
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl") + "CurrentIndex\r\n3\r\nvInteger\r\n");
    std::string database;
    for (int id = 1; id <= 3; ++id) {
        database += std::to_string(id) + "\r\n" + std::to_string(id) + " 0\r\n";
        for (int field = 1; field < 10; ++field)
            database += "\r\n";
    }
    folder.WriteFile("books.orbl", database);
    {
        auto catalogue = Open();
        for (int32_t slot = 0; slot < 3; ++slot) {
            const TItem book = catalogue->Database().ItemAt(slot);
            catalogue->SetDetails(book.ID, WithCover(book));
        }
    }
    std::mt19937 random(3803);
    std::uniform_int_distribution<int> delay(0, 20000);
    int changes = 0;
    for (int kill = 0; kill < kills && !HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const std::string killed = KillWhileChanging(
            [](const std::function<void()>& started) {
                auto catalogue = Open();
                // A kill between a removal and its undo left the book out:
                // it comes back, with its details, as the history would bring it.
                for (int32_t id = 1; id <= 3; ++id)
                    if (!catalogue->Database().ItemExists(id)) {
                        TItem book;
                        book.ID = id;
                        book.Fields[0] = std::to_string(id) + " 0";
                        book.Details = WithCover(book);
                        catalogue->BringBack(book);
                    }
                for (int step = 0;; ++step) {
                    const int32_t slot = step % catalogue->Database().Count();
                    TItem book = catalogue->Database().ItemAt(slot);
                    const size_t space = book.Fields[0].find(' ');
                    book.Fields[0] =
                        std::to_string(book.ID) + " " + std::to_string(std::stoi(book.Fields[0].substr(space + 1)) + 1);
                    switch (step % 3) {
                    case 0: // both files, the fingerprint changing
                        catalogue->Update(book, WithCover(book));
                        break;
                    case 1: // a book removed and brought back by an undo
                        catalogue->Remove(book.ID);
                        catalogue->Undo();
                        break;
                    default: // both books of a bulk change
                        catalogue->ReplaceWhere("Other information (1)", "", "x");
                        catalogue->Undo();
                    }
                    started();
                }
            },
            std::chrono::microseconds(delay(random)));
        ASSERT_EQ(killed, "");

        auto catalogue = Open();
        EXPECT_TRUE(catalogue->StrayDetails().empty()) << catalogue->TakeDetailsNote();
        EXPECT_GE(catalogue->Database().Count(), 2);
        for (int32_t slot = 0; slot < catalogue->Database().Count(); ++slot) {
            const TItem& book = catalogue->Database().ItemAt(slot);
            TDetails details = book.Details;
            const std::string cover = Covers::PathOf("books.orbl", details.Value("cover"));
            details.Remove("cover");
            EXPECT_EQ(details, DetailsFor(book)) << "book " << book.ID << " \"" << book.Fields[0] << "\"";
            ASSERT_TRUE(!cover.empty() && TTextFile::Exists(cover)) << "book " << book.ID;
            EXPECT_EQ(TTextFile::ReadAll(cover), CoverOf(book)) << "book " << book.ID;
        }
        if (catalogue->Database().ItemExists(1)) {
            TItem first;
            catalogue->Database().GetItem(1, 0, first);
            changes = std::max(changes, std::stoi(first.Fields[0].substr(2)));
        }
    }
    std::cout << "[ crashes  ] " << kills << " kills during changes of both files; book 1 changed " << changes
              << " times\n";
    EXPECT_GT(changes, kills / 3) << "the changes did not go on between the kills";
}

} // namespace
