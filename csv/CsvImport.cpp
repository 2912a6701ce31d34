#include "csv/CsvImport.h"

#include "csv/CsvCatalogue.h"
#include "csv/CsvColumns.h"
#include "csv/CsvDetailValues.h"
#include "csv/CsvInput.h"
#include "csv/CsvSubstitution.h"
#include "csv/ECsvRefusal.h"
#include "engine/DetailsFile.h"
#include "engine/DueDates.h"
#include "engine/FieldTable.h"
#include "engine/History.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

// At most this many problems or lines are listed; the rest are counted.
constexpr size_t ListedAtMost = 20;

std::string Name(const QString& file)
{
    return TCsvInput::Name(file);
}

// The field's bytes for the database; false with the first character that
// Windows-1252 cannot hold, unless substitute, which puts its closest form in
// its place and sets substituted. Line breaks and Ctrl+Z, which would break
// the file's lines, become blanks as the engines make them.
bool ToCp1252(const QString& given, bool substitute, std::string& bytes, char32_t& bad, bool& blanked,
              bool& substituted)
{
    // The letters around one decide its form (ευ -> ev or ef), so the whole
    // text is substituted at once.
    const QString text = substitute && !Cp1252::CanHold(given) ? TCsvSubstitution::Text(given) : given;
    substituted = substituted || text != given;
    bytes.clear();
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'\n' || c == 0x1A) {
            bytes.push_back(' ');
            blanked = true;
            continue;
        }
        const int byte = Cp1252::FromUnicode(c);
        if (byte < 0) {
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            bad = pair ? QChar::surrogateToUcs4(c, text.at(i + 1).unicode()) : char32_t(c);
            return false;
        }
        bytes.push_back(static_cast<char>(byte));
    }
    return true;
}

// Title and author as the duplicate rule compares them.
QString DuplicateKey(const TItem& item)
{
    return Cp1252::ToQString(item.Fields[0]).trimmed().toCaseFolded() + u'\n' +
           Cp1252::ToQString(item.Fields[1]).trimmed().toCaseFolded();
}

std::string Listed(const std::vector<std::string>& entries, const char* separator)
{
    std::string text;
    for (size_t i = 0; i < entries.size() && i < ListedAtMost; ++i)
        text += (i > 0 ? separator : "") + entries[i];
    if (entries.size() > ListedAtMost)
        text += std::string(separator) + "and " + std::to_string(entries.size() - ListedAtMost) + " more";
    return text;
}

struct TRow {
    int Line = 0;
    TItem Item;
    // What became of the row's text on the way, told when the row is added.
    std::vector<std::string> Blanked, Substituted;
    bool DatedToday = false;
    QDate Due;        // the loan's due date; null for none
    TDetails Details; // the details its columns give (the due date apart)
};

// What the rows of a file become: the books to add, and what was skipped,
// refused or changed on the way.
struct TPlan {
    std::vector<TRow> Rows;
    std::vector<std::string> Skipped, Problems, Duplicates, DueLeftOut, DetailsLeftOut;
    std::vector<std::string> Blanked, Substituted, DatedToday; // of the rows added
};

void RefuseWithoutTitles(const QString& file, const TAlias& aliases)
{
    throw ECsvRefusal(Name(file) + ": no column holds the titles (a header \"Title\" or \"" +
                      TCsvCatalogue::Utf8(aliases[0]) + "\"); nothing imported");
}

// Other programs write a book's number in its series after the series'
// name, "Discworld (4)" (LibraryThing): where the row gives no number, a
// detail ordered by a number detail (its ThenBy) gives that number to it.
// A value naming several series ("A (1); B (2)") stays as written.
void SplitNumbers(TDetails& details)
{
    static const QRegularExpression numbered(QStringLiteral("^([^;]*\\S)\\s*\\((\\d+(?:\\.\\d+)?)\\)$"));
    for (const TField* field : FieldTable::Details()) {
        const TField* number = *field->ThenBy ? FieldTable::Find(field->ThenBy) : nullptr;
        if (!number || number->Kind != TFieldKind::Number || !details.Value(number->Key).empty())
            continue;
        const QRegularExpressionMatch match = numbered.match(QString::fromStdString(details.Value(field->Key)));
        std::string value;
        if (match.hasMatch() && FieldTable::Normalized(*number, match.captured(2).toStdString(), value)) {
            details.Set(field->Key, match.captured(1).toStdString());
            details.Set(number->Key, std::move(value));
        }
    }
}

