/*
 * The working-folder lock: a second holder is refused while the first runs,
 * the lock is free again when the first lets go, and a lock left by a program
 * that no longer runs (a crash) is taken over.
 */
#include "platform/WorkingFolderLock.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TResult = TWorkingFolderLock::TResult;

// The settings file whose lock guards the folder.
const std::string Settings = "volumnia.kelt";

TEST(WorkingFolderLock, OneHolderAtATime)
{
    TTempWorkingFolder folder;
    TWorkingFolderLock first(folder.Path(), Settings);
    TWorkingFolderLock second(folder.Path(), Settings);

    ASSERT_EQ(first.TryLock(), TResult::Locked);
    EXPECT_EQ(second.TryLock(), TResult::HeldElsewhere);
    EXPECT_TRUE(first.IsLocked());
    EXPECT_FALSE(second.IsLocked());

    first.Unlock();
    EXPECT_EQ(second.TryLock(), TResult::Locked);
}

TEST(WorkingFolderLock, ALockLeftByAnEndedProgramIsTakenOver)
{
    TTempWorkingFolder folder;
    // The process id of a program that has ended: a child that exits at once.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);

    folder.WriteFile("volumnia.kelt.lock", std::to_string(child) + "\nVolumnia\n\n");
    TWorkingFolderLock lock(folder.Path(), Settings);
    EXPECT_EQ(lock.TryLock(), TResult::Locked);
}

