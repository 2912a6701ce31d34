#include "csv/CsvExport.h"

#include "csv/CsvCatalogue.h"
#include "csv/CsvWriter.h"
#include "csv/ECsvRefusal.h"
#include "csv/TellicoFile.h"
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

// The file's bytes: a Tellico data file, or CSV in the layout asked for.
QByteArray Exported(const TCsvExportOptions& options, const TDatabase& database)
{
    if (options.Format == TCsvFormat::Tellico) {
        std::vector<TItem> items;
        for (int32_t slot = 0; slot < database.Count(); ++slot)
            items.push_back(database.ItemAt(slot));
        return TTellicoFile::Write(items);
    }
    TCsvLayoutOptions layout;
    layout.Shelf = options.Shelf;
    layout.Today = options.Today.isNull() ? QDate::currentDate() : options.Today;
    QByteArray data;
    if (options.Bom)
        data += "\xEF\xBB\xBF";
    TCsvWriter::AppendRow(data, TCsvLayouts::Header(options.Format, database.Aliases()));
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        TCsvWriter::AppendRow(data, TCsvLayouts::Row(options.Format, database.ItemAt(slot), layout));
    return data;
}

} // namespace

void TCsvExport::Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report)
{
    TCsvCatalogue catalogue;
    TDatabase& database = catalogue.Database();
    if (options.SortField >= 0)
        database.SortBy(database.Aliases()[static_cast<size_t>(options.SortField)]);

    const QByteArray data = Exported(options, database);

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
