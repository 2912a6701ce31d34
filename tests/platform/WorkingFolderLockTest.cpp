/*
 * The working-folder lock: a second holder is refused while the first runs,
 * the lock is free again when the first lets go, and a lock left by a program
 * that no longer runs (a crash) is taken over.
 */
#include "platform/WorkingFolderLock.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <chrono>
#include <cstdio>
#include <functional>

#include <sys/stat.h>
#include <utime.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TResult = TWorkingFolderLock::TResult;

// The settings file whose lock guards the folder.
const std::string Settings = "volumnia.kelt";

TEST(WorkingFolderLock, OneHolderAtATime)
{
    TTempWorkingFolder folder;
    TWorkingFolderLock first(folder.Path(), Settings, "Volumnia");
    TWorkingFolderLock second(folder.Path(), Settings, "Volumnia");

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
    TWorkingFolderLock lock(folder.Path(), Settings, "Volumnia");
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
    TWorkingFolderLock volumnia(QStringLiteral("."), Settings, "Volumnia");
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
        // A lock file nobody holds in a folder that will not let it go is
        // held as it is: a file the run did not make is never emptied.
        ASSERT_EQ(mkdir("kept", 0755), 0);
        folder.WriteFile("kept/volumnia.kelt.lock", "a note");
        ASSERT_EQ(chmod("kept", 0555), 0);
        TWorkingFolderLock kept(QStringLiteral("kept"), Settings, "Volumnia");
        EXPECT_EQ(kept.TryLock(), TResult::Locked) << kept.Message();
        EXPECT_EQ(folder.ReadFile("kept/volumnia.kelt.lock"), "a note");
        kept.Unlock();
        chmod("kept", 0755);
        TWorkingFolderLock first(QStringLiteral("readonly"), Settings, "Volumnia");
        TWorkingFolderLock second(QStringLiteral("readonly"), Settings, "update");
        ASSERT_EQ(first.TryLock(), TResult::Locked);
        EXPECT_EQ(first.LockPath().left(static_cast<int>(runtime.size())), QByteArray::fromStdString(runtime));
        EXPECT_EQ(second.TryLock(), TResult::HeldElsewhere);
        EXPECT_TRUE(second.HeldByVolumnia());
        if (otherUser) {
            TWorkingFolderLock stale(shared, Settings, "Volumnia");
            EXPECT_EQ(stale.TryLock(), TResult::Locked) << stale.Message();
        }
        chmod("readonly", 0755);
    });
}

