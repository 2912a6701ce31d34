#include "csv/CsvExport.h"

#include "csv/CsvCatalogue.h"
#include "csv/CsvColumns.h"
#include "csv/CsvWriter.h"
#include "csv/ECsvRefusal.h"
#include "platform/Cp1252.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"

#include <QFileInfo>
#include <QSaveFile>

#include <vector>

namespace {

// A mistyped FILE must not replace the catalogue's own files with CSV.
void RefuseCatalogueFile(const QString& file, const QString& databasePath)
{
    const QFileInfo target(file);
    if (!target.exists())
        return;
    const QString targetPath = target.canonicalFilePath();
    const QString ownFiles[] = {QString::fromLatin1(TSettingsKeys::FileName), databasePath,
                                databasePath + QStringLiteral(".bak"), TWorkingFolderLock::FileName()};
    for (const QString& own : ownFiles) {
        const QFileInfo info(own);
        if (info.exists() && info.canonicalFilePath() == targetPath)
            throw ECsvRefusal(file.toStdString() + ": this is a file of the catalogue itself; choose another name");
    }
}

void WriteFile(const QString& file, const QByteArray& data)
{
    // Written beside the target and renamed over it when complete, so a full
    // disk never leaves half a list where a whole one was.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush() || !out.commit()) {
        const std::string reason = out.errorString().toStdString();
        out.cancelWriting();
        throw ECsvRefusal(file.toStdString() + ": cannot write the file: " + reason);
    }
}

} // namespace

void TCsvExport::Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report)
{
    TCsvCatalogue catalogue;
    TDatabase& database = catalogue.Database();
    if (options.SortField >= 0)
        database.SortBy(database.Aliases()[static_cast<size_t>(options.SortField)]);

    QByteArray data;
    if (options.Bom)
        data += "\xEF\xBB\xBF";
    std::vector<QString> row(TCsvColumns::FieldCount + 1);
    row[0] = QStringLiteral("ID");
    for (int field = 0; field < TCsvColumns::FieldCount; ++field)
        row[static_cast<size_t>(field) + 1] = Cp1252::ToQString(database.Aliases()[static_cast<size_t>(field)]);
    TCsvWriter::AppendRow(data, row);
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        row[0] = QString::number(item.ID);
        for (int field = 0; field < TCsvColumns::FieldCount; ++field)
            row[static_cast<size_t>(field) + 1] = Cp1252::ToQString(item.Fields[static_cast<size_t>(field)]);
        TCsvWriter::AppendRow(data, row);
    }

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
