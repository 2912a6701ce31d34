#include "csv/CsvColumns.h"

#include "platform/Cp1252.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

enum class TKind {
    Plain,    // the whole cell fills the field
    Fallback, // tried after the others: a whole date, or a copyright year, for the year field
    Comments, // both notes, the second after a line break; a single line is the notes
    Private,  // both notes, the second after a line break; a single line is the second notes
    AtHome,   // the loaner of a book at home, tried after the loan's own columns
};

struct TOtherHeader {
    const char* Name;
    int Field;
    TKind Kind = TKind::Plain;
};

// Headers that spreadsheets and other book catalogues write for the fields we
// keep: Goodreads (and the reading sites that take its layout), LibraryThing
// (its current and its older quoted headers), BookBuddy, Libib, Calibre's
// catalog, Tellico (its field titles and its internal names), GCstar,
// Readerware. One row a header.
constexpr TOtherHeader OtherHeaders[] = {
    {"title", 0},
    {"author", 1},
    {"authors", 1},
    {"author(s)", 1},
    {"creators", 1},
    {"writer", 1},
    {"primary author", 1},
    {"author (first, last)", 1},
    {"publisher", 2},
    {"publication", 2},
    {"year", 3},
    {"pub year", 3}, // Tellico's internal names, "_" read as " "
    {"year published", 3},
    {"original publication year", 3},
    {"original year published", 3},
    {"publication year", 3},
    {"copyright year", 3, TKind::Fallback},
    {"cr year", 3, TKind::Fallback},
    {"date", 3},
    {"published", 3, TKind::Fallback},
    {"publish date", 3, TKind::Fallback},
    {"publication date", 3, TKind::Fallback},
    {"date published", 3, TKind::Fallback},
    {"original date published", 3, TKind::Fallback},
    {"pubdate", 3, TKind::Fallback},
    {"notes", 4},
    {"note", 4},
    {"comment", 4},
    {"comments", 4, TKind::Comments},
    {"private notes", 5, TKind::Private},
    {"personal notes", 5},
    {"private comment", 5},
    {"borrowed by", 6},
    {"loaned to", 6},
    {"lent to", 6},
    {"borrower", 6},
    {"loaner", 6},
    {"lending patron", 6},
    {"date borrowed", 7},
    {"date loaned", 7},
    {"date lent", 7},
    {"loan date", 7},
    {"loaned date", 7},
    {"lending start", 7},
    {"last loaner", 6, TKind::AtHome},
    {"returned by", 6, TKind::AtHome},
};

// Columns of other programs that stand in for a detail whose row names
// another, and how their values are written.
struct TDetailHeader {
    const char* Name;
    const char* Key;
    TCsvColumns::TDetailForm Form;
};
constexpr TDetailHeader DetailHeaders[] = {
    {"read", "status", TCsvColumns::TDetailForm::ReadFlag},
    {"exclusive shelf", "status", TCsvColumns::TDetailForm::Shelf},
    {"my rating", "rating", TCsvColumns::TDetailForm::GoodreadsZeroIsNone},
    {"owned copies", "copies", TCsvColumns::TDetailForm::GoodreadsZeroIsNone},
};

// Columns every program writes that no book field takes: our numbers are new.
constexpr const char* IgnoredHeaders[] = {"id", "book id"};

// A loan's due date, as Volumnia's export and the programs that keep one name
// it.
constexpr const char* DueHeaders[] = {"due date", "date due", "due"};

QString Normalized(const QString& header)
{
    QString name = header;
    name.replace(u'_', u' ');
    name = name.simplified();
    if (name.size() >= 2 && name.front() == u'\'' && name.back() == u'\'')
        name = name.mid(1, name.size() - 2).simplified();
    return name.toCaseFolded();
}

qsizetype LineBreak(const QString& cell)
{
    for (qsizetype i = 0; i < cell.size(); ++i)
        if (cell.at(i) == u'\r' || cell.at(i) == u'\n')
            return i;
    return -1;
}

} // namespace

QString TCsvColumns::PartOf(const QString& text, TPart part, bool htmlBreaks)
{
    if (part == TPart::Whole)
        return text;
    // Tellico and Goodreads write a line break in these cells as HTML.
    static const QRegularExpression htmlBreak(QStringLiteral("<br\\s*/?>"), QRegularExpression::CaseInsensitiveOption);
    QString cell = text;
    if (htmlBreaks)
        cell.replace(htmlBreak, QStringLiteral("\n"));
    const qsizetype at = LineBreak(cell);
    if (at < 0)
        return part == TPart::FirstLineOrWhole || part == TPart::RestOrWhole ? cell : QString();
    if (part == TPart::FirstLineOrWhole || part == TPart::FirstLineOnly)
        return cell.left(at);
    const qsizetype rest = cell.at(at) == u'\r' && at + 1 < cell.size() && cell.at(at + 1) == u'\n' ? at + 2 : at + 1;
    return cell.mid(rest);
}

std::vector<const TField*> TCsvColumns::CarriedDetails()
{
    std::vector<const TField*> carried;
    for (const TField* field : FieldTable::Details()) {
        switch (field->Kind) {
        case TFieldKind::Text:
        case TFieldKind::Number:
        case TFieldKind::Date:
        case TFieldKind::Rating:
        case TFieldKind::Tags:
        case TFieldKind::Choice:
        case TFieldKind::Isbn:
            carried.push_back(field);
            break;
        default:
            break;
        }
    }
    return carried;
}

bool TCsvColumns::AtHome(int column) const
{
    return std::find(FAtHome.begin(), FAtHome.end(), column) != FAtHome.end();
}

