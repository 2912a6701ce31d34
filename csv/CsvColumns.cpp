#include "csv/CsvColumns.h"

#include "platform/Cp1252.h"

namespace {

struct TOtherHeader {
    const char* Name;
    int Field;
};

// Headers that spreadsheets and other book catalogues (Goodreads, Libib,
// Tellico, GCstar, Readerware) write for the fields we keep.
constexpr TOtherHeader OtherHeaders[] = {
    {"title", 0},
    {"author", 1},
    {"authors", 1},
    {"author(s)", 1},
    {"creators", 1},
    {"writer", 1},
    {"publisher", 2},
    {"year", 3},
    {"year published", 3},
    {"original publication year", 3},
    {"publication year", 3},
    {"copyright year", 3},
    {"published", 3},
    {"publish date", 3},
    {"publication date", 3},
    {"date published", 3},
    {"notes", 4},
    {"note", 4},
    {"comments", 4},
    {"comment", 4},
    {"private notes", 5},
    {"personal notes", 5},
    {"borrowed by", 6},
    {"loaned to", 6},
    {"lent to", 6},
    {"borrower", 6},
    {"loaner", 6},
    {"date borrowed", 7},
    {"date loaned", 7},
    {"date lent", 7},
    {"loan date", 7},
};

QString Normalized(const QString& header)
{
    QString name = header;
    name.replace(u'_', u' ');
    return name.simplified().toCaseFolded();
}

} // namespace

TCsvColumns::TCsvColumns(const std::vector<QString>& header, const TAlias& aliases)
{
    std::array<QString, FieldCount> names;
    for (int field = 0; field < FieldCount; ++field)
        names[static_cast<size_t>(field)] = Normalized(Cp1252::ToQString(aliases[static_cast<size_t>(field)]));

    for (size_t column = 0; column < header.size(); ++column) {
        const QString name = Normalized(header[column]);
        int field = -1;
        for (int f = 0; f < FieldCount && field < 0; ++f)
            if (!name.isEmpty() && name == names[static_cast<size_t>(f)])
                field = f;
        for (const TOtherHeader& other : OtherHeaders)
            if (field < 0 && name == QLatin1String(other.Name))
                field = other.Field;
        if (field >= 0)
            Columns[static_cast<size_t>(field)].push_back(static_cast<int>(column));
        else if (name != u"id") {
            const QString shown = header[column].trimmed().isEmpty()
                                      ? QStringLiteral("(column %1, no header)").arg(column + 1)
                                      : header[column].trimmed();
            if (!FUnknown.contains(shown, Qt::CaseInsensitive))
                FUnknown.append(shown);
        }
    }
}
