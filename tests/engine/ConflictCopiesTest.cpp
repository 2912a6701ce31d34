/*
 * The sync tools' conflict copies: each tool's naming form found as a copy of
 * the database, of its side files and of the settings file; names that only
 * look alike passed over; copies moved aside, never replacing one another.
 */
#include "engine/ConflictCopies.h"
#include "platform/EInOutError.h"
#include "settings/RFileSystem.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(ConflictCopies, EachToolsNamesAreFoundAndLookalikesAreNot)
{
    const struct {
        const char* Name;
        const char* Original; // nullptr: no copy
        const char* Tool;
    } cases[] = {
        {"books.sync-conflict-20261208-101010-ABCDEFG.orbl", "books.orbl", "Syncthing"},
        {"books.sync-conflict-20261208-101011-.orbl", "books.orbl", "Syncthing"},
        {"books (conflicted copy 2026-12-08 101012).orbl", "books.orbl", "Nextcloud"},
        {"books (conflicted copy Anna B 2026-12-08 101013).orbl", "books.orbl", "Nextcloud"},
        {"books_conflict-20261208-101014.orbl", "books.orbl", "Nextcloud"},
        {"books (Anna's conflicted copy 2026-12-07).orbl", "books.orbl", "Dropbox"},
        {"books (Anna's conflicted copy 2026-12-07 (2)).orbl", "books.orbl", "Dropbox"},
        {"books.orbl.sync-conflict-20261208-101015-ABCDEFG.details", "books.orbl.details", "Syncthing"},
        {"books.orbl (conflicted copy 2026-12-08 101016).history", "books.orbl.history", "Nextcloud"},
        {"books.orbl (Laptop's conflicted copy 2026-12-09).details", "books.orbl.details", "Dropbox"},
        // Only alike.
        {"books2.sync-conflict-20261208-101010-ABCDEFG.orbl", nullptr, nullptr},
        {"books.sync-conflict-20261308-101010-ABCDEFG.orbl", nullptr, nullptr}, // month 13
        {"books.sync-conflict-20261208-246010-ABCDEFG.orbl", nullptr, nullptr}, // hour 24
        {"books.sync-conflict-20261208-101010-ABCDEF.orbl", nullptr, nullptr},
        {"books.sync-conflict-20261208-101010-abcdefg.orbl", nullptr, nullptr},
        {"books.sync-conflict-20261208-101010-ABCDEFG.orbl.saving", nullptr, nullptr},
        {"books.sync-conflict-20261208-101010-ABCDEFG.sync-conflict-20261209-101010-HIJKLMN.orbl", nullptr, nullptr},
        {"books (conflicted copy).orbl", nullptr, nullptr},
        {"books (conflicted copy 2026-12-08 1010).orbl", nullptr, nullptr},
        {"books (conflicted copy (Anna) 2026-12-08 101010).orbl", nullptr, nullptr},
        {"books (Anna's copy 2026-12-08).orbl", nullptr, nullptr},
        {"books (Anna's conflicted copy 2026-12-08 (x)).orbl", nullptr, nullptr},
        {"books_conflict-2026120-101010.orbl", nullptr, nullptr},
        {"books.orbl.sync-conflict-20261208-101010-ABCDEFG.bak", nullptr, nullptr},
        {"~syncthing~books.orbl.tmp", nullptr, nullptr},
        {".syncthing.books.orbl.tmp", nullptr, nullptr},
    };
    TTempWorkingFolder folder;
    folder.WriteFile("books.orbl", "");
    for (const auto& c : cases)
        folder.WriteFile(c.Name, c.Name);
    // A folder and a link of a copy's name are no copies.
    ASSERT_EQ(mkdir("books.sync-conflict-20261210-101010-ABCDEFG.orbl", 0755), 0);
    ASSERT_EQ(symlink("books.orbl", "books (conflicted copy 2026-12-10 101010).orbl"), 0);

    const std::vector<TConflictCopy> copies = FindConflictCopies("books.orbl");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto found =
            std::find_if(copies.begin(), copies.end(), [&](const auto& copy) { return copy.Path == c.Name; });
        ASSERT_EQ(found != copies.end(), c.Original != nullptr);
        if (c.Original) {
            EXPECT_EQ(found->Original, c.Original);
            EXPECT_EQ(found->Tool, c.Tool);
        }
    }
    // Oldest first, by the time in the name.
    ASSERT_EQ(copies.size(), 10u);
    EXPECT_EQ(copies.front().Path, "books (Anna's conflicted copy 2026-12-07).orbl");
    EXPECT_EQ(copies[1].Path, "books (Anna's conflicted copy 2026-12-07 (2)).orbl");
    EXPECT_EQ(copies.back().Path, "books.orbl (Laptop's conflicted copy 2026-12-09).details");
}

