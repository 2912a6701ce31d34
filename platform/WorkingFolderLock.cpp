#include "platform/WorkingFolderLock.h"

#include "platform/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file is a few short lines; more is never read.
constexpr size_t MostRead = 4096;

std::string Shown(const QByteArray& native)
{
    return Cp1252::FromQString(QFile::decodeName(native));
}

std::string ThisComputer()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

constexpr const char* MoreThanOneName = "a file with more than one name (a hard link, perhaps to a data file)";

// The account that owns the file at path, by name where it has one.
std::string OwnerOf(const QByteArray& path)
{
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return "another user";
    struct passwd entry = {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(info.st_uid, &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return std::string("the user ") + found->pw_name;
    return "the user " + std::to_string(info.st_uid);
}

const char* KindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISLNK(mode))
        return "a link";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "no regular file";
}

// The value of "key=" in a lock file's lines; empty when absent.
std::string Field(const std::string& content, const std::string& key)
{
    size_t at = 0;
    while (at < content.size()) {
        const size_t end = std::min(content.find('\n', at), content.size());
        if (content.compare(at, key.size() + 1, key + "=") == 0)
            return content.substr(at + key.size() + 1, end - at - key.size() - 1);
        at = end + 1;
    }
    return {};
}

std::string ReadLockFile(int fd)
{
    std::string content(MostRead, '\0');
    const ssize_t got = ::pread(fd, content.data(), content.size(), 0);
    content.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return content;
}

// Whether the lock file belongs to a program on another computer.
bool OfAnotherComputer(const std::string& content)
{
    const std::string host = Field(content, "host");
    return !host.empty() && host != ThisComputer();
}

// The holder as the lock file names it.
std::string HolderOf(const std::string& content)
{
    std::string program = Field(content, "program");
    if (program.empty())
        program = "another program";
    const std::string pid = Field(content, "pid");
    if (!pid.empty())
        program += " (process " + pid + ")";
    if (OfAnotherComputer(content))
        program += " on the computer " + Field(content, "host");
    return program;
}

// The modification time of an open file.
QDateTime ModifiedAt(const struct stat& info)
{
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(info.st_mtim.tv_sec));
}

// "since 8 Dec 2026 10:10:10": the time a lock file was written, which the
// sync tools carry with it, in the locale's words.
std::string SinceText(const QDateTime& since)
{
    if (!since.isValid())
        return {};
    return Cp1252::FromQString(QLocale().toString(since.toLocalTime(), QLocale::ShortFormat));
}

// The locks this process holds, by their descriptor: the name and the file
// they were taken on.
struct THeld {
    QByteArray Path;
    dev_t Device;
    ino_t Inode;
};
std::mutex HeldGuard;
std::map<int, THeld>& HeldLocks()
{
    static std::map<int, THeld> held;
    return held;
}

} // namespace

TWorkingFolderLock::TWorkingFolderLock(const QString& folder, const std::string& settingsFile,
                                       const std::string& holder)
    : TWorkingFolderLock(QFile::encodeName(QDir(folder).filePath(FileNameFor(settingsFile))), QFile::encodeName(folder),
                         QByteArray::fromStdString(settingsFile), holder)
{
}

TWorkingFolderLock::TWorkingFolderLock(const QByteArray& path, const QByteArray& folder, const QByteArray& baseName,
                                       const std::string& holder)
    : Path(path), Folder(folder), BaseName(baseName), Me(holder)
{
}

TWorkingFolderLock TWorkingFolderLock::ForFile(const std::string& path, const std::string& holder)
{
    QByteArray file = QFile::encodeName(Cp1252::ToQString(path));
    if (char* real = ::realpath(file.constData(), nullptr)) {
        file = real;
        std::free(real);
    }
    const QFileInfo info(QFile::decodeName(file));
    return TWorkingFolderLock(file + ".lock", QFile::encodeName(info.absolutePath()),
                              QFile::encodeName(info.fileName()), holder);
}

TWorkingFolderLock::TWorkingFolderLock(TWorkingFolderLock&& other) noexcept
    : Path(std::move(other.Path)), Folder(std::move(other.Folder)), BaseName(std::move(other.BaseName)),
      Me(std::move(other.Me)), Where(std::move(other.Where)), Fd(std::exchange(other.Fd, -1)),
      Held(std::move(other.Held)), FMessage(std::move(other.FMessage)), FHolder(std::move(other.FHolder)),
      FOtherComputer(std::move(other.FOtherComputer)), FHeldSince(std::move(other.FHeldSince)),
      FHeldByVolumnia(other.FHeldByVolumnia), ForeignDevice(other.ForeignDevice), ForeignInode(other.ForeignInode),
      ForeignContent(std::move(other.ForeignContent))
{
}

