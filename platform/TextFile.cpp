#include "platform/TextFile.h"

#include "platform/Cp1252.h"
#include "platform/FileWriteStep.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TFileWriteStep FileWriteStep;
// nullptr: the plain write of TFileWriteStep.
std::atomic<IWriteStep*> InstalledWriteStep{nullptr};

// Paths arrive as Windows-1252 text like every other text below the widgets
// (the database path is a setting, the file dialog's choice stored through
// Cp1252::FromQString), so they are decoded as such, not as the locale's
// 8-bit encoding, which would turn an "\xE4" into a replacement character.
QString Path(const std::string& path)
{
    return Cp1252::ToQString(path);
}

// A native path back in the text of the messages.
std::string Shown(const QByteArray& native)
{
    return Cp1252::FromQString(QFile::decodeName(native));
}

EInOutError NotARegularFile(const QByteArray& native)
{
    return EInOutError("Not a regular file: " + Shown(native));
}

EInOutError InTheWay(const QByteArray& native)
{
    return EInOutError("The file " + Shown(native) + " is in the way of the save");
}

// Writes data at the start of fd through the installed write step; 0 or an
// errno.
int WriteContent(int fd, const std::string& data)
{
    return TTextFile::WriteStep().Write(fd, data.data(), static_cast<int64_t>(data.size()), 0);
}

// The whole of an open file from its start; false on a read error.
bool ReadFrom(int fd, std::string& bytes, int64_t limit)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(got));
        if (static_cast<int64_t>(bytes.size()) > limit)
            return true;
    }
}

// The rename must survive a power cut too.
void SyncFolderOf(const QByteArray& native)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(native)).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Rewrites the file itself: for a file with several names, which a rename
// would split, and in a folder that takes no new file. Not atomic, so the old
// content is read first and written back when the new one cannot be put down.
void WriteInPlace(const QByteArray& target, const std::string& data)
{
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        throw EInOutError::FromErrno(errno);
    std::string old;
    if (!ReadFrom(fd, old, INT64_MAX)) {
        const int error = errno;
        ::close(fd);
        throw EInOutError::FromErrno(error);
    }
    int error = WriteContent(fd, data);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error != 0) {
        // Put the old content back: it fitted before, so it fits again. This
        // is the recovery, not the save: it goes straight to the file.
        FileWriteStep.Write(fd, old.data(), static_cast<int64_t>(old.size()), 0);
        if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0)
            ::fsync(fd);
        ::close(fd);
        throw EInOutError::FromErrno(error);
    }
    if (::close(fd) != 0)
        throw EInOutError::FromErrno(errno);
}

// Makes "<file>.saving" new, never through a link, never wider than mode. A
// leftover of a killed save (a regular file of ours) is removed first; anything
// else at that name is in the way. -1 with errno when the folder refuses.
int CreateTemporary(const QByteArray& temporary, mode_t mode)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777);
        if (fd >= 0 || errno != EEXIST)
            return fd;
        struct stat leftover = {};
        if (::lstat(temporary.constData(), &leftover) != 0)
            continue; // gone in between
        if (!S_ISREG(leftover.st_mode) || leftover.st_uid != ::geteuid())
            throw InTheWay(temporary);
        if (::unlink(temporary.constData()) != 0 && errno != ENOENT)
            throw InTheWay(temporary);
    }
    throw InTheWay(temporary);
}

} // namespace

bool TTextFile::Exists(const std::string& path)
{
    const QFileInfo info(Path(path));
    return info.exists() && !info.isDir();
}

