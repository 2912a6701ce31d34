// The start-of-run backup: the first save of a run keeps the file as the run
// found it in "<file>.bak"; later saves leave that copy alone; a backup that
// cannot be written does not stop the save.
#include "platform/TextFile.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/FailingWriteStep.h"

#include <QDir>

#include <functional>

namespace EngineTest {
namespace {

class DatabaseBackup : public TEngineFixture {
protected:
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed
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

// A backup that cannot be written (a full disk, a folder of that name) does
// not stop the save; the owner hears of it once a run.
TEST_F(DatabaseBackup, ABackupThatCannotBeWrittenDoesNotStopTheSave)
{
    const struct {
        const char* What;
        std::function<void(TTempWorkingFolder&)> Arrange;
        std::string Told;
    } cases[] = {
        {"disk full", [this](TTempWorkingFolder&) { WriteFault.FailAfter(5, true); },
         "The backup copy books.orbl.bak could not be written (Disk full); the books are saved without it."},
        {"a folder of that name",
         [](TTempWorkingFolder& folder) { ASSERT_TRUE(QDir(folder.Path()).mkdir("books.orbl.bak")); },
         "The backup copy books.orbl.bak could not be written (Not a regular file: books.orbl.bak); the books are "
         "saved without it."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        OpenWith(FileOf(Numbered(3)));
        std::vector<std::string> told;
        Database->OnBackupProblem = [&](const std::string& text) { told.push_back(text); };
        Database->EnableStartOfRunBackup();
        c.Arrange(Folder);
        Database->DeleteItem(1);
        Database->SaveToFile();
        EXPECT_EQ(DatabaseBytes(), FileOf({Item(2, "Title 2"), Item(3, "Title 3")}));
        Database->DeleteItem(2);
        Database->SaveToFile();
        EXPECT_EQ(DatabaseBytes(), FileOf({Item(3, "Title 3")}));
        EXPECT_EQ(told, std::vector<std::string>{c.Told});
        EXPECT_FALSE(TTextFile::Exists("books.orbl.bak"));
        QDir(Folder.Path()).rmdir("books.orbl.bak");
    }
}

// On a disk with room for two copies of the file but not three, the copy the
// first save has just written (equal to the file still on the disk) makes way.
TEST_F(DatabaseBackup, ABackupThatLeavesNoRoomForTheSaveIsRemoved)
{
    const std::string original = FileOf(Numbered(2));
    OpenWith(original);
    std::vector<std::string> told;
    Database->OnBackupProblem = [&](const std::string& text) { told.push_back(text); };
    Database->EnableStartOfRunBackup();
    Database->AddItem(Item(3, "Title 3"));
    // Room for the backup's bytes, not for the longer new content.
    WriteFault.FailAfter(static_cast<int64_t>(original.size()) + 1, true);
    Database->SaveToFile();
    EXPECT_EQ(DatabaseBytes(), FileOf(Numbered(3)));
    EXPECT_FALSE(Folder.Exists("books.orbl.bak"));
    EXPECT_EQ(told, std::vector<std::string>{"The backup copy books.orbl.bak was removed to make room on the disk; "
                                             "the books are saved without it."});
}

} // namespace
} // namespace EngineTest
