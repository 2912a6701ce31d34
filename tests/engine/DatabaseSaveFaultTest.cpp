// A save that cannot be completed: the old file must stay byte for byte, the
// error must reach the caller, the store in memory (deleted marks included)
// must stay as it was, and no temporary file may be left behind. Faults are
// injected at every byte of the new content, and once for real: a child
// process writes under a file size limit, as on a full disk.
#include "tests/engine/EngineFixture.h"

#include "platform/TextFile.h"
#include "tests/support/FailingWriteStep.h"

#include <QDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace EngineTest;

namespace {

class DatabaseSaveFault : public TEngineFixture {
protected:
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed

    // A store whose next save differs from its file: one item changed, one
    // added, one marked deleted.
    TDatabase& OpenChanged()
    {
        TDatabase& db = OpenWith(FileOf(Numbered(4)));
        db.UpdateItem(Item(2, "Changed title", "Changed author"));
        db.AddItem(Item(10, "Added"));
        db.DeleteItem(3);
        return db;
    }
    std::string MemoryState() const
    {
        std::string state = std::to_string(Database->Count()) + (Database->Empty() ? "E" : "-");
        for (int32_t i = 0; i < Database->Count() + 1; ++i) {
            const TItem item = Slot(i);
            state += "|" + std::to_string(item.ID) + (item.Deleted ? "D" : "");
            for (const std::string& field : item.Fields)
                state += "," + field;
        }
        return state;
    }
    std::string NewContent() const
    {
        return FileOf(
            {Item(1, "Title 1"), Item(2, "Changed title", "Changed author"), Item(4, "Title 4"), Item(10, "Added")});
    }
};

TEST_F(DatabaseSaveFault, InjectedFaultAtEveryByteKeepsFileAndMemory)
{
    TDatabase& db = OpenChanged();
    const std::string oldFile = DatabaseBytes();
    const std::string memory = MemoryState();
    const std::vector<std::string> files = Folder.FileNames();
    const int64_t size = static_cast<int64_t>(NewContent().size());

    for (int64_t n = 0; n <= size; ++n) {
        WriteFault.FailAfter(n, true);
        EXPECT_THROW(db.SaveToFile(), EInOutError) << "fault after " << n << " bytes";
        ASSERT_EQ(DatabaseBytes(), oldFile) << "fault after " << n << " bytes";
        ASSERT_EQ(MemoryState(), memory) << "fault after " << n << " bytes";
        ASSERT_EQ(Folder.FileNames(), files) << "fault after " << n << " bytes";
    }
    WriteFault.Clear();
    db.SaveToFile();
    EXPECT_EQ(DatabaseBytes(), NewContent());
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 4, 10}));
}

TEST_F(DatabaseSaveFault, VanishedFolderRaisesAndKeepsMemory)
{
    std::vector<std::string> lines = SettingsLines();
    lines[1] = "sub/books.orbl";
    WriteSettings(lines);
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("sub"));
    Folder.WriteFile("sub/books.orbl", FileOf(Numbered(3)));
    TDatabase& db = Open();
    db.DeleteItem(2);
    const std::string memory = MemoryState();
    ASSERT_TRUE(QDir(Folder.Path() + "/sub").removeRecursively());

    EXPECT_THROW(db.SaveToFile(), EInOutError);
    EXPECT_EQ(MemoryState(), memory);
    EXPECT_FALSE(QDir(Folder.Path() + "/sub").exists());
}

// In the child: exit codes say which check failed.
enum TChildResult { ChildOk = 0, NoError = 10, WrongError, FileChanged, MemoryChanged, FilesLeft, Unexpected };

TEST_F(DatabaseSaveFault, RealShortWriteUnderFileSizeLimit)
{
    TDatabase& db = OpenChanged();
    // Make the new content much larger than the limit.
    for (int32_t id = 100; id < 140; ++id)
        db.AddItem(Item(id, std::string(200, 'x')));
    const std::string oldFile = DatabaseBytes();
    const std::string memory = MemoryState();
    const std::vector<std::string> files = Folder.FileNames();
    constexpr rlim_t Limit = 1024;
    ASSERT_LT(oldFile.size(), Limit);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int result = Unexpected;
        try {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{Limit, Limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            try {
                db.SaveToFile();
                result = NoError;
            } catch (const EInOutError&) {
                if (DatabaseBytes() != oldFile)
                    result = FileChanged;
                else if (MemoryState() != memory)
                    result = MemoryChanged;
                else if (Folder.FileNames() != files)
                    result = FilesLeft;
                else
                    result = ChildOk;
            } catch (...) {
                result = WrongError;
            }
        } catch (...) {
        }
        _exit(result);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), ChildOk);
    EXPECT_EQ(DatabaseBytes(), oldFile);
    EXPECT_EQ(Folder.FileNames(), files);

    // Without the limit the same save goes through.
    db.SaveToFile();
    EXPECT_EQ(db.Count(), 44);
    EXPECT_GT(DatabaseBytes().size(), Limit);
}

} // namespace
