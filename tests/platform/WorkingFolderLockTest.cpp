/*
 * The working-folder lock: a second holder is refused while the first runs,
 * the lock is free again when the first lets go, and a lock left by a program
 * that no longer runs (a crash) is taken over.
 */
#include "platform/WorkingFolderLock.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using TResult = TWorkingFolderLock::TResult;

TEST(WorkingFolderLock, OneHolderAtATime)
{
    TTempWorkingFolder folder;
    TWorkingFolderLock first(folder.Path());
    TWorkingFolderLock second(folder.Path());

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
    TWorkingFolderLock lock(folder.Path());
    EXPECT_EQ(lock.TryLock(), TResult::Locked);
}

} // namespace
