// The start-of-run backup: the first save of a run keeps the file as the run
// found it in "<file>.bak"; later saves leave that copy alone; a backup that
// cannot be written stops the save with the old file and memory untouched.
#include "platform/TextFile.h"
#include "tests/engine/EngineFixture.h"

namespace EngineTest {
namespace {

class DatabaseBackup : public TEngineFixture {
protected:
    void TearDown() override { TTextFile::ClearWriteFault(); }
};

TEST_F(DatabaseBackup, OnlyAnEngineAskedForItWritesABackup)
{
    OpenWith(FileOf(Numbered(3)));
    Database->DeleteItem(2);
    Database->SaveToFile();
    EXPECT_FALSE(Folder.Exists("books.orbl.bak"));
}

TEST_F(DatabaseBackup, FirstSaveKeepsTheFileAsTheRunFoundIt)
{
    const std::string original = FileOf(Numbered(3));
    OpenWith(original);
    Folder.WriteFile("books.orbl.bak", "a backup of an earlier run");
    Database->EnableStartOfRunBackup();
    Database->DeleteWhere("Book title", "Title 1");
    Database->SaveToFile();
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), original);
    EXPECT_EQ(DatabaseBytes(), FileOf({Item(2, "Title 2"), Item(3, "Title 3")}));

    Database->DeleteItem(3);
    Database->SaveToFile();
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), original) << "later saves keep the start-of-run copy";
    EXPECT_EQ(Folder.FileNames(), (std::vector<std::string>{"books.orbl", "books.orbl.bak", "volumnia.kelt"}));
}

TEST_F(DatabaseBackup, FailedBackupStopsTheSaveAndIsTriedAgain)
{
    const std::string original = FileOf(Numbered(2));
    OpenWith(original);
    Database->EnableStartOfRunBackup();
    Database->DeleteItem(1);
    TTextFile::InjectWriteFault(5, true); // the first write of the save is the backup
    EXPECT_EQ(ErrorOf<EInOutError>([&] { Database->SaveToFile(); }), "Disk full");
    EXPECT_EQ(DatabaseBytes(), original) << "the save did not go ahead";
    EXPECT_FALSE(Folder.Exists("books.orbl.bak"));
    EXPECT_TRUE(Slot(0).Deleted) << "memory is as it was";

    Database->SaveToFile();
    EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), original);
    EXPECT_EQ(DatabaseBytes(), FileOf({Item(2, "Title 2")}));
}

} // namespace
} // namespace EngineTest
