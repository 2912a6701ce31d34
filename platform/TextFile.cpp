#include "platform/TextFile.h"

#include "platform/Cp1252.h"
#include "platform/EInOutError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int64_t FaultAfter = -1;
bool FaultOnce = false;

// Paths arrive as Windows-1252 text like every other text below the widgets
// (the database path is a setting, the file dialog's choice stored through
// Cp1252::FromQString), so they are decoded as such, not as the locale's
// 8-bit encoding, which would turn an "\xE4" into a replacement character.
QString Path(const std::string& path)
{
    return Cp1252::ToQString(path);
}

EInOutError ErrorFor(QFileDevice::FileError error, int savedErrno)
{
    if (savedErrno != 0)
        return EInOutError::FromErrno(savedErrno);
    switch (error) {
    case QFileDevice::PermissionsError:
        return EInOutError::FromErrno(EACCES);
    case QFileDevice::ResourceError:
        return EInOutError::FromErrno(ENOSPC);
    case QFileDevice::OpenError:
        return EInOutError::FromErrno(ENOENT);
    default:
        return EInOutError::FromErrno(EIO);
    }
}

} // namespace

bool TTextFile::Exists(const std::string& path)
{
    const QFileInfo info(Path(path));
    return info.exists() && !info.isDir();
}

std::string TTextFile::ReadAll(const std::string& path)
{
    QFile file(Path(path));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw ErrorFor(file.error(), errno);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ErrorFor(file.error(), errno);
    return bytes.toStdString();
}

void TTextFile::WriteAtomically(const std::string& path, const std::string& data)
{
    const QByteArray target = QFile::encodeName(Path(path));
    // One fixed name for the new content: a save killed half way leaves at
    // most this file, and the next save truncates it and renames it away.
    const QByteArray temporary = target + ".saving";

    struct stat old = {};
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        throw EInOutError::FromErrno(EISDIR);

    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EInOutError::FromErrno(errno);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        throw EInOutError::FromErrno(error);
    };
    if (replacing)
        ::fchmod(fd, old.st_mode & 07777); // the new file keeps the old one's permissions

    const int64_t size = static_cast<int64_t>(data.size());
    int64_t accepted = size;
    const bool injected = FaultAfter >= 0 && FaultAfter <= size;
    if (injected) {
        accepted = FaultAfter;
        if (FaultOnce)
            FaultAfter = -1;
    }
    int64_t done = 0;
    while (done < accepted) {
        const ssize_t written = ::write(fd, data.data() + done, static_cast<size_t>(accepted - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            fail(errno);
        if (written == 0)
            fail(ENOSPC);
        done += written;
    }
    if (injected)
        fail(ENOSPC);
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
    // And the rename itself must survive a power cut.
    const QByteArray folder = QFile::encodeName(QFileInfo(Path(path)).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void TTextFile::InjectWriteFault(int64_t failAfterBytes, bool failOnce)
{
    FaultAfter = failAfterBytes;
    FaultOnce = failOnce;
}
