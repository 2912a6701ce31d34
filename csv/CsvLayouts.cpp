#include "csv/CsvLayouts.h"

#include "csv/CsvColumns.h"
#include "platform/Cp1252.h"

#include <iterator>

namespace {

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
                                       "Recommended For",
                                       "Recommended By",
                                       "Owned Copies",
                                       "Original Purchase Date",
                                       "Original Purchase Location",
                                       "Condition",
                                       "Condition Description",
                                       "BCID"};
constexpr size_t GoodreadsColumns = std::size(GoodreadsHeader);
constexpr size_t GoodreadsTitle = 1, GoodreadsAuthor = 2, GoodreadsPublisher = 9, GoodreadsYear = 12,
                 GoodreadsDateAdded = 15, GoodreadsShelf = 18, GoodreadsPrivateNotes = 21;

const char* const TellicoHeader[] = {"title", "author", "publisher", "pub_year", "comments"};
// Our loan, after the columns the other program reads.
const char* const LoanHeader[] = {"Loaned To", "Loan Date"};

} // namespace

std::vector<QString> TCsvLayouts::Header(TCsvFormat format, const TAlias& aliases)
{
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
    case TCsvFormat::Tellico: // not CSV; the Volumnia header if ever asked
        row.push_back(QStringLiteral("ID"));
        for (int field = 0; field < TCsvColumns::FieldCount; ++field)
            row.push_back(Cp1252::ToQString(aliases[static_cast<size_t>(field)]));
        row.push_back(QString::fromLatin1(DueHeader));
        return row;
    case TCsvFormat::TellicoCsv:
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
    row.push_back(QString::fromLatin1(DueHeader));
    return row;
}

std::vector<QString> TCsvLayouts::Row(TCsvFormat format, const TItem& item, const QDate& due,
                                      const TCsvLayoutOptions& options)
{
    const QString dueText = due.isValid() ? due.toString(Qt::ISODate) : QString();
    const auto field = [&item](int f) { return Cp1252::ToQString(item.Fields[static_cast<size_t>(f)]); };
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
    case TCsvFormat::Tellico:
        row.push_back(QString::number(item.ID));
        for (int f = 0; f < TCsvColumns::FieldCount; ++f)
            row.push_back(field(f));
        row.push_back(dueText);
        return row;
    case TCsvFormat::TellicoCsv:
        row = {field(0), field(1), field(2), field(3), field(5).isEmpty() ? field(4) : field(4) + u'\n' + field(5)};
        break;
    case TCsvFormat::Goodreads:
        row.resize(GoodreadsColumns);
        row[GoodreadsTitle] = field(0);
        row[GoodreadsAuthor] = field(1);
        row[GoodreadsPublisher] = field(2);
        row[GoodreadsYear] = field(3);
        row[GoodreadsDateAdded] = options.Today.toString(QStringLiteral("yyyy/MM/dd"));
        row[GoodreadsShelf] = options.Shelf;
        row[GoodreadsPrivateNotes] = field(4).isEmpty() ? field(5) : field(4) + u'\n' + field(5);
        break;
    }
    row.push_back(field(6));
    row.push_back(field(7));
    row.push_back(dueText);
    return row;
}
