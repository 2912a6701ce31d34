#include "platform/TextFile.h"

#include "platform/Cp1252.h"
#include "platform/FileWriteStep.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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

EFileTooLarge TooLarge(const QByteArray& native)
{
    return EFileTooLarge("File too large: " + Shown(native) + " holds more than " +
                         std::to_string(TTextFile::MaxFileSize) + " bytes (" +
                         std::to_string(TTextFile::MaxFileSize / (1024 * 1024)) +
                         " MiB), the most a data file may hold; it was not read");
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
        if (!S_ISREG(leftover.st_mode))
            throw InTheWay(temporary);
        // Another user's leftover in a shared folder goes too where the folder
        // lets us remove it: the saver holds the files' locks, so nobody is
        // saving through it.
        if (::unlink(temporary.constData()) != 0 && errno != ENOENT) {
            // A folder that no longer lets us remove our own leftover takes
            // no new file either: that, not the leftover, is what stops the save.
            if ((errno == EACCES || errno == EPERM) && leftover.st_uid == ::geteuid())
                return -1;
            throw InTheWay(temporary);
        }
    }
    throw InTheWay(temporary);
}

// A save needs a new file beside the target; a folder that refuses it could
// only be written in place, which a crash at the wrong moment would tear.
EInOutError FolderTakesNoNewFile(const QByteArray& target)
{
    return EInOutError(Shown(target) +
                       " was not saved: its folder does not let a new file be made beside it, and every save "
                       "needs one so that it can never leave a torn file. Allow new files in that folder (write "
                       "permission) and save again");
}

// The group entry of a POSIX access ACL as the kernel stores it (a 4-byte
// version, then 8-byte entries of tag, permissions and id); -1 if none.
int AclGroupPermissions(const std::string& acl)
{
    constexpr uint16_t GroupObject = 0x04;
    for (size_t at = 4; at + 8 <= acl.size(); at += 8) {
        const auto tag =
            static_cast<uint16_t>(static_cast<unsigned char>(acl[at]) | static_cast<unsigned char>(acl[at + 1]) << 8);
        if (tag == GroupObject)
            return static_cast<unsigned char>(acl[at + 2]) & 07;
    }
    return -1;
}

// Copies the extended attributes of the file at source (its ACL among them;
// only its access ACL where aclOnly) to the new file fd, best effort. When the
// access ACL cannot be copied the mode's group bits, which hold the ACL's
// mask, are set to the owning group's own permissions instead: the mask never
// becomes a grant to the group.
void CopyExtendedAttributes(const QByteArray& source, int fd, mode_t mode, bool aclOnly = false)
{
    const ssize_t listed = ::llistxattr(source.constData(), nullptr, 0);
    if (listed <= 0)
        return;
    std::string names(static_cast<size_t>(listed), '\0');
    const ssize_t got = ::llistxattr(source.constData(), names.data(), names.size());
    if (got <= 0)
        return;
    names.resize(static_cast<size_t>(got));
    for (size_t at = 0; at < names.size();) {
        const size_t end = std::min(names.find('\0', at), names.size());
        const std::string name = names.substr(at, end - at);
        at = end + 1;
        if (name.empty() || (aclOnly && name != "system.posix_acl_access"))
            continue;
        const ssize_t size = ::lgetxattr(source.constData(), name.c_str(), nullptr, 0);
        if (size < 0 || size > 1024 * 1024)
            continue;
        std::string value(static_cast<size_t>(size), '\0');
        const ssize_t read = ::lgetxattr(source.constData(), name.c_str(), value.data(), value.size());
        if (read < 0)
            continue;
        value.resize(static_cast<size_t>(read));
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) == 0)
            continue;
        if (name == "system.posix_acl_access") {
            const int group = AclGroupPermissions(value);
            if (group >= 0)
                ::fchmod(fd, (mode & ~static_cast<mode_t>(070)) | static_cast<mode_t>(group << 3));
        }
    }
}

