#include "csv/CsvExport.h"

#include "csv/CsvCatalogue.h"
#include "csv/CsvWriter.h"
#include "csv/ECsvRefusal.h"
#include "csv/TellicoFile.h"
#include "engine/DueDates.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The names a path stands for: itself with its folder's links resolved, and
// the file its own link leads to.
std::vector<QByteArray> NamesOf(const QByteArray& path)
{
    std::vector<QByteArray> names;
    const QFileInfo info(QFile::decodeName(path));
    const QString folder = info.absoluteDir().canonicalPath();
    if (!folder.isEmpty())
        names.push_back(QFile::encodeName(folder + u'/' + info.fileName()));
    if (char* real = ::realpath(path.constData(), nullptr)) {
        names.emplace_back(real);
        std::free(real);
    }
    return names;
}

} // namespace

// A mistyped FILE must replace none of the catalogue's own files: the
// settings, the database and the side files kept beside it (its safety copy,
// the due dates, the history, the book details), the lock files (replaced, a
// running program's lock would be lost) and the temporary names of a save.
void TCsvExport::RefuseCatalogueFile(const QString& file, const QString& databasePath)
{
    const QByteArray settings = TSettingsKeys::FileName;
    const QByteArray database = QFile::encodeName(databasePath);
    std::vector<QByteArray> own = {
        settings, settings + ".saving", QFile::encodeName(TWorkingFolderLock::FileNameFor(TSettingsKeys::FileName)),
        database, database + ".saving", database + ".lock"};
    // Each side file where the catalogue keeps it (beside the file a link at
    // the database's name leads to) and beside the name as given, with the
    // temporary name of its save.
    const std::string databaseText = Cp1252::FromQString(databasePath);
    for (const char* suffix : {".bak", ".due", ".history", ".details"})
        for (const QByteArray& side :
             {database + suffix, QFile::encodeName(Cp1252::ToQString(TTextFile::SideFileName(databaseText, suffix)))})
            own.insert(own.end(), {side, side + ".saving"});
    // Where a link leads to the files, their locks and temporary files stand
    // beside the file it leads to.
    for (const QByteArray& data : {settings, database})
        if (char* real = ::realpath(data.constData(), nullptr)) {
            const QByteArray target(real);
            std::free(real);
            for (const char* suffix : {"", ".saving", ".lock"})
                own.push_back(target + suffix);
        }
    const QByteArray native = QFile::encodeName(file);
    struct stat target = {};
    const bool exists = ::stat(native.constData(), &target) == 0;
    const std::vector<QByteArray> names = NamesOf(native);
    for (const QByteArray& path : own) {
        struct stat info = {};
        const bool same = exists && ::stat(path.constData(), &info) == 0 && info.st_dev == target.st_dev &&
                          info.st_ino == target.st_ino;
        const std::vector<QByteArray> ownNames = NamesOf(path);
        const bool named = std::any_of(names.begin(), names.end(), [&](const QByteArray& name) {
            return std::find(ownNames.begin(), ownNames.end(), name) != ownNames.end();
        });
        if (same || named)
            throw ECsvRefusal(file.toStdString() + ": this is a file of the catalogue itself (" +
                              QFile::decodeName(path).toStdString() + "); choose another name");
    }
}

namespace {

// A FIFO or a terminal takes the list as a stream, in place: its reader gets
// it. Whatever else is no regular file is refused.
bool WriteStream(const QString& file, const QByteArray& data)
{
    const QByteArray native = QFile::encodeName(file);
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0 || S_ISREG(info.st_mode))
        return false;
    if (!S_ISFIFO(info.st_mode) && !S_ISCHR(info.st_mode))
        throw ECsvRefusal(file.toStdString() + ": " +
                          (S_ISDIR(info.st_mode)   ? "a folder"
                           : S_ISBLK(info.st_mode) ? "a block device"
                                                   : "no file") +
                          ", not a file the list can be written to; choose another name");
    // Opened without waiting: a FIFO that no program reads would hold the
    // export until killed. Once open, the writes wait for the reader.
    const int fd = ::open(native.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENXIO)
        throw ECsvRefusal(file.toStdString() + ": no program reads from this FIFO; start its reader first");
    if (fd < 0)
        throw ECsvRefusal(file.toStdString() + ": cannot write to it: " + std::strerror(errno));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        throw ECsvRefusal(file.toStdString() + ": cannot write to it: " + std::strerror(error));
    }
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t written = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            throw ECsvRefusal(file.toStdString() + ": cannot write to it: " + std::strerror(error) +
                              (done > 0 ? " (part of the list reached it)" : ""));
        }
        done += written;
    }
    if (::close(fd) != 0)
        throw ECsvRefusal(file.toStdString() + ": cannot write to it: " + std::strerror(errno));
    return true;
}

void WriteFile(const QString& file, const QByteArray& data)
{
    if (WriteStream(file, data))
        return;
    // Written beside the target and renamed over it when complete, so a full
    // disk never leaves half a list where a whole one was.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush() || !out.commit()) {
        const std::string reason = out.errorString().toStdString();
        out.cancelWriting();
        throw ECsvRefusal(file.toStdString() + ": cannot write the file: " + reason);
    }
}

// The file's bytes: a Tellico data file, or CSV in the layout asked for,
// each loan with its due date.
QByteArray Exported(const TCsvExportOptions& options, const TDatabase& database, const TDueDates& dues)
{
    if (options.Format == TCsvFormat::Tellico) {
        std::vector<TItem> items;
        std::vector<QDate> due;
        for (int32_t slot = 0; slot < database.Count(); ++slot) {
            items.push_back(database.ItemAt(slot));
            due.push_back(dues.Due(items.back()).value_or(QDate()));
        }
        return TTellicoFile::Write(items, due, options.Today.isNull() ? QDate::currentDate() : options.Today);
    }
    TCsvLayoutOptions layout;
    layout.Shelf = options.Shelf;
    layout.Today = options.Today.isNull() ? QDate::currentDate() : options.Today;
    QByteArray data;
    if (options.Bom)
        data += "\xEF\xBB\xBF";
    TCsvWriter::AppendRow(data, TCsvLayouts::Header(options.Format, database.Aliases()));
    const std::vector<size_t> verbatim = TCsvLayouts::Verbatim(options.Format);
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        TCsvWriter::AppendRow(data, TCsvLayouts::Row(options.Format, item, dues.Due(item).value_or(QDate()), layout),
                              verbatim);
    }
    return data;
}

} // namespace

void TCsvExport::Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report)
{
    TCsvCatalogue catalogue;
    const TDatabase& database = catalogue.Database();
    if (options.SortField >= 0)
        catalogue.Catalogue().SortByField(database.Aliases()[static_cast<size_t>(options.SortField)]);

    // The due dates beside the database; a damaged file loses only them, said once.
    TDueDates dues(catalogue.Catalogue(), [] { return QDate::currentDate(); });
    if (const std::string note = dues.TakeNote(); !note.empty())
        report << "Note: " << TCsvCatalogue::Utf8(note) << "\n";
    const QByteArray data = Exported(options, database, dues);

    if (options.File.isEmpty()) {
        out.write(data.constData(), data.size());
        out.flush();
        if (!out)
            throw ECsvRefusal("cannot write to standard output");
        return;
    }
    RefuseCatalogueFile(options.File, catalogue.DatabasePath());
    WriteFile(options.File, data);
    report << database.Count() << (database.Count() == 1 ? " book" : " books") << " written to "
           << options.File.toStdString() << "\n";
}
