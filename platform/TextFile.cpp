#include "platform/TextFile.h"

#include "platform/Cp1252.h"
#include "platform/EInOutError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

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
    QSaveFile file(Path(path));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw ErrorFor(file.error(), errno);

    const int64_t size = static_cast<int64_t>(data.size());
    int64_t accepted = size;
    const bool injected = FaultAfter >= 0 && FaultAfter <= size;
    if (injected) {
        accepted = FaultAfter;
        if (FaultOnce)
            FaultAfter = -1;
    }
    // A short write is a failure even when QSaveFile would let commit() pass.
    const bool written = file.write(data.data(), accepted) == accepted && !injected;
    if (!written || !file.flush()) {
        const int saved = errno;
        const auto error = file.error();
        file.cancelWriting();
        file.commit(); // removes the temporary file after cancelWriting()
        throw injected ? EInOutError::FromErrno(ENOSPC) : ErrorFor(error, saved);
    }
    if (!file.commit())
        throw ErrorFor(file.error(), errno);
}

void TTextFile::InjectWriteFault(int64_t failAfterBytes, bool failOnce)
{
    FaultAfter = failAfterBytes;
    FaultOnce = failOnce;
}