TCsvColumns::TCsvColumns(const std::vector<QString>& header, const TAlias& aliases)
{
    std::array<QString, FieldCount> names;
    for (int field = 0; field < FieldCount; ++field)
        names[static_cast<size_t>(field)] = Normalized(Cp1252::ToQString(aliases[static_cast<size_t>(field)]));

    // The sources of each field with their rank: whole dates after years.
    struct TRanked {
        TSource Source;
        int Rank;
    };
    std::array<std::vector<TRanked>, FieldCount> ranked;
    const auto add = [&ranked](int field, int column, TPart part, int rank) {
        ranked[static_cast<size_t>(field)].push_back({{column, part}, rank});
    };
    // The details' columns with their rank: 0 Volumnia's own column, 1 a
    // layout's, 2 the key, 3 another program's stand-in.
    const std::vector<const TField*> details = CarriedDetails();
    struct TRankedDetail {
        TDetailSource Source;
        int Rank;
    };
    std::vector<std::vector<TRankedDetail>> detailSources(details.size());
    // Each detail's names as headers are compared: Volumnia's column, the
    // layouts' columns, the key.
    std::vector<std::array<QString, 5>> detailNames;
    for (const TField* field : details)
        detailNames.push_back(
            {Normalized(QString::fromUtf8(field->VolumniaColumn)), Normalized(QString::fromUtf8(field->TellicoField)),
             Normalized(QString::fromUtf8(field->GoodreadsColumn)),
             Normalized(QString::fromUtf8(field->LibraryThingColumn)), Normalized(QString::fromUtf8(field->Key))});
    const auto matchDetail = [&](const QString& name, int column) {
        if (name.isEmpty())
            return false;
        for (size_t d = 0; d < details.size(); ++d) {
            const TField& field = *details[d];
            if (field.Key == std::string_view(FieldTable::DueKey))
                continue; // a loan's due date has its own columns
            const std::array<QString, 5>& names = detailNames[d];
            int rank = -1;
            if (name == names[0])
                rank = 0;
            else if (name == names[1] || name == names[2] || name == names[3])
                rank = 1;
            else if (name == names[4])
                rank = 2;
            TDetailForm form = TDetailForm::Plain;
            for (const TDetailHeader& other : DetailHeaders)
                if (name == QLatin1String(other.Name) && field.Key == std::string_view(other.Key)) {
                    form = other.Form;
                    rank = rank < 0 ? 3 : rank;
                }
            if (rank >= 0) {
                detailSources[d].push_back({{column, form}, rank});
                return true;
            }
        }
        return false;
    };
    QSet<QString> unknown; // case-folded, as FUnknown holds each once
    bool idColumn = false;
    for (const QString& name : header)
        idColumn = idColumn || Normalized(name) == u"id";
    for (size_t c = 0; c < header.size(); ++c) {
        const int column = static_cast<int>(c);
        const QString name = Normalized(header[c]);
        bool known = false;
        for (int f = 0; f < FieldCount && !known; ++f)
            if (!name.isEmpty() && name == names[static_cast<size_t>(f)]) {
                add(f, column, TPart::Whole, 0);
                known = true;
                FVolumniaLoans = FVolumniaLoans || (f == 6 && idColumn);
            }
        for (const TOtherHeader& other : OtherHeaders) {
            if (known || name != QLatin1String(other.Name))
                continue;
            known = true;
            switch (other.Kind) {
            case TKind::Plain:
                add(other.Field, column, TPart::Whole, 0);
                break;
            case TKind::Fallback:
                add(other.Field, column, TPart::Whole, 1);
                break;
            case TKind::Comments:
                add(4, column, TPart::FirstLineOrWhole, 0);
                add(5, column, TPart::RestOnly, 0);
                break;
            case TKind::Private:
                add(4, column, TPart::FirstLineOnly, 0);
                add(5, column, TPart::RestOrWhole, 0);
                break;
            case TKind::AtHome:
                add(other.Field, column, TPart::Whole, 2);
                FAtHome.push_back(column);
                break;
            }
        }
        for (const char* due : DueHeaders)
            if (!known && name == QLatin1String(due)) {
                FDue.push_back(column);
                known = true;
            }
        for (const char* ignored : IgnoredHeaders)
            known = known || name == QLatin1String(ignored);
        // A column may fill a field and a detail both (Goodreads' Original
        // Publication Year: the year where none is given, and the first
        // edition's year).
        known = matchDetail(name, column) || known;
        if (!known) {
            const QString shown = header[c].trimmed().isEmpty()
                                      ? QStringLiteral("(column %1, no header)").arg(column + 1)
                                      : header[c].trimmed();
            if (!unknown.contains(shown.toCaseFolded())) {
                unknown.insert(shown.toCaseFolded());
                FUnknown.append(shown);
            }
        }
    }
    for (size_t field = 0; field < ranked.size(); ++field) {
        std::stable_sort(ranked[field].begin(), ranked[field].end(),
                         [](const TRanked& a, const TRanked& b) { return a.Rank < b.Rank; });
        for (const TRanked& source : ranked[field]) {
            Sources[field].push_back(source.Source);
            Columns[field].push_back(source.Source.Column);
        }
    }
    // Volumnia's own file: its own columns alone speak for a detail.
    const bool own = Own();
    for (size_t d = 0; d < details.size(); ++d) {
        std::vector<TRankedDetail>& sources = detailSources[d];
        if (sources.empty())
            continue;
        std::stable_sort(sources.begin(), sources.end(),
                         [](const TRankedDetail& a, const TRankedDetail& b) { return a.Rank < b.Rank; });
        TDetailColumns columns{details[d], {}};
        for (const TRankedDetail& source : sources)
            if (!own || source.Rank == 0 || sources.front().Rank != 0)
                columns.Sources.push_back(source.Source);
        FDetails.push_back(std::move(columns));
    }
}
