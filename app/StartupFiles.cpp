#include "app/StartupFiles.h"

#include "engine/ConflictCopies.h"
#include "engine/ORBL.h"
#include "platform/EInOutError.h"
#include "settings/SettingsKeys.h"

#include <system_error>

TStartupFiles::TStartupFiles()
{
    try {
        Reader = std::thread([this] { LockAndRead(); });
    } catch (const std::system_error&) {
        // No thread to be had: the lock is taken now, and TakeEngines reads
        // the files itself.
        LockTried.set_value(Lock.TryLock());
    }
}

bool TStartupFiles::HeldElsewhere() const
{
    const TWorkingFolderLock::TResult result = LockResult.get();
    return result == TWorkingFolderLock::TResult::HeldElsewhere || result == TWorkingFolderLock::TResult::Refused;
}

void TStartupFiles::LockAndRead()
{
    LockTried.set_value(Lock.TryLock());
    if (!HeldElsewhere())
        Read();
    else if (!Lock.OtherComputer().empty())
        Foreign = &Lock;
}

const TWorkingFolderLock* TStartupFiles::OtherComputersLock()
{
    if (Reader.joinable())
        Reader.join();
    else if (!ReadDone && !HeldElsewhere())
        Read();
    if (!Foreign && !Answered && HeldElsewhere() && !Lock.OtherComputer().empty())
        Foreign = &Lock;
    return Foreign;
}

bool TStartupFiles::ReadAfterAll(bool readOnly)
{
    if (!OtherComputersLock())
        return false;
    Answered = true;
    if (readOnly) {
        ReadOnlyRun = true;
    } else {
        TakingOver = true;
        if (Foreign->TakeOver() != TWorkingFolderLock::TResult::Locked) {
            Failed = Foreign;
            return false;
        }
    }
    Foreign = nullptr;
    Settings.reset();
    DatabaseLock.reset();
    Read();
    return true;
}

TStartupFiles::~TStartupFiles()
{
    if (Reader.joinable())
        Reader.join();
}

void TStartupFiles::Read()
{
    ReadDone = true;
    try {
        Settings = std::make_unique<TRFileSystem>(TSettingsKeys::FileName);
        if (ReadOnlyRun)
            Settings->KeepInMemory();
        else
            MergeSettingsCopies(*Settings);
        // Another working folder may name the same database: its file is
        // locked too. (A missing setting is the engine's to report.)
        if (!ReadOnlyRun && Settings->ValueExists("orbl_databasefile")) {
            DatabaseLock = std::make_unique<TWorkingFolderLock>(
                TWorkingFolderLock::ForFile(Settings->ReadString("orbl_databasefile"), "Volumnia"));
            TWorkingFolderLock::TResult locked = DatabaseLock->TryLock();
            if (locked == TWorkingFolderLock::TResult::HeldElsewhere && !DatabaseLock->OtherComputer().empty()) {
                // Another computer's: the user is asked before anything more is read.
                if (!TakingOver) {
                    Foreign = DatabaseLock.get();
                    return;
                }
                locked = DatabaseLock->TakeOver();
            }
            if (locked == TWorkingFolderLock::TResult::HeldElsewhere || locked == TWorkingFolderLock::TResult::Refused)
                throw EInOutError(DatabaseLock->Message());
        }
        Database = std::make_unique<TDatabase>(*Settings);
    } catch (...) {
        Error = std::current_exception();
        return;
    }
    // The book browser sorts the books by the stored order as it first shows;
    // the collation of that sort, the bulk of its cost, is done here. Only a
    // help: where the setting is missing, the browser reports it.
    try {
        Database->PrepareSortBy(TSettingsKeys::SortAliasFor(Settings->ReadString("SortMethod")));
    } catch (...) {
    }
}

void TStartupFiles::TakeEngines(std::unique_ptr<TRFileSystem>& settings, std::unique_ptr<TDatabase>& database)
{
    if (Reader.joinable())
        Reader.join();
    else if (!ReadDone && !HeldElsewhere())
        Read();
    if (Foreign)
        throw EInOutError(Foreign->Message());
    settings = std::move(Settings);
    database = std::move(Database);
    if (Error)
        std::rethrow_exception(std::exchange(Error, nullptr));
}