// The name of the account uid, or its number.
std::string AccountName(uid_t uid)
{
    struct passwd entry = {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

QByteArray FolderOf(const QByteArray& native)
{
    return QFile::encodeName(QFileInfo(QFile::decodeName(native)).absolutePath());
}

// In a sticky folder (mode 1777 or 1775, as shared folders often are) only the
// owner of a file, or of the folder, may replace it: the rename would fail
// after the whole new file was written, so the save is refused before.
void RefuseStickyFolder(const QByteArray& target, const struct stat& old)
{
    const uid_t me = ::geteuid();
    if (me == 0 || old.st_uid == me)
        return;
    const QByteArray folder = FolderOf(target);
    struct stat info = {};
    if (::stat(folder.constData(), &info) != 0 || !(info.st_mode & S_ISVTX) || info.st_uid == me)
        return;
    throw EInOutError(Shown(target) + " was not saved: it belongs to " + AccountName(old.st_uid) + ", and its folder " +
                      Shown(folder) + " is sticky, so only the file's owner may replace it there. Ask " +
                      AccountName(old.st_uid) + " to save it, or the folder's owner to clear the folder's sticky bit");
}

// The access ACL as the kernel stores it: a version, then entries of tag,
// permissions and id, ordered by tag and id.
struct TAclEntry {
    uint16_t Tag;
    uint16_t Permissions;
    uint32_t Id;
};
constexpr uint16_t AclUserObject = 0x01, AclUser = 0x02, AclGroupObject = 0x04, AclGroup = 0x08, AclMask = 0x10,
                   AclOther = 0x20;
constexpr uint32_t AclVersion = 2;
constexpr uint32_t NoId = static_cast<uint32_t>(-1);

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

void AppendLittleEndian(std::string& bytes, uint32_t value, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Gives the account owner, which no longer owns the new file fd, an entry of
// its own in the file's ACL with the permissions it had as owner; the mask
// widens to take it in. Whether the file system took it.
bool KeepOwnersAccess(int fd, uid_t owner, mode_t mode)
{
    std::vector<TAclEntry> entries;
    std::string acl(4096, '\0');
    const ssize_t got = ::fgetxattr(fd, "system.posix_acl_access", acl.data(), acl.size());
    if (got >= 4 && LittleEndian(acl, 0, 4) == AclVersion) {
        for (size_t at = 4; at + 8 <= static_cast<size_t>(got); at += 8)
            entries.push_back({static_cast<uint16_t>(LittleEndian(acl, at, 2)),
                               static_cast<uint16_t>(LittleEndian(acl, at + 2, 2)), LittleEndian(acl, at + 4, 4)});
    } else {
        entries = {{AclUserObject, static_cast<uint16_t>((mode >> 6) & 07), NoId},
                   {AclGroupObject, static_cast<uint16_t>((mode >> 3) & 07), NoId},
                   {AclOther, static_cast<uint16_t>(mode & 07), NoId}};
    }
    const auto granted = static_cast<uint16_t>((mode >> 6) & 07);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [owner](const TAclEntry& e) { return e.Tag == AclUser && e.Id == owner; }),
                  entries.end());
    entries.push_back({AclUser, granted, owner});
    uint16_t mask = 0;
    bool hasMask = false;
    for (const TAclEntry& e : entries) {
        if (e.Tag == AclUser || e.Tag == AclGroup || e.Tag == AclGroupObject)
            mask |= e.Permissions;
        hasMask = hasMask || e.Tag == AclMask;
    }
    if (!hasMask)
        entries.push_back({AclMask, mask, NoId});
    for (TAclEntry& e : entries)
        if (e.Tag == AclMask)
            e.Permissions |= mask;
    std::sort(entries.begin(), entries.end(),
              [](const TAclEntry& a, const TAclEntry& b) { return a.Tag != b.Tag ? a.Tag < b.Tag : a.Id < b.Id; });
    std::string value;
    AppendLittleEndian(value, AclVersion, 4);
    for (const TAclEntry& e : entries) {
        AppendLittleEndian(value, e.Tag, 2);
        AppendLittleEndian(value, e.Permissions, 2);
        AppendLittleEndian(value, e.Id, 4);
    }
    return ::fsetxattr(fd, "system.posix_acl_access", value.data(), value.size(), 0) == 0;
}

// What the new file of a save takes from its model: everything of the file it
// replaces (or copies), or, for a side file made new, the database's mode,
// group and access ACL, the attributes that say who may use it.
enum class TTakes { Everything, Access };

// Puts data into target by a new file, "<target>.saving", made beside it and
// renamed over it once its whole content is on the disk. model: the file
// whose mode, owner, group and extended attributes the new file takes (at
// modelPath), or nullptr for a file made new.
void ReplaceByRename(const QByteArray& target, const std::string& data, const struct stat* model,
                     const QByteArray& modelPath, TTakes takes = TTakes::Everything)
{
    // One fixed name for the new content: a save killed half way leaves at
    // most this file, and the next save removes it.
    const QByteArray temporary = target + ".saving";
    const mode_t mode = model ? (model->st_mode & (takes == TTakes::Access ? 0777 : 07777)) : 0666;
    const int fd = CreateTemporary(temporary, mode);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            throw FolderTakesNoNewFile(target);
        throw EInOutError::FromErrno(error);
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        throw EInOutError::FromErrno(error);
    };
    if (model) {
        // Owner and group where the process may set them (a group-shared
        // file stays shared), then the exact mode, which the umask may have
        // narrowed; both best effort. The owner first: a change of owner
        // clears set-id bits. The extended attributes last: an access ACL
        // sets the mode's group bits to its mask, as on the old file.
        struct stat made = {};
        const bool differs = ::fstat(fd, &made) != 0 || made.st_uid != model->st_uid || made.st_gid != model->st_gid;
        if (differs && ::fchown(fd, model->st_uid, model->st_gid) != 0)
            (void)!::fchown(fd, static_cast<uid_t>(-1), model->st_gid);
        ::fchmod(fd, mode);
        CopyExtendedAttributes(modelPath, fd, mode, takes == TTakes::Access);
        // Saved by another user (one an ACL or the group lets write it), the
        // new file is that user's: the owner keeps their access by an ACL
        // entry of their own, or nothing is saved. A side file made new is
        // its maker's; the database's owner reaches it as the database's
        // group and ACL let them.
        const uid_t owner = model->st_uid;
        const bool ownerLost =
            takes == TTakes::Everything && owner != 0 && (::fstat(fd, &made) != 0 || made.st_uid != owner);
        const bool othersMay = (mode & 07) == ((mode >> 6) & 07);
        if (ownerLost && !KeepOwnersAccess(fd, owner, mode) && !othersMay) {
            ::close(fd);
            ::unlink(temporary.constData());
            throw EInOutError(Shown(target) + " was not saved: it belongs to " + AccountName(owner) +
                              ", and saved by you it would become yours, leaving " + AccountName(owner) +
                              " no access to it (this file system keeps no access list that could give it back). "
                              "Ask " +
                              AccountName(owner) + " to save it");
        }
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

// What stands at a side file's name where no regular file does, said in
// words; "" for a regular file.
std::string NotASideFile(const QByteArray& native, const struct stat& entry)
{
    if (S_ISREG(entry.st_mode))
        return {};
    if (S_ISLNK(entry.st_mode))
        return Shown(native) + " is a symbolic link, which a file kept beside the database is never written through";
    if (S_ISDIR(entry.st_mode))
        return Shown(native) + " is a folder, not a file";
    return Shown(native) + " is " + (S_ISFIFO(entry.st_mode) ? "a FIFO" : "a device") + ", not a regular file";
}

// An open refused with errno error: what stands at the name where the refusal
// comes from it (a link, a folder, a FIFO), the errno's words otherwise.
EInOutError OpenRefused(const QByteArray& native, int error)
{
    struct stat entry = {};
    if ((error == ELOOP || error == EISDIR || error == ENXIO) && ::lstat(native.constData(), &entry) == 0) {
        const std::string kind = NotASideFile(native, entry);
        if (!kind.empty())
            return EInOutError(kind);
    }
    return EInOutError::FromErrno(error);
}

// Whether the process may write the file (its effective identity, as the
// open will use).
bool MayWrite(const QByteArray& native)
{
    return ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) == 0;
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
        throw TooLarge(native);
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    const bool read = ReadFrom(fd, bytes, MaxFileSize);
    const int error = errno;
    ::close(fd);
    if (!read)
        throw EInOutError::FromErrno(error);
    if (static_cast<int64_t>(bytes.size()) > MaxFileSize) // it grew while being read
        throw TooLarge(native);
    return bytes;
}

int64_t TTextFile::SizeOf(const std::string& path)
{
    const QByteArray native = QFile::encodeName(Path(path));
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
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
        RefuseStickyFolder(target, old);
        replacing = true;
    } else if (errno != ENOENT) {
        throw EInOutError::FromErrno(errno);
    }
    // A file with several names is replaced like any other: this name gets
    // the new file, the other names keep the old content (what snapshot tools
    // that share unchanged files by hard links rely on).
    ReplaceByRename(target, data, replacing ? &old : nullptr, target);
}