TWorkingFolderLock::~TWorkingFolderLock()
{
    Unlock();
}

TWorkingFolderLock::TResult TWorkingFolderLock::TryLock()
{
    if (IsLocked())
        return TResult::Locked;
    FMessage.clear();
    FHolder.clear();
    FOtherComputer.clear();
    FHeldSince = QDateTime();
    ForeignContent.clear();
    FHeldByVolumnia = false;
    const TResult beside = TryAt(Path);
    if (beside != TResult::NotPossible)
        return beside;
    // No lock file can be made beside the file: the user's runtime folder
    // holds it, named after the folder's identity, the same for every program.
    struct stat folder = {};
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const QString runtime =
        xdg && *xdg ? QFile::decodeName(xdg) : QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty() || ::stat(Folder.constData(), &folder) != 0)
        return TResult::NotPossible;
    const QByteArray own = QFile::encodeName(runtime) + "/volumnia";
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return TResult::NotPossible;
    const QByteArray key = own + "/" + QByteArray::number(static_cast<qulonglong>(folder.st_dev)) + "-" +
                           QByteArray::number(static_cast<qulonglong>(folder.st_ino)) + "-" + BaseName + ".lock";
    return TryAt(key);
}

TWorkingFolderLock::TResult TWorkingFolderLock::TryAt(const QByteArray& path)
{
    Where = path;
    const std::string shown = Shown(path);
    const auto notALockFile = [&](const char* kind) {
        FMessage = shown + " is " + kind + ", not a lock file: remove it, and start the program again";
        return TResult::Refused;
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct stat entry = {};
        if (::lstat(path.constData(), &entry) == 0) {
            if (!S_ISREG(entry.st_mode))
                return notALockFile(KindOf(entry.st_mode));
            if (entry.st_nlink > 1)
                return notALockFile(MoreThanOneName);
        }
        // Never blocks (O_NONBLOCK), never follows a link (O_NOFOLLOW). Made
        // new where nothing stands at the name: only a file this run made is
        // ever written.
        int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        const bool created = fd >= 0;
        bool mayWrite = created;
        if (created) {
            // Readable by everyone who can see the folder, whatever the
            // umask: a lock file others cannot open hides the lock from them.
            ::fchmod(fd, 0644);
        } else if (errno == EEXIST) {
            fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            mayWrite = fd >= 0;
            if (fd < 0 && (errno == EACCES || errno == EPERM))
                fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); // another user's
            if (fd < 0 && errno == ENOENT)
                continue; // gone in between
            if (fd < 0 && errno == ELOOP)
                return notALockFile("a link");
            if (fd < 0) {
                // It exists, so its holder may be running: never a reason to
                // lock somewhere else.
                FMessage = shown + " belongs to " + OwnerOf(path) +
                           " and may not be opened by you, so whether a program works on these files cannot be "
                           "told: ask its owner to let you read it (or to remove it when no program runs), and try "
                           "again";
                return TResult::Refused;
            }
        } else {
            return TResult::NotPossible; // no file can be made at the name
        }
        struct stat opened = {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_nlink > 1) {
            ::close(fd);
            return notALockFile(S_ISREG(opened.st_mode) ? MoreThanOneName : KindOf(opened.st_mode));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string content = ReadLockFile(fd);
            if (error != EWOULDBLOCK) {
                // A file system without locks: the file made here goes again
                // (it is still the one at the name: nobody could lock it).
                struct stat now = {};
                if (created && ::stat(path.constData(), &now) == 0 && now.st_dev == opened.st_dev &&
                    now.st_ino == opened.st_ino)
                    ::unlink(path.constData());
                ::close(fd);
                return TResult::NotPossible;
            }
            ::close(fd);
            FHolder = HolderOf(content);
            FHeldSince = ModifiedAt(opened);
            FHeldByVolumnia = Field(content, "program") == "Volumnia" && !OfAnotherComputer(content);
            FMessage = "These files are in use by " + FHolder + " (" + shown +
                       "). Only one program at a time may work on them: end it, and try again";
            return TResult::HeldElsewhere;
        }
        // The name may have been given to a new file since it was opened (a
        // holder that ended removes its file): then the lock is on nothing.
        struct stat now = {};
        if (::stat(path.constData(), &now) != 0 || now.st_dev != opened.st_dev || now.st_ino != opened.st_ino) {
            ::close(fd);
            continue;
        }
        if (!created) {
            const std::string content = ReadLockFile(fd);
            if (OfAnotherComputer(content)) {
                // Its process cannot be asked from here: the lock stands
                // until its program's end removes it, or the user takes it over.
                ::close(fd);
                FHolder = HolderOf(content);
                FOtherComputer = Field(content, "host");
                FHeldSince = ModifiedAt(opened);
                ForeignDevice = opened.st_dev;
                ForeignInode = opened.st_ino;
                ForeignContent = content;
                FMessage = "These files are in use by " + FHolder + " (" + shown +
                           "). If that program no longer runs there, remove " + shown + ", and try again";
                if (const std::string since = SinceText(FHeldSince); !since.empty())
                    FMessage += " (its lock was taken there at " + since + ")";
                return TResult::HeldElsewhere;
            }
            // Nobody holds it: a lock left by a program that ended (a crash,
            // another user's run). Removed where the folder lets us, and made
            // anew; never emptied and written over, since it is not ours.
            if (::unlink(path.constData()) == 0) {
                ::close(fd);
                continue;
            }
            if (!mayWrite) {
                ::close(fd);
                FHolder = HolderOf(content);
                FMessage = shown + " was left by " + FHolder +
                           ", which no longer runs, and may not be removed by you: ask its owner to remove it";
                return TResult::Refused;
            }
            // Held as it is: its note still names the program that left it.
        } else {
            const std::string mine =
                "pid=" + std::to_string(::getpid()) + "\nhost=" + ThisComputer() + "\nprogram=" + Me + "\n";
            // A full disk: the lock holds all the same, its file says nothing.
            // Never synced: the note is for people, the flock is the lock.
            if (::pwrite(fd, mine.data(), mine.size(), 0) != static_cast<ssize_t>(mine.size()))
                (void)!::ftruncate(fd, 0);
        }
        Fd = fd;
        Held = path;
        {
            const std::lock_guard guard(HeldGuard);
            HeldLocks()[fd] = {path, opened.st_dev, opened.st_ino};
        }
        return TResult::Locked;
    }
    return TResult::NotPossible;
}