// "ln books.orbl books.orbl.lock": a lock file of more than one name may be a
// data file's other name. Refused, never written, and left where it stands.
TEST(WorkingFolderLock, AHardLinkAtALockNameIsRefusedAndNeverWritten)
{
    const struct {
        const char* Data;
        std::function<TWorkingFolderLock()> Make;
    } cases[] = {
        {"volumnia.kelt", [] { return TWorkingFolderLock(QStringLiteral("."), Settings, "an import (volumnia-csv)"); }},
        {"books.orbl", [] { return TWorkingFolderLock::ForFile("books.orbl", "an import (volumnia-csv)"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Data);
        TTempWorkingFolder folder;
        const std::string bytes = "1\r\nWalden\r\n";
        folder.WriteFile(c.Data, bytes);
        ASSERT_EQ(link(c.Data, (std::string(c.Data) + ".lock").c_str()), 0);
        TWorkingFolderLock lock = c.Make();
        EXPECT_EQ(lock.TryLock(), TResult::Refused);
        EXPECT_NE(lock.Message().find("more than one name"), std::string::npos) << lock.Message();
        lock.Unlock();
        EXPECT_EQ(folder.ReadFile(c.Data), bytes);
        EXPECT_EQ(folder.ReadFile(std::string(c.Data) + ".lock"), bytes);
    }
}

// Two users share a setgid folder, the first with umask 077: the second sees
// the first's lock (its file is readable whatever the umask), and a lock file
// it may not open is a refusal naming its owner, never a lock elsewhere.
TEST(WorkingFolderLock, TwoUsersInASharedFolderSeeOneLock)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "two accounts need the superuser";
    const struct {
        const char* What;
        mode_t ModeMadeAfter; // 0: as the first user made it
        TResult Expected;
        std::string Said;
    } cases[] = {
        {"umask 077", 0, TResult::HeldElsewhere, "in use by Volumnia (process "},
        {"a lock file only its owner may open", 0600, TResult::Refused,
         "belongs to the user " + std::to_string(OrdinaryUser::SecondUser)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempWorkingFolder outer;
        ASSERT_EQ(chmod(outer.Path().toLocal8Bit().constData(), 0755), 0);
        ASSERT_EQ(mkdir("shared", 0777), 0);
        ASSERT_EQ(chown("shared", 0, OrdinaryUser::SharedGroup()), 0);
        ASSERT_EQ(chmod("shared", 02777), 0);
        const QString shared = QString::fromStdString(outer.FilePath("shared"));
        int ready[2], release[2];
        ASSERT_EQ(pipe(ready), 0);
        ASSERT_EQ(pipe(release), 0);
        std::fflush(nullptr);
        const pid_t first = fork();
        ASSERT_GE(first, 0);
        if (first == 0) {
            close(ready[0]);
            close(release[1]);
            umask(077);
            TWorkingFolderLock lock(shared, Settings, "Volumnia");
            const char result = OrdinaryUser::BecomeSecondUser() && lock.TryLock() == TResult::Locked ? 1 : 0;
            (void)!write(ready[1], &result, 1);
            char none = 0;
            (void)!read(release[0], &none, 1); // until the parent is done
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        char locked = 0;
        EXPECT_EQ(read(ready[0], &locked, 1), 1);
        EXPECT_EQ(locked, 1) << "the first user did not get the lock";
        const std::string lockFile = outer.FilePath("shared/volumnia.kelt.lock");
        if (c.ModeMadeAfter != 0) {
            ASSERT_EQ(chmod(lockFile.c_str(), c.ModeMadeAfter), 0);
        }
        OrdinaryUser::Run([&] {
            TWorkingFolderLock second(shared, Settings, "an import (volumnia-csv)");
            EXPECT_EQ(second.TryLock(), c.Expected);
            EXPECT_NE(second.Message().find(c.Said), std::string::npos) << second.Message();
            EXPECT_EQ(second.LockPath().toStdString(), lockFile);
        });
        close(release[1]);
        close(ready[0]);
        waitpid(first, nullptr, 0);
    }
}

// The rows of a lock file met at start. A lock of another computer is never
// taken for a process of this one, whatever its pid, and names that computer
// and since when; a lock of this computer nobody holds is taken over.
TEST(WorkingFolderLock, LocksOfThisAndOtherComputers)
{
    const std::string me = ThisComputer();
    const std::string live = std::to_string(getpid());
    const struct {
        const char* What;
        std::string Content; // empty: held by another lock of this process
        TResult Expected;
        const char* Computer;
    } cases[] = {
        {"this computer, live holder", "", TResult::HeldElsewhere, ""},
        {"this computer, ended process", "pid=999999\nhost=" + me + "\nprogram=Volumnia\n", TResult::Locked, ""},
        {"another computer, a pid alive here", "pid=" + live + "\nhost=laptop\nprogram=Volumnia\n",
         TResult::HeldElsewhere, "laptop"},
        {"another computer, a pid unknown here", "pid=999999\nhost=laptop\nprogram=Volumnia\n", TResult::HeldElsewhere,
         "laptop"},
        {"the older format", live + "\nVolumnia\n\n", TResult::Locked, ""},
    };
    const QDateTime since(QDate(2026, 12, 8), QTime(10, 10, 10));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempWorkingFolder folder;
        TWorkingFolderLock holder(QStringLiteral("."), Settings, "Volumnia");
        if (c.Content.empty()) {
            ASSERT_EQ(holder.TryLock(), TResult::Locked);
        } else {
            folder.WriteFile("volumnia.kelt.lock", c.Content);
            const utimbuf times{since.toSecsSinceEpoch(), since.toSecsSinceEpoch()};
            ASSERT_EQ(utime("volumnia.kelt.lock", &times), 0);
        }
        TWorkingFolderLock lock(QStringLiteral("."), Settings, "Volumnia");
        EXPECT_EQ(lock.TryLock(), c.Expected);
        EXPECT_EQ(lock.OtherComputer(), c.Computer);
        if (*c.Computer) {
            EXPECT_EQ(lock.HeldSince(), since);
            EXPECT_FALSE(lock.HeldByVolumnia());
            EXPECT_NE(lock.Message().find("on the computer laptop"), std::string::npos) << lock.Message();
            // Its file stays until the user takes the lock over.
            EXPECT_EQ(folder.ReadFile("volumnia.kelt.lock"), c.Content);
            EXPECT_EQ(lock.TakeOver(), TResult::Locked);
            EXPECT_NE(folder.ReadFile("volumnia.kelt.lock").find("host=" + me), std::string::npos);
        }
    }
}

// The other computer took its lock anew after the user was asked: that lock
// is not taken over on the strength of the old answer.
TEST(WorkingFolderLock, TakeOverLeavesALockThatChangedSinceItWasShown)
{
    TTempWorkingFolder folder;
    folder.WriteFile("volumnia.kelt.lock", "pid=1\nhost=laptop\nprogram=Volumnia\n");
    TWorkingFolderLock lock(QStringLiteral("."), Settings, "Volumnia");
    ASSERT_EQ(lock.TryLock(), TResult::HeldElsewhere);
    folder.WriteFile("renewed", "pid=2\nhost=laptop\nprogram=Volumnia\n");
    ASSERT_EQ(std::rename("renewed", "volumnia.kelt.lock"), 0);
    EXPECT_EQ(lock.TakeOver(), TResult::HeldElsewhere);
    EXPECT_EQ(folder.ReadFile("volumnia.kelt.lock"), "pid=2\nhost=laptop\nprogram=Volumnia\n");
}

// A sync tool replaces the held lock's file by the other computer's: found
// at once, and after the run the other computer's file stays.
TEST(WorkingFolderLock, ALockBroughtInOverTheHeldOneIsFound)
{
    TTempWorkingFolder folder;
    TWorkingFolderLock lock(QStringLiteral("."), Settings, "Volumnia");
    ASSERT_EQ(lock.TryLock(), TResult::Locked);
    EXPECT_NO_THROW(TWorkingFolderLock::CheckHeld());
    folder.WriteFile(".syncthing.volumnia.kelt.lock.tmp", "pid=7\nhost=laptop\nprogram=Volumnia\n");
    ASSERT_EQ(std::rename(".syncthing.volumnia.kelt.lock.tmp", "volumnia.kelt.lock"), 0);
    EXPECT_FALSE(TWorkingFolderLock::StillHeld());
    try {
        TWorkingFolderLock::CheckHeld();
        ADD_FAILURE() << "no refusal";
    } catch (const ELockLost& error) {
        EXPECT_NE(std::string(error.what()).find("Volumnia (process 7) on the computer laptop"), std::string::npos)
            << error.what();
    }
    lock.Unlock();
    EXPECT_TRUE(TWorkingFolderLock::StillHeld());
    EXPECT_EQ(folder.ReadFile("volumnia.kelt.lock"), "pid=7\nhost=laptop\nprogram=Volumnia\n");
}

} // namespace