void TTextFile::WriteCopyOf(const std::string& path, const std::string& data, const std::string& original)
{
    const QByteArray named = QFile::encodeName(Path(path));
    struct stat entry = {};
    if (::lstat(named.constData(), &entry) == 0) {
        // A link at this name (symbolic or hard) is replaced, never written
        // through. Anything else that is no regular file is left alone.
        if (!S_ISLNK(entry.st_mode) && !S_ISREG(entry.st_mode))
            throw NotARegularFile(named);
        if (S_ISREG(entry.st_mode) && entry.st_nlink == 1 && ::faccessat(AT_FDCWD, named.constData(), W_OK, 0) != 0)
            throw EInOutError::FromErrno(errno);
        RefuseStickyFolder(named, entry);
    } else if (errno != ENOENT) {
        throw EInOutError::FromErrno(errno);
    }
    const QByteArray from = QFile::encodeName(Path(original));
    char* real = ::realpath(from.constData(), nullptr);
    const QByteArray model = real ? QByteArray(real) : from;
    std::free(real);
    struct stat modelInfo = {};
    const bool haveModel = ::stat(model.constData(), &modelInfo) == 0 && S_ISREG(modelInfo.st_mode);
    ReplaceByRename(named, data, haveModel ? &modelInfo : nullptr, model);
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
            if (::lstat(temporary.constData(), &leftover) == 0 && S_ISREG(leftover.st_mode))
                ::unlink(temporary.constData());
            return false;
        }
    } catch (const EInOutError&) {
        // Unreadable as it stands: the write replaces it or says why not.
    }
    WriteAtomically(path, data);
    return true;
}