// The details a row's columns give, each from the first of its columns with
// a value in the field's form; a value that is none is left out and said.
template <typename TCell>
void ReadDetails(const TCsvRecord& record, const TCsvColumns& columns, const std::vector<QString>& header,
                 const TCell& cell, TRow& row, TPlan& plan)
{
    for (const TCsvColumns::TDetailColumns& detail : columns.Details()) {
        std::string firstWhy;
        for (const TCsvColumns::TDetailSource& source : detail.Sources) {
            const QString& text = cell(source.Column);
            if (text.trimmed().isEmpty())
                continue;
            std::string value, why;
            if (TCsvDetailValues::Read(*detail.Field, source.Form, text, value, why)) {
                if (value.empty())
                    continue;
                row.Details.Set(detail.Field->Key, std::move(value));
                firstWhy.clear();
                break;
            }
            if (firstWhy.empty())
                firstWhy = "line " + std::to_string(record.Lines[static_cast<size_t>(source.Column)]) + ", column " +
                           std::to_string(source.Column + 1) + " (" +
                           header[static_cast<size_t>(source.Column)].trimmed().toStdString() + "): " + why;
        }
        if (!firstWhy.empty())
            plan.DetailsLeftOut.push_back(firstWhy);
    }
    // Volumnia's own files keep the number in a column of its own.
    if (!columns.Own())
        SplitNumbers(row.Details);
}

