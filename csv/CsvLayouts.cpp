#include "csv/CsvLayouts.h"

#include "csv/CsvColumns.h"
#include "engine/FieldTable.h"
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
constexpr size_t GoodreadsTitle = 1, GoodreadsAuthor = 2, GoodreadsIsbn = 5, GoodreadsIsbn13 = 6, GoodreadsRating = 7,
                 GoodreadsPublisher = 9, GoodreadsPages = 11, GoodreadsYear = 12, GoodreadsOriginalYear = 13,
                 GoodreadsDateRead = 14, GoodreadsDateAdded = 15, GoodreadsShelves = 16, GoodreadsShelf = 18,
                 GoodreadsPrivateNotes = 21, GoodreadsCopies = 25;

const char* const TellicoHeader[] = {"title", "author", "publisher", "pub_year", "comments"};
// Our loan, after the columns the other program reads.
const char* const LoanHeader[] = {"Loaned To", "Loan Date"};

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Lent(const TItem& item)
{
    return !Cp1252::ToQString(item.Fields[7]).trimmed().isEmpty();
}

// The details every layout writes in Volumnia's own columns after the loan's:
// all but the due date, which has its column before them.
std::vector<const TField*> OwnDetails()
{
    std::vector<const TField*> details;
    for (const TField* field : TCsvColumns::CarriedDetails())
        if (field->Key != std::string_view(FieldTable::DueKey))
            details.push_back(field);
    return details;
}

// The details Tellico's CSV import takes by its own field names.
std::vector<const TField*> TellicoDetails()
{
    std::vector<const TField*> details;
    for (const TField* field : OwnDetails())
        if (*field->TellicoField)
            details.push_back(field);
    return details;
}

QString GoodreadsDate(const std::string& value)
{
    return QDate::fromString(Utf8(value), Qt::ISODate).toString(QStringLiteral("yyyy/MM/dd"));
}

// Goodreads' Exclusive Shelf of a reading status.
QString Shelf(const std::string& status, const QString& otherwise)
{
    if (status.empty())
        return otherwise;
    return status == "reading" ? QStringLiteral("currently-reading") : Utf8(status);
}

// Goodreads wraps its ISBNs as ="…", so that a spreadsheet keeps their digits.
QString Wrapped(const std::string& isbn)
{
    return isbn.empty() ? QString() : QStringLiteral("=\"%1\"").arg(Utf8(isbn));
}

} // namespace

std::vector<size_t> TCsvLayouts::Verbatim(TCsvFormat format)
{
    if (format == TCsvFormat::Goodreads)
        return {GoodreadsIsbn, GoodreadsIsbn13};
    return {};
}

std::vector<QString> TCsvLayouts::Header(TCsvFormat format, const TAlias& aliases)
{
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
    case TCsvFormat::Tellico: // not CSV; the Volumnia header if ever asked
        row.push_back(QStringLiteral("ID"));
        for (int field = 0; field < TCsvColumns::FieldCount; ++field)
            row.push_back(Cp1252::ToQString(aliases[static_cast<size_t>(field)]));
        break;
    case TCsvFormat::TellicoCsv:
        for (const char* name : TellicoHeader)
            row.push_back(QString::fromLatin1(name));
        break;
    case TCsvFormat::Goodreads:
        for (const char* name : GoodreadsHeader)
            row.push_back(QString::fromLatin1(name));
        break;
    }
    if (format == TCsvFormat::TellicoCsv || format == TCsvFormat::Goodreads)
        for (const char* name : LoanHeader)
            row.push_back(QString::fromLatin1(name));
    row.push_back(QString::fromLatin1(DueHeader));
    if (format == TCsvFormat::TellicoCsv)
        for (const TField* field : TellicoDetails())
            row.push_back(QString::fromLatin1(field->TellicoField));
    for (const TField* field : OwnDetails())
        row.push_back(QString::fromUtf8(field->VolumniaColumn));
    row.push_back(QString::fromLatin1(AtHomeHeader));
    return row;
}

std::vector<QString> TCsvLayouts::Row(TCsvFormat format, const TItem& item, const QDate& due,
                                      const TCsvLayoutOptions& options)
{
    const bool lent = Lent(item);
    const QString dueText = due.isValid() && lent ? due.toString(Qt::ISODate) : QString();
    const auto field = [&item, lent](int f) {
        // A book at home has no loan, whatever name its last loan left.
        if (f >= 6 && !lent)
            return QString();
        return Cp1252::ToQString(item.Fields[static_cast<size_t>(f)]);
    };
    const auto detail = [&item](const char* key) { return item.Details.Value(key); };
    std::vector<QString> row;
    switch (format) {
    case TCsvFormat::Volumnia:
    case TCsvFormat::Tellico:
        row.push_back(QString::number(item.ID));
        for (int f = 0; f < TCsvColumns::FieldCount; ++f)
            row.push_back(field(f));
        break;
    case TCsvFormat::TellicoCsv:
        row = {field(0), field(1), field(2), field(3), field(5).isEmpty() ? field(4) : field(4) + u'\n' + field(5)};
        break;
    case TCsvFormat::Goodreads: {
        row.resize(GoodreadsColumns);
        row[GoodreadsTitle] = field(0);
        row[GoodreadsAuthor] = field(1);
        row[GoodreadsIsbn] = Wrapped(FieldTable::Isbn10(detail("isbn")));
        row[GoodreadsIsbn13] = Wrapped(detail("isbn"));
        row[GoodreadsRating] = detail("rating").empty() ? QStringLiteral("0") : Utf8(detail("rating"));
        row[GoodreadsPublisher] = field(2);
        row[GoodreadsPages] = Utf8(detail("pages"));
        row[GoodreadsYear] = field(3);
        row[GoodreadsOriginalYear] = Utf8(detail("original_year"));
        row[GoodreadsDateRead] = GoodreadsDate(detail("finished"));
        const std::string added = detail("added");
        row[GoodreadsDateAdded] =
            added.empty() ? options.Today.toString(QStringLiteral("yyyy/MM/dd")) : GoodreadsDate(added);
        row[GoodreadsShelves] = Utf8(detail("tags"));
        row[GoodreadsShelf] = Shelf(detail("status"), options.Shelf);
        row[GoodreadsPrivateNotes] = field(4).isEmpty() ? field(5) : field(4) + u'\n' + field(5);
        row[GoodreadsCopies] = detail("copies").empty() ? QStringLiteral("0") : Utf8(detail("copies"));
        break;
    }
    }
    if (format == TCsvFormat::TellicoCsv || format == TCsvFormat::Goodreads) {
        row.push_back(field(6));
        row.push_back(field(7));
    }
    row.push_back(dueText);
    if (format == TCsvFormat::TellicoCsv)
        for (const TField* tellico : TellicoDetails()) {
            QString value = Utf8(detail(tellico->Key));
            // Tellico parts the values of a field of several by semicolons.
            if (tellico->Kind == TFieldKind::Tags)
                value.replace(QStringLiteral(", "), QStringLiteral("; "));
            row.push_back(value);
        }
    for (const TField* own : OwnDetails())
        row.push_back(Utf8(detail(own->Key)));
    row.push_back(lent ? QString() : Cp1252::ToQString(item.Fields[6]));
    return row;
}