std::string TTextFile::ReadAll(const std::string& path)
{
    const QByteArray native = QFile::encodeName(Path(path));
    // Non-blocking, so that opening a FIFO without a writer does not hang;
    // the kind check below then refuses it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw EInOutError::FromErrno(errno);
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw EInOutError::FromErrno(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EUnusableFile(NotARegularFile(native).what());
    }
    if (info.st_size > MaxFileSize) {
        ::close(fd);
        throw EUnusableFile("File too large: " + Shown(native));
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    const bool read = ReadFrom(fd, bytes, MaxFileSize);
    const int error = errno;
    ::close(fd);
    if (!read)
        throw EInOutError::FromErrno(error);
    if (static_cast<int64_t>(bytes.size()) > MaxFileSize) // it grew while being read
        throw EUnusableFile("File too large: " + Shown(native));
    return bytes;
}

void TTextFile::WriteAtomically(const std::string& path, const std::string& data)
{
    const QByteArray named = QFile::encodeName(Path(path));
    QByteArray target = named;

    struct stat old = {};
    bool replacing = false;
    struct stat entry = {};
    if (::lstat(named.constData(), &entry) == 0) {
        // A symbolic link stays; its target gets the content.
        if (S_ISLNK(entry.st_mode)) {
            char* real = ::realpath(named.constData(), nullptr);
            if (!real)
                throw EInOutError::FromErrno(errno);
            target = real;
            std::free(real);
        }
        if (::stat(target.constData(), &old) != 0)
            throw EInOutError::FromErrno(errno);
        if (!S_ISREG(old.st_mode))
            throw NotARegularFile(named);
        if (::access(target.constData(), W_OK) != 0)
            throw EInOutError::FromErrno(errno);
        replacing = true;
    } else if (errno != ENOENT) {
        throw EInOutError::FromErrno(errno);
    }

    // A rename would give this name a new file and leave the other names of a
    // hard-linked file with the old content.
    if (replacing && old.st_nlink > 1) {
        WriteInPlace(target, data);
        return;
    }

    // One fixed name for the new content: a save killed half way leaves at
    // most this file, and the next save removes it.
    const QByteArray temporary = target + ".saving";
    const mode_t mode = replacing ? (old.st_mode & 07777) : 0666;
    const int fd = CreateTemporary(temporary, mode);
    if (fd < 0) {
        const int error = errno;
        // A folder that takes no new file, holding a file we may write.
        if (replacing && (error == EACCES || error == EPERM)) {
            WriteInPlace(target, data);
            return;
        }
        throw EInOutError::FromErrno(error);
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        throw EInOutError::FromErrno(error);
    };
    if (replacing) {
        // Owner and group where the process may set them (a group-shared
        // file stays shared), then the exact mode, which the umask may have
        // narrowed; both best effort. The owner first: a change of owner
        // clears set-id bits.
        struct stat made = {};
        const bool differs = ::fstat(fd, &made) != 0 || made.st_uid != old.st_uid || made.st_gid != old.st_gid;
        if (differs && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(fd, mode);
    }

    if (const int error = WriteContent(fd, data))
        fail(error);
    // The content must be on the disk before the rename makes it the file.
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw EInOutError::FromErrno(error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw EInOutError::FromErrno(error);
    }
    SyncFolderOf(target);
}

bool TTextFile::WriteIfChanged(const std::string& path, const std::string& data)
{
    try {
        if (ReadAll(path) == data) {
            // Nothing to write; a leftover of a killed save still goes.
            const QByteArray named = QFile::encodeName(Path(path));
            char* real = ::realpath(named.constData(), nullptr);
            const QByteArray temporary = QByteArray(real ? real : named.constData()) + ".saving";
            std::free(real);
            struct stat leftover = {};
            if (::lstat(temporary.constData(), &leftover) == 0 && S_ISREG(leftover.st_mode) &&
                leftover.st_uid == ::geteuid())
                ::unlink(temporary.constData());
            return false;
        }
    } catch (const EInOutError&) {
        // Unreadable as it stands: the write replaces it or says why not.
    }
    WriteAtomically(path, data);
    return true;
}

void TTextFile::Remove(const std::string& path)
{
    const QByteArray native = QFile::encodeName(Path(path));
    struct stat entry = {};
    if (::lstat(native.constData(), &entry) == 0 && S_ISREG(entry.st_mode))
        ::unlink(native.constData());
}

IWriteStep& TTextFile::WriteStep()
{
    IWriteStep* step = InstalledWriteStep.load();
    if (step == nullptr)
        step = &FileWriteStep;
    return *step;
}

IWriteStep* TTextFile::SetWriteStep(IWriteStep* step)
{
    return InstalledWriteStep.exchange(step);
}
