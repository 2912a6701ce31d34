// One running program per working folder. Volumnia holds this lock for its
// whole run, and the programs that write the same files (update, volumnia-csv)
// take it for theirs, so two of them never overwrite each other's books or
// settings. The lock is the file "volumnia.kelt.lock" beside the settings file;
// a lock left by a program that crashed is taken over.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

class TWorkingFolderLock {
public:
    enum class TResult {
        Locked,        // this run holds the folder
        HeldElsewhere, // another running program holds it
        NotPossible    // no lock file can be made here (e.g. a folder that takes no new file)
    };

    // The lock of the folder; "." is the working folder.
    explicit TWorkingFolderLock(const QString& folder = QStringLiteral("."));
    ~TWorkingFolderLock();
    TWorkingFolderLock(const TWorkingFolderLock&) = delete;
    TWorkingFolderLock& operator=(const TWorkingFolderLock&) = delete;

    // Takes the lock without waiting. A stale lock (its program no longer runs)
    // is removed and taken.
    TResult TryLock();
    bool IsLocked() const;
    void Unlock();

    static QString FileName() { return QStringLiteral("volumnia.kelt.lock"); }

private:
    std::unique_ptr<QLockFile> Lock;
};