std::string ThisComputer()
{
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// Whatever stands at the lock's name, the answer comes at once (a FIFO would
// block a reader, /dev/zero never ends): refused naming the file, or taken
// over when it is a lock file nobody holds.
TEST(WorkingFolderLock, EveryKindOfLockFileAnswersAtOnce)
{
    const struct {
        const char* What;
        std::function<void(TTempWorkingFolder&)> Arrange;
        TResult Expected;
        const char* Said;
    } cases[] = {
        {"a FIFO", [](TTempWorkingFolder&) { ASSERT_EQ(mkfifo("volumnia.kelt.lock", 0644), 0); }, TResult::Refused,
         "volumnia.kelt.lock is a FIFO, not a lock file"},
        {"a link to /dev/zero", [](TTempWorkingFolder&) { ASSERT_EQ(symlink("/dev/zero", "volumnia.kelt.lock"), 0); },
         TResult::Refused, "volumnia.kelt.lock is a link, not a lock file"},
        {"a folder", [](TTempWorkingFolder&) { ASSERT_EQ(mkdir("volumnia.kelt.lock", 0755), 0); }, TResult::Refused,
         "volumnia.kelt.lock is a folder, not a lock file"},
        {"an empty file (a power cut)", [](TTempWorkingFolder& f) { f.WriteFile("volumnia.kelt.lock", ""); },
         TResult::Locked, ""},
        {"junk", [](TTempWorkingFolder& f) { f.WriteFile("volumnia.kelt.lock", std::string(100000, '\x95')); },
         TResult::Locked, ""},
        {"this computer's program that ended",
         [](TTempWorkingFolder& f) {
             f.WriteFile("volumnia.kelt.lock", "pid=999999\nhost=" + ThisComputer() + "\nprogram=update\n");
         },
         TResult::Locked, ""},
        {"another computer's program",
         [](TTempWorkingFolder& f) {
             f.WriteFile("volumnia.kelt.lock", "pid=12\nhost=elsewhere.example\nprogram=Volumnia\n");
         },
         TResult::HeldElsewhere,
         "in use by Volumnia (process 12) on the computer elsewhere.example (./volumnia.kelt.lock). If that "
         "program no longer runs there, remove ./volumnia.kelt.lock"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempWorkingFolder folder;
        c.Arrange(folder);
        TWorkingFolderLock lock(QStringLiteral("."), Settings, "update");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(lock.TryLock(), c.Expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_NE(lock.Message().find(c.Said), std::string::npos) << lock.Message();
        if (c.Expected == TResult::Locked) {
            EXPECT_EQ(folder.ReadFile("volumnia.kelt.lock"),
                      "pid=" + std::to_string(getpid()) + "\nhost=" + ThisComputer() + "\nprogram=update\n");
            lock.Unlock();
            EXPECT_NE(access("volumnia.kelt.lock", F_OK), 0) << "the lock file stays after the run";
        }
    }
}

TEST(WorkingFolderLock, TheRefusalNamesTheHolder)
{
    TTempWorkingFolder folder;
    TWorkingFolderLock import(QStringLiteral("."), Settings, "an import (volumnia-csv)");
    ASSERT_EQ(import.TryLock(), TResult::Locked);
    TWorkingFolderLock volumnia(QStringLiteral("."), Settings);
    EXPECT_EQ(volumnia.TryLock(), TResult::HeldElsewhere);
    EXPECT_FALSE(volumnia.HeldByVolumnia());
    EXPECT_EQ(volumnia.Holder(), "an import (volumnia-csv) (process " + std::to_string(getpid()) + ")");
}

// Two working folders may name one database, by different paths: its lock is
// one, beside the file the paths lead to.
TEST(WorkingFolderLock, OneLockPerDatabaseWhateverThePath)
{
    TTempWorkingFolder folder;
    ASSERT_EQ(mkdir("shared", 0755), 0);
    folder.WriteFile("shared/books.orbl", "");
    ASSERT_EQ(symlink("shared/books.orbl", "link.orbl"), 0);
    TWorkingFolderLock first = TWorkingFolderLock::ForFile("shared/books.orbl", "Volumnia");
    TWorkingFolderLock second = TWorkingFolderLock::ForFile("link.orbl", "an import (volumnia-csv)");
    ASSERT_EQ(first.TryLock(), TResult::Locked);
    EXPECT_EQ(second.TryLock(), TResult::HeldElsewhere);
    EXPECT_TRUE(second.HeldByVolumnia());
    EXPECT_EQ(access("shared/books.orbl.lock", F_OK), 0);
    first.Unlock();
    EXPECT_EQ(second.TryLock(), TResult::Locked);
}

// As an ordinary user: a folder that takes no new file has its lock in the
// runtime folder, which the next program finds too; another user's lock
// nobody holds is removed where the folder allows it.
TEST(WorkingFolderLock, NonWritableFoldersAndOtherUsersLocksAsAnOrdinaryUser)
{
    TTempWorkingFolder outer;
    const bool otherUser = geteuid() == 0; // root's files are another user's to the child
    ASSERT_EQ(chmod(outer.Path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(mkdir("shared", 0777), 0);
    ASSERT_EQ(chmod("shared", 0777), 0);
    outer.WriteFile("shared/volumnia.kelt.lock", "pid=1\nhost=" + ThisComputer() + "\nprogram=Volumnia\n");
    ASSERT_EQ(chmod("shared/volumnia.kelt.lock", 0644), 0);
    const QString shared = QString::fromStdString(outer.FilePath("shared"));
    OrdinaryUser::Run([&] {
        TTempWorkingFolder folder;
        ASSERT_EQ(mkdir("readonly", 0755), 0);
        ASSERT_EQ(mkdir("runtime", 0700), 0);
        ASSERT_EQ(chmod("readonly", 0555), 0);
        const std::string runtime = folder.FilePath("runtime");
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        TWorkingFolderLock first(QStringLiteral("readonly"), Settings);
        TWorkingFolderLock second(QStringLiteral("readonly"), Settings, "update");
        ASSERT_EQ(first.TryLock(), TResult::Locked);
        EXPECT_EQ(first.LockPath().left(static_cast<int>(runtime.size())), QByteArray::fromStdString(runtime));
        EXPECT_EQ(second.TryLock(), TResult::HeldElsewhere);
        EXPECT_TRUE(second.HeldByVolumnia());
        if (otherUser) {
            TWorkingFolderLock stale(shared, Settings);
            EXPECT_EQ(stale.TryLock(), TResult::Locked) << stale.Message();
        }
        chmod("readonly", 0755);
    });
}

} // namespace
