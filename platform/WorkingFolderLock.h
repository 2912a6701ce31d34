// One program at a time on a data file. Volumnia holds the lock of its
// working folder (the file "<settings file>.lock" beside the settings file) and
// the lock of its database file ("<database>.lock" beside it) for its whole
// run, and the programs that write the same files (update, volumnia-csv) take
// them for theirs, so two of them never overwrite each other's books or
// settings, however many folders name one database.
//
// The lock file holds the holder's process id, computer and program. The lock
// itself is an advisory lock (flock) on that file, which the system lets go
// when its program ends, however it ends: a lock file nobody holds (left by a
// crash or a power cut, empty or unreadable) is removed and made anew. A lock
// file of another computer's program is honoured and named, since its program
// may still run there: no process of this computer is asked about it. Since
// a file synchronisation tool carries the lock file with its time, the file's
// modification time says since when that computer holds the files; the user
// may take the lock over from it (TakeOver) once told. A lock file that such
// a tool brings in while this run holds its own (the name then leads to
// another file) is found by CheckHeld before the next save, which is then
// refused. Something at the lock's name that is no regular file (a
// FIFO, a device, a link, a folder) or a file of more than one name (a hard
// link, perhaps to a data file) is refused at once, never opened for reading
// nor written: only a file the run made itself is written. The file is made
// readable by everyone whatever the umask, so that every user sharing the
// folder sees the lock; one that exists but cannot be opened is a refusal
// naming its owner. Its note is for people and is never synced to the disk.
// Only where no file can be made at the lock's name at all does the lock live
// in the user's runtime folder ($XDG_RUNTIME_DIR/volumnia), named after the
// folder's device and inode and the file's name, which every program finds
// the same way.
#pragma once

#include "platform/EInOutError.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <sys/types.h>

// A lock this run held no longer stands at its name: another computer's lock
// file was brought in over it. Nothing may be saved.
class ELockLost : public EInOutError {
public:
    using EInOutError::EInOutError;
};

class TWorkingFolderLock {
public:
    enum class TResult {
        Locked,        // this run holds the lock
        HeldElsewhere, // another program holds it (Message() names it)
        Refused,       // the lock's name is taken by what is no lock file (Message() says what)
        NotPossible    // no lock file can be made here nor in the runtime folder
    };

    // The lock of the working folder ("." is the process's own) whose
    // settings file is named settingsFile, for the program holder
    // ("Volumnia", "an import (volumnia-csv)", "update").
    TWorkingFolderLock(const QString& folder, const std::string& settingsFile, const std::string& holder);
    // The lock of the data file at path (Windows-1252 text), beside the file
    // its links lead to: "<file>.lock".
    static TWorkingFolderLock ForFile(const std::string& path, const std::string& holder);
    ~TWorkingFolderLock();
    TWorkingFolderLock(TWorkingFolderLock&& other) noexcept;
    TWorkingFolderLock& operator=(TWorkingFolderLock&&) = delete;
    TWorkingFolderLock(const TWorkingFolderLock&) = delete;
    TWorkingFolderLock& operator=(const TWorkingFolderLock&) = delete;

    // Takes the lock without waiting.
    TResult TryLock();
    bool IsLocked() const { return Fd >= 0; }
    void Unlock();
    // Why the last TryLock did not lock: who holds the lock, or what stands
    // at its name, naming the file.
    const std::string& Message() const { return FMessage; }
    // Who holds it, as its lock file says ("Volumnia (process 12)"); empty
    // when the file says nothing.
    const std::string& Holder() const { return FHolder; }
    // Whether the holder is Volumnia on this computer.
    bool HeldByVolumnia() const { return FHeldByVolumnia; }
    // The computer whose program holds the lock, when the lock file names
    // another than this one; empty otherwise.
    const std::string& OtherComputer() const { return FOtherComputer; }
    // Since when the lock file stood as it is (its modification time, which
    // the sync tools carry); invalid when unknown.
    const QDateTime& HeldSince() const { return FHeldSince; }
    // After a refusal naming another computer, and the user's consent: the
    // other computer's lock file, if still the one found, goes and the lock
    // is tried again.
    TResult TakeOver();
    // Raises ELockLost, naming the file and what it says now, when a lock this
    // process holds no longer stands at its name (a lock file of another
    // computer brought in over it). Cheap: a stat of each held lock.
    static void CheckHeld();
    // Whether every lock this process holds still stands at its name.
    static bool StillHeld();
    // The lock file in use (where TryLock last looked).
    const QByteArray& LockPath() const { return Where.isEmpty() ? Path : Where; }

    // The name of the working folder's lock file, beside its settings file.
    static QString FileNameFor(const std::string& settingsFile)
    {
        return QString::fromStdString(settingsFile + ".lock");
    }

private:
    TWorkingFolderLock(const QByteArray& path, const QByteArray& folder, const QByteArray& baseName,
                       const std::string& holder);
    TResult TryAt(const QByteArray& path);

    QByteArray Path;     // the lock file beside the data file
    QByteArray Folder;   // the folder it stands in
    QByteArray BaseName; // the name of the data file it guards
    std::string Me;      // this program, as the lock file names it
    QByteArray Where;    // the lock file TryLock last looked at
    int Fd = -1;
    QByteArray Held; // the path of the lock file held
    std::string FMessage, FHolder, FOtherComputer;
    QDateTime FHeldSince;
    bool FHeldByVolumnia = false;
    // The other computer's lock file as found: its identity and content.
    dev_t ForeignDevice = 0;
    ino_t ForeignInode = 0;
    std::string ForeignContent;
};