TEST(ConflictCopies, TheSettingsFileAndAFileReachedByALink)
{
    TTempWorkingFolder folder;
    ASSERT_EQ(mkdir("shared", 0755), 0);
    folder.WriteFile("shared/books.orbl", "");
    folder.WriteFile("shared/books.sync-conflict-20261208-101010-ABCDEFG.orbl", "");
    folder.WriteFile("shared/books.orbl.sync-conflict-20261208-101010-ABCDEFG.history", "");
    ASSERT_EQ(symlink("shared/books.orbl", "link.orbl"), 0);
    folder.WriteFile("volumnia.kelt", "");
    folder.WriteFile("volumnia.sync-conflict-20261208-101010-ABCDEFG.kelt", "");

    const auto copies = FindConflictCopies("link.orbl");
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].Path, folder.FilePath("shared/books.orbl.sync-conflict-20261208-101010-ABCDEFG.history"));
    EXPECT_EQ(copies[0].Original, folder.FilePath("shared/books.orbl.history"));
    EXPECT_EQ(copies[1].Path, folder.FilePath("shared/books.sync-conflict-20261208-101010-ABCDEFG.orbl"));
    EXPECT_EQ(copies[1].Original, "link.orbl");

    const auto settings = FindConflictCopies(folder.FilePath("volumnia.kelt"));
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings[0].Path, folder.FilePath("volumnia.sync-conflict-20261208-101010-ABCDEFG.kelt"));
    EXPECT_TRUE(FindConflictCopies("missing/books.orbl").empty());
}

TEST(ConflictCopies, MovedAsideNeverReplacesAnEarlierOne)
{
    TTempWorkingFolder folder;
    folder.WriteFile("books.orbl", "");
    const std::string name = "books.sync-conflict-20261208-101010-ABCDEFG.orbl";
    for (const char* content : {"first", "second"}) {
        folder.WriteFile(name, content);
        const auto copies = FindConflictCopies("books.orbl");
        ASSERT_EQ(copies.size(), 1u);
        MoveAside(copies[0]);
        EXPECT_FALSE(folder.Exists(name));
    }
    EXPECT_EQ(folder.ReadFile(".volumnia-merged/" + name), "first");
    EXPECT_EQ(folder.ReadFile(".volumnia-merged/" + name + ".2"), "second");
    EXPECT_TRUE(FindConflictCopies("books.orbl").empty());
    EXPECT_THROW(MoveAside({name, "books.orbl", "Syncthing"}), EInOutError);
}

// Each copy merged in and moved aside; one that is no settings file stays.
TEST(ConflictCopies, TheSettingsCopiesAreMergedAndMovedAside)
{
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt", "CurrentIndex\r\n7\r\nvInteger\r\n");
    folder.WriteFile("volumnia.sync-conflict-20261208-101010-ABCDEFG.kelt", "CurrentIndex\r\n9\r\nvInteger\r\n");
    folder.WriteFile("volumnia (conflicted copy 2026-12-08 101011).kelt", "CurrentIndex\r\n8\r\nvInteger\r\n");
    folder.WriteFile("volumnia (Anna's conflicted copy 2026-12-09).kelt", "CurrentIndex\r\n");
    TRFileSystem settings("volumnia.kelt");
    EXPECT_EQ(MergeSettingsCopies(settings).size(), 2u);
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("CurrentIndex"), 9);
    EXPECT_TRUE(folder.Exists(".volumnia-merged/volumnia.sync-conflict-20261208-101010-ABCDEFG.kelt"));
    EXPECT_TRUE(folder.Exists("volumnia (Anna's conflicted copy 2026-12-09).kelt"));
}

} // namespace
