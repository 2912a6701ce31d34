// The files a run of Volumnia starts from. Made as soon as the application
// object exists: on a thread of its own it takes the working folder's lock
// (whose file is synced to disk) and, when the folder is this run's, reads
// the settings and the database, while the program loads its fonts and
// builds the main window. TApplicationWindows then opens the catalogue on
// the two engines (TakeEngines), or meets the error their reading raised, at
// the step where it would have read them itself.
#pragma once

#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"

#include <exception>
#include <future>
#include <memory>
#include <thread>

class TDatabase;
class TRFileSystem;

class TStartupFiles {
public:
    TStartupFiles();
    ~TStartupFiles();
    TStartupFiles(const TStartupFiles&) = delete;
    TStartupFiles& operator=(const TStartupFiles&) = delete;

    // Whether another running program holds the folder, or its lock file
    // cannot be used; then nothing is read. Waits for the lock to be tried.
    bool HeldElsewhere() const;
    // Then why: the holder is Volumnia on this computer, or the lock's own
    // message (who holds it, or what stands at its name).
    bool HeldByVolumnia() const { return Lock.HeldByVolumnia(); }
    const std::string& LockMessage() const { return Failed ? Failed->Message() : Lock.Message(); }

    // The lock, of the folder or of the database, that a program on another
    // computer holds, when that stopped the reading; nullptr otherwise. Waits
    // for the reading.
    const TWorkingFolderLock* OtherComputersLock();
    // Reads the files after all, as the user chose: read-only (no lock taken,
    // the settings kept in memory only), or with the other computer's locks
    // taken over. False when a take-over failed (LockMessage says why).
    bool ReadAfterAll(bool readOnly);
    // Whether the files were read without their locks, to be looked at only.
    bool ReadOnly() const { return ReadOnlyRun; }

    // Waits for the reading and hands over what it made: the settings engine,
    // when it was made, and the database engine, when it was made too. Then
    // raises what the reading raised, if anything. Once only.
    void TakeEngines(std::unique_ptr<TRFileSystem>& settings, std::unique_ptr<TDatabase>& database);

private:
    void LockAndRead();
    void Read();

    TWorkingFolderLock Lock{QStringLiteral("."), TSettingsKeys::FileName, "Volumnia"};
    // The database file's own lock, taken once the settings name it.
    std::unique_ptr<TWorkingFolderLock> DatabaseLock;
    std::promise<TWorkingFolderLock::TResult> LockTried;
    std::shared_future<TWorkingFolderLock::TResult> LockResult = LockTried.get_future().share();
    std::thread Reader;
    bool ReadDone = false;
    std::unique_ptr<TRFileSystem> Settings;
    std::unique_ptr<TDatabase> Database;
    std::exception_ptr Error;
    // The lock of another computer that stopped the reading, and the one
    // whose take-over failed.
    TWorkingFolderLock* Foreign = nullptr;
    const TWorkingFolderLock* Failed = nullptr;
    bool ReadOnlyRun = false;
    bool TakingOver = false;
    bool Answered = false; // the user chose how to read despite the other computer
};