TPlan PlanRows(const std::vector<TCsvRecord>& records, const TCsvColumns& columns, const TCsvImportOptions& options)
{
    const std::vector<QString>& header = records.front().Fields;
    TPlan plan;
    for (size_t r = 1; r < records.size(); ++r) {
        const TCsvRecord& record = records[r];
        const auto cell = [&record](int column) -> const QString& {
            static const QString none;
            return static_cast<size_t>(column) < record.Fields.size() ? record.Fields[static_cast<size_t>(column)]
                                                                      : none;
        };
        for (size_t extra = header.size(); extra < record.Fields.size(); ++extra)
            if (!record.Fields[extra].isEmpty()) {
                plan.Problems.push_back("line " + std::to_string(record.Line()) + ": " +
                                        std::to_string(record.Fields.size()) + " fields, but the header names " +
                                        std::to_string(header.size()));
                break;
            }
        // Each field from the first of its columns that holds a value.
        std::array<int, TCsvColumns::FieldCount> source;
        std::array<QString, TCsvColumns::FieldCount> text;
        source.fill(-1);
        for (int field = 0; field < TCsvColumns::FieldCount; ++field)
            for (const TCsvColumns::TSource& from : columns.SourcesOf(field)) {
                QString part = TCsvColumns::PartOf(cell(from.Column), from.Part, !columns.Own());
                if (!part.trimmed().isEmpty()) {
                    source[static_cast<size_t>(field)] = from.Column;
                    text[static_cast<size_t>(field)] = std::move(part);
                    break;
                }
            }
        if (source[0] < 0) {
            plan.Skipped.push_back(std::to_string(record.Line()));
            continue;
        }
        TRow row;
        row.Line = record.Line();
        ReadDetails(record, columns, header, cell, row, plan);
        for (int field = 0; field < TCsvColumns::FieldCount; ++field) {
            const int column = source[static_cast<size_t>(field)];
            if (column < 0)
                continue;
            const std::string where = "line " + std::to_string(record.Lines[static_cast<size_t>(column)]) +
                                      ", column " + std::to_string(column + 1) + " (" +
                                      header[static_cast<size_t>(column)].trimmed().toStdString() + ")";
            char32_t bad = 0;
            bool blanked = false, substituted = false;
            // Letters written as a base and a combining mark (as macOS writes
            // file names and some programs their text) are joined first: é
            // so written is a letter the catalogue holds. Every Windows-1252
            // character is its own composed form, so other text is unchanged.
            QString& value = text[static_cast<size_t>(field)];
            // A loan date in the locale's own digits (an Arabic or Persian
            // program's export) is kept in the digits the catalogue holds.
            if (field == 7)
                value = LoanDate::Plain(value);
            if (!Cp1252::CanHold(value))
                value = value.normalized(QString::NormalizationForm_C);
            std::string& bytes = row.Item.Fields[static_cast<size_t>(field)];
            // A title or author in letters the file cannot hold is stored
            // in its closest form, its own letters kept in the details.
            const bool ownLetters = field <= 1 && !Cp1252::CanHold(value);
            if (ownLetters) {
                const char* key = field == 0 ? FieldTable::TitleOwnKey : FieldTable::AuthorOwnKey;
                if (!row.Details.Has(key))
                    row.Details.Set(key, value.trimmed().toStdString());
            }
            if (!ToCp1252(value, options.Substitute || ownLetters, bytes, bad, blanked, substituted))
                plan.Problems.push_back(
                    where + ": \"" + QString::fromUcs4(&bad, 1).toStdString() + "\" (U+" +
                    QString::number(bad, 16).toUpper().rightJustified(4, u'0').toStdString() +
                    ") has no place in the Windows character set the catalogue uses" +
                    (options.Substitute ? "" : " (--substitute puts its closest form in its place)"));
            if (blanked)
                row.Blanked.push_back(where);
            if (substituted)
                row.Substituted.push_back(where + ": \"" + value.toStdString() + "\" -> \"" +
                                          TCsvCatalogue::Utf8(bytes) + "\"");
        }
        // LibraryThing writes its dates in brackets: [2024-03-05].
        std::string& loanDate = row.Item.Fields[7];
        if (loanDate.size() > 2 && loanDate.front() == '[' && loanDate.back() == ']')
            loanDate = loanDate.substr(1, loanDate.size() - 2);
        // A lent book without its date would show as at home; the last
        // loaner of a book at home, as Volumnia's exports write it, is not
        // a loan.
        const bool atHome = columns.AtHome(source[6]) || (columns.VolumniaLoans() && source[6] >= 0);
        if (!atHome && !Cp1252::ToQString(row.Item.Fields[6]).trimmed().isEmpty() &&
            Cp1252::ToQString(loanDate).trimmed().isEmpty()) {
            loanDate = Cp1252::FromQString(LoanDate::Write(options.Today));
            row.DatedToday = true;
        }
        // The due date of a loan, a detail of its book; one that does not
        // read as a date, or a book that is not lent, gets none.
        for (const int column : columns.DueColumns()) {
            const QString due = cell(column).trimmed();
            if (due.isEmpty())
                continue;
            if (Cp1252::ToQString(loanDate).trimmed().isEmpty() ||
                !LoanDate::Read(due, options.Today, row.Due, LoanDate::TCentury::AroundToday)) {
                row.Due = QDate();
                plan.DueLeftOut.push_back(std::to_string(record.Lines[static_cast<size_t>(column)]));
            }
            break;
        }
        plan.Rows.push_back(std::move(row));
    }
    return plan;
}

// Rows whose title and author the catalogue or an earlier row holds are
// passed over.
void PassOverDuplicates(TPlan& plan, const TDatabase& database)
{
    std::set<QString> held;
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        held.insert(DuplicateKey(database.ItemAt(slot)));
    std::vector<TRow> kept;
    for (TRow& row : plan.Rows) {
        if (held.insert(DuplicateKey(row.Item)).second)
            kept.push_back(std::move(row));
        else
            plan.Duplicates.push_back(std::to_string(row.Line));
    }
    plan.Rows = std::move(kept);
}

// What the rows to be added went through, for the summary.
void CollectChanges(TPlan& plan)
{
    for (const TRow& row : plan.Rows) {
        plan.Blanked.insert(plan.Blanked.end(), row.Blanked.begin(), row.Blanked.end());
        plan.Substituted.insert(plan.Substituted.end(), row.Substituted.begin(), row.Substituted.end());
        if (row.DatedToday)
            plan.DatedToday.push_back(std::to_string(row.Line));
    }
}

