/*
 * A settings file merged with another computer's copy of it: the larger
 * counter, this computer's window places, its own value where both differ,
 * the copy's new keys, all in one save.
 */
#include "settings/SettingsMerge.h"
#include "settings/RFileSystem.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string Entry(const std::string& name, const std::string& value, const std::string& kind = "vString")
{
    return name + "\r\n" + value + "\r\n" + kind + "\r\n";
}

TEST(SettingsMerge, KeyByKey)
{
    const struct {
        const char* What;
        std::string Ours, Theirs, Merged; // Merged: empty when the file stays as it is
    } cases[] = {
        {"their larger counter", Entry("CurrentIndex", "40", "vInteger"), Entry("CurrentIndex", "42", "vInteger"),
         Entry("CurrentIndex", "42", "vInteger")},
        {"our larger counter", Entry("CurrentIndex", "42", "vInteger"), Entry("CurrentIndex", "40", "vInteger"), ""},
        {"a counter that is no number", Entry("CurrentIndex", "42", "vInteger"),
         Entry("CurrentIndex", "4x2", "vInteger"), ""},
        {"window places stay ours, even one only theirs holds",
         Entry("MF_X", "10", "vInteger") + Entry("MF_Y", "20", "vInteger"),
         Entry("MF_X", "900", "vInteger") + Entry("LN_X", "5", "vInteger"), ""},
        {"a value both hold differently stays ours", Entry("SortMethod", "ByName"), Entry("SortMethod", "ByAuthor"),
         ""},
        {"a key only theirs holds is added, its later duplicate not", Entry("SortMethod", "ByName"),
         Entry("LV_COLUMNS", "isbn,series") + Entry("LV_COLUMNS", "other"),
         Entry("SortMethod", "ByName") + Entry("LV_COLUMNS", "isbn,series")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempWorkingFolder folder;
        folder.WriteFile("volumnia.kelt", c.Ours);
        folder.WriteFile("theirs.kelt", c.Theirs);
        TRFileSystem store("volumnia.kelt");
        SettingsMerge::Merge(store, "theirs.kelt");
        EXPECT_EQ(folder.ReadFile("volumnia.kelt"), c.Merged.empty() ? c.Ours : c.Merged);
    }
}

TEST(SettingsMerge, AFailedSaveLeavesTheFileAsItWas)
{
    TTempWorkingFolder folder;
    const std::string ours = Entry("CurrentIndex", "1", "vInteger");
    folder.WriteFile("volumnia.kelt", ours);
    folder.WriteFile("theirs.kelt", Entry("CurrentIndex", "9", "vInteger") + Entry("pcol1", "5", "vInteger"));
    TRFileSystem store("volumnia.kelt");
    ASSERT_EQ(mkdir("volumnia.kelt.saving", 0755), 0); // in the way of the save
    EXPECT_THROW(SettingsMerge::Merge(store, "theirs.kelt"), std::exception);
    EXPECT_EQ(folder.ReadFile("volumnia.kelt"), ours);
    EXPECT_THROW(SettingsMerge::Merge(store, "missing.kelt"), std::exception);
}

} // namespace