void TTextFile::Append(const std::string& path, const std::string& data)
{
    const QByteArray native = QFile::encodeName(Path(path));
    const int fd =
        ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        throw OpenRefused(native, errno);
    const auto fail = [fd](int error) {
        ::close(fd);
        return EInOutError::FromErrno(error);
    };
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        throw fail(errno);
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EInOutError(NotASideFile(native, info));
    }
    std::string old;
    std::string bytes;
    const bool severalNames = info.st_nlink > 1;
    if (severalNames) {
        // The bytes already there go into the new file that replaces this
        // name; the other names keep them as they are.
        const int reader = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool read = reader >= 0 && ReadFrom(reader, old, MaxFileSize);
        const int error = errno;
        if (reader >= 0)
            ::close(reader);
        if (!read)
            throw fail(error);
        if (!old.empty() && (old.size() < 2 || old.compare(old.size() - 2, 2, "\r\n") != 0))
            bytes = "\r\n";
    } else if (info.st_size > 0) {
        char end[2] = {};
        const int reader = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool whole = reader >= 0 && info.st_size >= 2 && ::pread(reader, end, 2, info.st_size - 2) == 2 &&
                           end[0] == '\r' && end[1] == '\n';
        if (reader >= 0)
            ::close(reader);
        if (!whole)
            bytes = "\r\n";
    }
    bytes += data;
    if (severalNames) {
        ::close(fd);
        RefuseStickyFolder(native, info);
        ReplaceByRename(native, old + bytes, &info, native);
        return;
    }
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw fail(errno);
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0)
        throw fail(errno);
    if (::close(fd) != 0)
        throw EInOutError::FromErrno(errno);
}