// Each book takes the next number after CurrentIndex, as Add does; a number
// the catalogue already holds is passed over. Returns how many numbers were
// passed over.
int NumberRows(std::vector<TRow>& rows, TCsvCatalogue& catalogue)
{
    TCatalogue& books = catalogue.Catalogue();
    try {
        books.ReadCurrentIndex();
    } catch (const std::exception& error) {
        throw ECsvRefusal(std::string(TSettingsKeys::FileName) +
                          ": CurrentIndex: " + TCsvCatalogue::Utf8(error.what()) + "; nothing imported");
    }
    int passedOver = 0;
    std::vector<int32_t> numbers;
    try {
        numbers = books.NextNumbers(rows.size(), &passedOver);
    } catch (const TCatalogue::ENoNumbersLeft&) {
        throw ECsvRefusal(std::string(TSettingsKeys::FileName) +
                          ": CurrentIndex has no book numbers left; nothing imported");
    }
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].Item.ID = numbers[i];
    return passedOver;
}

std::string Megabytes(uint64_t bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1).toStdString() + " MB";
}

// What the import would write, measured before anything is: the database
// file and the details file must stay within what a data file may hold
// (TTextFile::MaxFileSize; the details file is written once with its
// journal, the rows before the change with the rows after), and the
// import's one entry within the history's limit, so that the history keeps
// its bound after it. An import past either is refused whole; smaller parts
// of the file import one by one.
void RefuseWhatWouldNotFit(const QString& file, const TCatalogue& books, const std::vector<TRow>& rows)
{
    const TDatabase& database = books.Database();
    // The file's bytes as FileContent writes them: the ID and ten fields
    // of each book, each a line.
    uint64_t databaseBytes = 0;
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (const TItem& item = database.ItemAt(slot); !item.Deleted) {
            databaseBytes += std::to_string(item.ID).size() + 2;
            for (const std::string& field : item.Fields)
                databaseBytes += field.size() + 2;
        }
    std::string held = DetailsFile::Header();
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (const TItem& item = database.ItemAt(slot); !item.Deleted && !item.Details.Empty())
            DetailsFile::AppendRow(held, item.ID, DetailsFile::Fingerprint(item), item.Details);
    for (const TDetailsRow& stray : books.StrayDetails())
        DetailsFile::AppendRow(held, stray.ID, stray.Fingerprint, stray.Details);
    std::string added;
    const size_t entryOverhead = THistory::Encode(0, "volumnia-csv", TBookChange{TBookChangeKind::Imported, {}}).size();
    uint64_t entryBytes = entryOverhead + 16; // the time's digits
    for (const TRow& row : rows) {
        TItem item = row.Item;
        item.Details = row.Details;
        // Room for the due date the import or the loan period gives.
        if (!item.Fields[7].empty())
            item.Details.Set(FieldTable::DueKey, "0000-00-00");
        databaseBytes += std::to_string(item.ID).size() + 2;
        for (const std::string& field : item.Fields)
            databaseBytes += field.size() + 2;
        if (!item.Details.Empty())
            DetailsFile::AppendRow(added, item.ID, DetailsFile::Fingerprint(item), item.Details);
        const TBookChange one{TBookChangeKind::Imported, {{item.ID, std::nullopt, item}}};
        entryBytes += THistory::Encode(0, "volumnia-csv", one).size() - entryOverhead;
    }
    const uint64_t limit = TTextFile::MaxFileSize;
    const auto refuse = [&](const std::string& what) {
        throw ECsvRefusal(Name(file) + ": " + std::to_string(rows.size()) + (rows.size() == 1 ? " book" : " books") +
                          " to add: " + what + "; nothing imported");
    };
    if (databaseBytes > limit)
        refuse("the database file would grow to " + Megabytes(databaseBytes) + ", past the " + Megabytes(limit) +
               " a data file may hold");
    if (const uint64_t detailsBytes = 2 * held.size() + added.size() + 64; !added.empty() && detailsBytes > limit)
        refuse("the details file would grow to " + Megabytes(detailsBytes) + ", past the " + Megabytes(limit) +
               " a data file may hold");
    if (entryBytes > THistory::DefaultSizeLimit)
        refuse("the import's entry in the history of changes would take " + Megabytes(entryBytes) + ", past the " +
               Megabytes(THistory::DefaultSizeLimit) +
               " the history keeps (import the file in smaller parts, each its own entry)");
}

