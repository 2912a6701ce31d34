#include "platform/WorkingFolderLock.h"

#include <QDir>

TWorkingFolderLock::TWorkingFolderLock(const QString& folder)
    : Lock(std::make_unique<QLockFile>(QDir(folder).filePath(FileName())))
{
    // A run lasts hours: never call a lock stale because of its age, only
    // because the program that holds it is gone.
    Lock->setStaleLockTime(0);
}

TWorkingFolderLock::~TWorkingFolderLock() = default;

TWorkingFolderLock::TResult TWorkingFolderLock::TryLock()
{
    if (Lock->isLocked())
        return TResult::Locked;
    if (Lock->tryLock(0))
        return TResult::Locked;
    switch (Lock->error()) {
    case QLockFile::LockFailedError:
        return TResult::HeldElsewhere;
    case QLockFile::PermissionError:
    case QLockFile::UnknownError:
    case QLockFile::NoError:
        break;
    }
    return TResult::NotPossible;
}

bool TWorkingFolderLock::IsLocked() const
{
    return Lock->isLocked();
}

void TWorkingFolderLock::Unlock()
{
    Lock->unlock();
}
