// The start-of-run backup: the first save of a run keeps the file as the run
// found it in "<file>.bak"; later saves leave that copy alone; a backup that
// cannot be written does not stop the save.
#include "platform/TextFile.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/FailingWriteStep.h"

#include <QDir>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

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

// A link planted at "<file>.bak" (by another member of a shared folder, say)
// is replaced by the backup, never written through: its target keeps its
// bytes, and the backup is a file of its own with the database's mode.
TEST_F(DatabaseBackup, ALinkAtTheBackupsNameIsReplacedNeverFollowed)
{
    for (const bool symbolic : {true, false}) {
        SCOPED_TRACE(symbolic ? "symbolic link" : "hard link");
        const std::string original = FileOf(Numbered(2));
        OpenWith(original);
        ASSERT_EQ(chmod("books.orbl", 0640), 0);
        Folder.WriteFile("profile", "the victim's own file\n");
        ASSERT_EQ(symbolic ? symlink("profile", "books.orbl.bak") : link("profile", "books.orbl.bak"), 0);
        Database->EnableStartOfRunBackup();
        Database->DeleteItem(1);
        Database->SaveToFile();
        EXPECT_EQ(Folder.ReadFile("profile"), "the victim's own file\n");
        struct stat backup = {};
        ASSERT_EQ(lstat("books.orbl.bak", &backup), 0);
        EXPECT_TRUE(S_ISREG(backup.st_mode));
        EXPECT_EQ(backup.st_nlink, 1u);
        EXPECT_EQ(backup.st_mode & 07777, 0640u);
        EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), original);
        EXPECT_EQ(DatabaseBytes(), FileOf({Item(2, "Title 2")}));
        Folder.Remove("books.orbl.bak");
        Folder.Remove("profile");
    }
}

// When neither the backup nor the books can be written, the note does not
// claim the books were saved.
TEST_F(DatabaseBackup, ANoteOnAFullDiskNeverClaimsASave)
{
    const std::string original = FileOf(Numbered(3));
    OpenWith(original);
    std::vector<std::string> told;
    Database->OnBackupProblem = [&](const std::string& text) { told.push_back(text); };
    Database->EnableStartOfRunBackup();
    Database->DeleteItem(1);
    WriteFault.FailAfter(5, false);
    EXPECT_EQ(ErrorOf<EInOutError>([&] { Database->SaveToFile(); }), "Disk full");
    EXPECT_EQ(told, std::vector<std::string>{"The backup copy books.orbl.bak could not be written (Disk full), and "
                                             "the books were not saved either."});
    EXPECT_EQ(DatabaseBytes(), original);
    EXPECT_FALSE(Folder.Exists("books.orbl.bak"));
}

} // namespace
} // namespace EngineTest