std::string TTextFile::SideFileName(const std::string& databaseFile, const std::string& suffix)
{
    const QByteArray native = QFile::encodeName(Path(databaseFile));
    struct stat entry = {};
    if (databaseFile.empty() || ::lstat(native.constData(), &entry) != 0 || !S_ISLNK(entry.st_mode))
        return databaseFile + suffix;
    char* real = ::realpath(native.constData(), nullptr);
    if (!real)
        return databaseFile + suffix; // a dangling link: no database to stand beside
    const QByteArray resolved(real);
    std::free(real);
    const std::string name = Shown(resolved);
    // A target whose name Windows-1252 cannot spell is not reached by that
    // text; the side files then stay beside the link.
    if (QFile::encodeName(Path(name)) != resolved)
        return databaseFile + suffix;
    return name + suffix;
}

void TTextFile::WriteSideFile(const std::string& path, const std::string& data, const std::string& databaseFile)
{
    const QByteArray named = QFile::encodeName(Path(path));
    struct stat entry = {};
    if (::lstat(named.constData(), &entry) == 0) {
        if (const std::string kind = NotASideFile(named, entry); !kind.empty())
            throw EInOutError(kind);
        if (!MayWrite(named))
            throw EInOutError::FromErrno(errno);
        RefuseStickyFolder(named, entry);
        // Its own mode, owner, group and attributes; a hard link's other
        // names keep the old content.
        ReplaceByRename(named, data, &entry, named);
        return;
    }
    if (errno != ENOENT)
        throw EInOutError::FromErrno(errno);
    const QByteArray database = QFile::encodeName(Path(databaseFile));
    char* real = ::realpath(database.constData(), nullptr);
    const QByteArray model = real ? QByteArray(real) : database;
    std::free(real);
    struct stat modelInfo = {};
    const bool haveModel = ::stat(model.constData(), &modelInfo) == 0 && S_ISREG(modelInfo.st_mode);
    ReplaceByRename(named, data, haveModel ? &modelInfo : nullptr, model, TTakes::Access);
}

std::string TTextFile::SideFileProblem(const std::string& path)
{
    const QByteArray named = QFile::encodeName(Path(path));
    struct stat entry = {};
    if (::lstat(named.constData(), &entry) != 0)
        return errno == ENOENT ? std::string() : EInOutError::FromErrno(errno).what();
    if (std::string kind = NotASideFile(named, entry); !kind.empty())
        return kind;
    if (!MayWrite(named)) {
        const int error = errno;
        return Shown(named) + ": " + EInOutError::FromErrno(error).what() +
               (error == EACCES ? " (you may not write it: ask its owner, " + AccountName(entry.st_uid) +
                                      ", to let the group write it)"
                                : std::string());
    }
    return {};
}

void TTextFile::MakeSideFolder(const std::string& path, const std::string& databaseFile)
{
    const QByteArray named = QFile::encodeName(Path(path));
    struct stat entry = {};
    if (::lstat(named.constData(), &entry) == 0) {
        if (S_ISDIR(entry.st_mode))
            return;
        if (S_ISLNK(entry.st_mode))
            throw EInOutError(Shown(named) + " is a symbolic link, which a folder kept beside the database is never "
                                             "reached through");
        throw InTheWay(named);
    }
    if (errno != ENOENT)
        throw EInOutError::FromErrno(errno);
    struct stat model = {};
    const bool haveModel = ::stat(QFile::encodeName(Path(databaseFile)).constData(), &model) == 0;
    mode_t mode = haveModel ? (model.st_mode & 0666) : 0755;
    if (haveModel)
        mode |= (mode & 0444) >> 2; // who may read a file there may enter the folder
    if (::mkdir(named.constData(), mode) != 0 && errno != EEXIST)
        throw EInOutError::FromErrno(errno);
    if (haveModel) {
        // Best effort, as a new side file: the umask and the folder's own
        // group would otherwise shut out the database's other writers.
        if (::chown(named.constData(), static_cast<uid_t>(-1), model.st_gid) != 0) {
            // Not a member of the group: the folder keeps the user's own.
        }
        ::chmod(named.constData(), mode);
    }
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