// The counter reaches the settings file before the books reach the database:
// a failure after it leaves a gap in the numbers, never a number used twice.
// A loan's due date is a detail of its book, saved with it in the one change;
// a loan the file gives none takes the loan period (TDueDates).
void Save(TCsvCatalogue& catalogue, const std::vector<TRow>& rows, int32_t currentIndex, std::ostream& report)
{
    TCatalogue& books = catalogue.Catalogue();
    TDueDates dueDates(books, [] { return QDate::currentDate(); });
    // A safety copy that cannot be written does not stop the import; the
    // user hears of it with the summary.
    books.EnableStartOfRunBackup(
        [&report](const std::string& text) { report << "Note: " << TCsvCatalogue::Utf8(text) << "\n"; });
    // The import goes into the history beside the database as one change,
    // after the books reached the file; a history that cannot be written is
    // a note, as the books are in.
    books.EnableHistory("volumnia-csv", {}, [&report](const std::string& text) {
        report << "Note: " << TCsvCatalogue::Utf8(text) << "\n";
    });
    // The entry was measured against the limit (RefuseWhatWouldNotFit); the
    // older entries that would take the history past it go.
    books.KeepHistoryWithinLimit();
    std::vector<TItem> items;
    items.reserve(rows.size());
    for (const TRow& row : rows) {
        items.push_back(row.Item);
        items.back().Details = row.Details;
        if (row.Due.isValid())
            items.back().Details.Set(FieldTable::DueKey, row.Due.toString(Qt::ISODate).toStdString());
    }
    try {
        books.AddNumbered(items, TCatalogue::TCounter::Required);
    } catch (const TCatalogue::ECounterNotWritten& error) {
        throw ECsvRefusal(std::string(TSettingsKeys::FileName) + ": " + TCsvCatalogue::Utf8(error.what()) +
                          "; nothing imported");
    } catch (const TCatalogue::ENotSaved& error) {
        throw ECsvRefusal("database " + TCsvCatalogue::Utf8(catalogue.Database().FileName()) + ": " +
                          TCsvCatalogue::Utf8(error.what()) + "; nothing imported (CurrentIndex stays at " +
                          std::to_string(currentIndex) + ", so no book number is given out twice)");
    }
    if (const std::string note = dueDates.TakeNote(); !note.empty())
        report << "Note: " << TCsvCatalogue::Utf8(note) << "\n";
}

} // namespace