void TWorkingFolderLock::Unlock()
{
    if (Fd < 0)
        return;
    {
        const std::lock_guard guard(HeldGuard);
        HeldLocks().erase(Fd);
    }
    // Removed while still held, so no other program takes a lock on a file
    // that is about to go.
    struct stat file = {}, held = {};
    if (::fstat(Fd, &held) == 0 && ::stat(Held.constData(), &file) == 0 && file.st_dev == held.st_dev &&
        file.st_ino == held.st_ino)
        ::unlink(Held.constData());
    ::close(Fd);
    Fd = -1;
}

TWorkingFolderLock::TResult TWorkingFolderLock::TakeOver()
{
    if (IsLocked() || FOtherComputer.empty())
        return TryLock();
    const QByteArray path = LockPath();
    // Only the file the user was told of goes: one that changed since (its
    // computer took the lock anew) is that computer's again to name.
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        struct stat info = {};
        const bool same = ::fstat(fd, &info) == 0 && info.st_dev == ForeignDevice && info.st_ino == ForeignInode &&
                          ReadLockFile(fd) == ForeignContent;
        ::close(fd);
        if (same)
            ::unlink(path.constData());
    }
    return TryLock();
}

bool TWorkingFolderLock::StillHeld()
{
    try {
        CheckHeld();
        return true;
    } catch (const ELockLost&) {
        return false;
    }
}

void TWorkingFolderLock::CheckHeld()
{
    const std::lock_guard guard(HeldGuard);
    for (const auto& entry : HeldLocks()) {
        const THeld& held = entry.second;
        struct stat now = {};
        if (::lstat(held.Path.constData(), &now) == 0 && now.st_dev == held.Device && now.st_ino == held.Inode)
            continue;
        const std::string shown = Shown(held.Path);
        std::string says = "it is gone";
        const int other = ::open(held.Path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (other >= 0) {
            const std::string content = ReadLockFile(other);
            ::close(other);
            says = "it now names " + HolderOf(content);
        }
        throw ELockLost("Nothing was saved: this run's lock " + shown + " was replaced while it held it (" + says +
                        "; a file synchronisation tool may have brought another computer's lock). Saving now could "
                        "overwrite the other computer's changes. End Volumnia here and start it again once only one "
                        "computer works on these files");
    }
}
