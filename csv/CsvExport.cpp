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

#include <iterator>
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
                                databasePath + QStringLiteral(".bak"),
                                TWorkingFolderLock::FileNameFor(TSettingsKeys::FileName)};
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

// Goodreads' library export, column by column.
const char* const GoodreadsHeader[] = {"Book Id",
                                       "Title",
                                       "Author",
                                       "Author l-f",
                                       "Additional Authors",
                                       "ISBN",
                                       "ISBN13",
                                       "My Rating",
                                       "Average Rating",
                                       "Publisher",
                                       "Binding",
                                       "Number of Pages",
                                       "Year Published",
                                       "Original Publication Year",
                                       "Date Read",
                                       "Date Added",
                                       "Bookshelves",
                                       "Bookshelves with positions",
                                       "Exclusive Shelf",
                                       "My Review",
                                       "Spoiler",
                                       "Private Notes",
                                       "Read Count",
                                       "Owned Copies"};
constexpr size_t GoodreadsColumns = std::size(GoodreadsHeader);
constexpr size_t GoodreadsTitle = 1, GoodreadsAuthor = 2, GoodreadsPublisher = 9, GoodreadsYear = 12,
                 GoodreadsPrivateNotes = 21;

const char* const TellicoHeader[] = {"Title", "Author", "Publisher", "Publication Year", "Comments"};
// Our loan, after the columns the other program reads.
const char* const LoanHeader[] = {"Loaned To", "Loan Date"};

std::vector<QString> HeaderRow(TCsvFormat format, const TAlias& aliases)
{
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
        row.push_back(QStringLiteral("ID"));
        for (int field = 0; field < TCsvColumns::FieldCount; ++field)
            row.push_back(Cp1252::ToQString(aliases[static_cast<size_t>(field)]));
        return row;
    case TCsvFormat::Tellico:
        for (const char* name : TellicoHeader)
            row.push_back(QString::fromLatin1(name));
        break;
    case TCsvFormat::Goodreads:
        for (const char* name : GoodreadsHeader)
            row.push_back(QString::fromLatin1(name));
        break;
    }
    for (const char* name : LoanHeader)
        row.push_back(QString::fromLatin1(name));
    return row;
}

std::vector<QString> BookRow(TCsvFormat format, const TItem& item)
{
    const auto field = [&item](int f) { return Cp1252::ToQString(item.Fields[static_cast<size_t>(f)]); };
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
        row.push_back(QString::number(item.ID));
        for (int f = 0; f < TCsvColumns::FieldCount; ++f)
            row.push_back(field(f));
        return row;
    case TCsvFormat::Tellico:
        row = {field(0), field(1), field(2), field(3), field(5).isEmpty() ? field(4) : field(4) + u'\n' + field(5)};
        break;
    case TCsvFormat::Goodreads:
        row.resize(GoodreadsColumns);
        row[GoodreadsTitle] = field(0);
        row[GoodreadsAuthor] = field(1);
        row[GoodreadsPublisher] = field(2);
        row[GoodreadsYear] = field(3);
        row[GoodreadsPrivateNotes] = field(4).isEmpty() ? field(5) : field(4) + u'\n' + field(5);
        break;
    }
    row.push_back(field(6));
    row.push_back(field(7));
    return row;
}

} // namespace

void TCsvExport::Run(const TCsvExportOptions& options, std::ostream& out, std::ostream& report)
{
    TCsvCatalogue catalogue;
    const TDatabase& database = catalogue.Database();
    if (options.SortField >= 0)
        catalogue.Catalogue().SortByField(database.Aliases()[static_cast<size_t>(options.SortField)]);

    QByteArray data;
    if (options.Bom)
        data += "\xEF\xBB\xBF";
    TCsvWriter::AppendRow(data, HeaderRow(options.Format, database.Aliases()));
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        TCsvWriter::AppendRow(data, BookRow(options.Format, database.ItemAt(slot)));

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