void TCsvImport::Run(const TCsvImportOptions& options, std::ostream& report)
{
    TWorkingFolderLock lock(QStringLiteral("."), TSettingsKeys::FileName, "an import (volumnia-csv)");
    TCsvCatalogue::TakeLock(lock, report, "nothing imported");
    TCsvCatalogue catalogue;
    const TDatabase& database = catalogue.Database();
    // The database itself, which other working folders may name too; read
    // again once held, so no import that ended meanwhile is overwritten.
    TWorkingFolderLock databaseLock = TWorkingFolderLock::ForFile(database.FileName(), "an import (volumnia-csv)");
    TCsvCatalogue::TakeLock(databaseLock, report, "nothing imported");
    catalogue.Catalogue().Reload();
    const TCsvInputRows input = TCsvInput::Read(options.File, options.Encoding, database.Aliases());
    const std::vector<TCsvRecord>& records = input.Records;
    const TCsvColumns columns(records.front().Fields, database.Aliases());
    if (columns.ColumnsOf(0).empty())
        RefuseWithoutTitles(options.File, database.Aliases());
    TCsvImportOptions planned = options;
    if (planned.Today.isNull())
        planned.Today = QDate::currentDate();
    TPlan plan = PlanRows(records, columns, planned);

    report << "Read " << Name(options.File) << " as " << input.Described << ".\n";
    if (!columns.Unknown().isEmpty()) {
        std::vector<std::string> unknown;
        for (const QString& name : columns.Unknown())
            unknown.push_back(name.toStdString());
        report << "Ignored columns: " << Listed(unknown, ", ") << "\n";
    }
    if (!plan.Problems.empty())
        throw ECsvRefusal(Name(options.File) + ": " + std::to_string(plan.Problems.size()) +
                          (plan.Problems.size() == 1 ? " problem" : " problems") + "; nothing imported:\n  " +
                          Listed(plan.Problems, "\n  "));
    if (!options.KeepDuplicates)
        PassOverDuplicates(plan, database);
    CollectChanges(plan);
    std::vector<TRow>& rows = plan.Rows;
    const int64_t total = int64_t(database.Count()) + int64_t(rows.size());
    if (total > TDatabase::MaxItems)
        throw ECsvRefusal(Name(options.File) + ": " + std::to_string(rows.size()) + " books to add to the " +
                          std::to_string(database.Count()) + " held would make " + std::to_string(total) +
                          ", more than " + std::to_string(TDatabase::MaxItems) + "; nothing imported");
    const int passedOver = NumberRows(rows, catalogue);
    RefuseWhatWouldNotFit(options.File, catalogue.Catalogue(), rows);

    if (options.DryRun) {
        report << "Dry run: nothing is written.\n";
        for (const TRow& row : rows)
            report << "line " << row.Line << ": ID " << row.Item.ID << ": " << TCsvCatalogue::Utf8(row.Item.Fields[0])
                   << "\n";
    } else if (!rows.empty()) {
        Save(catalogue, rows, rows.back().Item.ID, report);
    }
    report << (options.DryRun ? "Would add " : "Added ") << rows.size() << (rows.size() == 1 ? " book" : " books");
    if (rows.size() == 1)
        report << ", ID " << rows.front().Item.ID;
    else if (!rows.empty())
        report << ", IDs " << rows.front().Item.ID << " to " << rows.back().Item.ID;
    report << ".\n";
    if (passedOver > 0)
        report << passedOver << (passedOver == 1 ? " number" : " numbers")
               << " after CurrentIndex already held by books " << (options.DryRun ? "would be" : "were")
               << " passed over.\n";
    if (!plan.Skipped.empty())
        report << (options.DryRun ? "Would skip " : "Skipped ") << plan.Skipped.size()
               << (plan.Skipped.size() == 1 ? " row" : " rows") << " without a title: line "
               << Listed(plan.Skipped, ", ") << ".\n";
    if (!plan.Duplicates.empty())
        report << (options.DryRun ? "Would pass over " : "Passed over ") << plan.Duplicates.size()
               << (plan.Duplicates.size() == 1 ? " row" : " rows")
               << " whose title and author the catalogue or an earlier row holds already: line "
               << Listed(plan.Duplicates, ", ") << " (--keep-duplicates adds them).\n";
    if (!plan.Blanked.empty())
        report << "Line breaks became blanks in " << Listed(plan.Blanked, "; ") << ".\n";
    const auto dated = std::count_if(rows.begin(), rows.end(), [](const TRow& row) { return row.Due.isValid(); });
    if (dated > 0)
        report << (options.DryRun ? "Would keep " : "Kept ") << dated << (dated == 1 ? " due date" : " due dates")
               << " with the books.\n";
    if (!plan.DueLeftOut.empty())
        report << "Due dates of books not lent, or not read as a date, were left out: line "
               << Listed(plan.DueLeftOut, ", ") << ".\n";
    std::vector<std::string> kept;
    for (const TCsvColumns::TDetailColumns& detail : columns.Details())
        if (std::any_of(rows.begin(), rows.end(),
                        [&detail](const TRow& row) { return row.Details.Has(detail.Field->Key); }))
            kept.push_back(detail.Field->Caption);
    if (!kept.empty())
        report << (options.DryRun ? "Would keep " : "Kept ") << "with the books: " << Listed(kept, ", ") << ".\n";
    if (!plan.DetailsLeftOut.empty())
        report << "Left out, as no value of their field: " << Listed(plan.DetailsLeftOut, "; ") << ".\n";
    if (!plan.DatedToday.empty())
        report << "Lent without a loan date, so lent from today (" << LoanDate::Write(planned.Today).toStdString()
               << "): line " << Listed(plan.DatedToday, ", ") << ".\n";
    if (!plan.Substituted.empty()) {
        report << "Letters the Windows character set has no place for took their closest form in "
               << plan.Substituted.size() << (plan.Substituted.size() == 1 ? " field" : " fields") << ":\n";
        for (const std::string& change : plan.Substituted)
            report << "  " << change << "\n";
    }
}
