#include "engine/DueDates.h"

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/FieldTable.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/TextFile.h"
#include "settings/RFileSystem.h"

#include <algorithm>
#include <charconv>

namespace {

const std::string Header = "Volumnia due dates";
const char* const ReturnedMark = "returned";
const char* const DueFormat = "yyyy-MM-dd";

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// Splits a line at its tabs, undoing the escapes; false on a bad escape.
bool SplitLine(const std::string& line, std::vector<std::string>& parts)
{
    parts.assign(1, std::string());
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            parts.emplace_back();
        } else if (c == '\\') {
            if (i + 1 >= line.size())
                return false;
            const char next = line[++i];
            if (next == '\\')
                parts.back() += '\\';
            else if (next == 't')
                parts.back() += '\t';
            else
                return false;
        } else {
            parts.back() += c;
        }
    }
    return true;
}

bool ReadId(const std::string& text, int32_t& id)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, id);
    return error == std::errc() && stop == end && !text.empty() && text[0] != '+';
}

} // namespace

TDueDates::TDueDates(TCatalogue& catalogue, std::function<QDate()> today)
    : Catalogue(catalogue), Today(std::move(today))
{
    Catalogue.AddDetailsRule(this);
    // Told by the catalogue before its BooksChanged, where a change moved a
    // due date (a loan, a return, a due date set).
    Catalogue.AddSideStore(this, [this](const TBookChange& change) {
        const auto dueOf = [](const std::optional<TItem>& book) {
            return book && !book->Fields[7].empty() ? book->Details.Value(FieldTable::DueKey) : std::string();
        };
        if (std::any_of(change.Books.begin(), change.Books.end(),
                        [&](const TBookChange::TBook& book) { return dueOf(book.Before) != dueOf(book.After); }))
            emit Changed();
    });
}

TDueDates::~TDueDates()
{
    Catalogue.RemoveSideStore(this);
    Catalogue.RemoveDetailsRule(this);
}

int TDueDates::Period() const
{
    const TRFileSystem& settings = Catalogue.Settings();
    if (!settings.ValueExists(PeriodKey))
        return 0;
    try {
        const int32_t days = settings.ReadInteger(PeriodKey);
        return days > 0 && days <= MaxPeriod ? days : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void TDueDates::SetPeriod(int days)
{
    Catalogue.Settings().WriteInteger(PeriodKey, days > 0 && days <= MaxPeriod ? days : 0);
}

TDueDates::TRows TDueDates::Parse(const std::string& bytes, std::string& note, const std::string& fileName,
                                  TReturnedRows* returned)
{
    TRows rows;
    // A UTF-8 byte order mark (an editor's save) goes; lines end in CR LF,
    // LF or CR alone.
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool first = true;
    int damaged = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (first) {
            first = false;
            if (line != Header) {
                note = "The due dates file " + fileName + " is damaged; the due dates are lost.";
                return {};
            }
            continue;
        }
        std::vector<std::string> parts;
        int32_t id = 0;
        TRow row;
        if (SplitLine(line, parts) && (parts.size() == 4 || (parts.size() == 5 && parts[4] == ReturnedMark)) &&
            ReadId(parts[0], id) && !parts[2].empty()) {
            row = {parts[1], parts[2], QDate::fromString(QString::fromLatin1(parts[3]), QLatin1String(DueFormat))};
            if (row.Due.isValid() && parts.size() == 5) {
                if (returned)
                    returned->push_back({id, row});
                continue;
            }
            if (row.Due.isValid() && rows.emplace(id, row).second)
                continue;
        }
        ++damaged;
    }
    if (first && !bytes.empty())
        note = "The due dates file " + fileName + " is damaged; the due dates are lost.";
    else if (first)
        note = "The due dates file " + fileName + " is empty; the due dates are lost.";
    else if (damaged > 0)
        note = "The due dates file " + fileName + " is damaged; " + std::to_string(damaged) +
               (damaged == 1 ? " due date is lost." : " due dates are lost.");
    return rows;
}

std::string TDueDates::Format(const TRows& rows, const TReturnedRows& returned)
{
    const auto line = [](int32_t id, const TRow& row) {
        return std::to_string(id) + '\t' + Escaped(row.Loaner) + '\t' + Escaped(row.Date) + '\t' +
               row.Due.toString(QLatin1String(DueFormat)).toStdString();
    };
    std::string out = Header + "\r\n";
    for (const auto& [id, row] : rows)
        out += line(id, row) + "\r\n";
    for (const TReturned& past : returned)
        out += line(past.ID, past.Row) + '\t' + ReturnedMark + "\r\n";
    return out;
}

std::optional<QDate> TDueDates::DueFor(const std::string& loanDate, int period, const QDate& today)
{
    QDate date;
    if (period <= 0 || !LoanDate::Read(Cp1252::ToQString(loanDate), today, date))
        return std::nullopt;
    const QDate due = date.addDays(period);
    return due.isValid() && due.year() <= LoanDate::LastYear ? std::optional<QDate>(due) : std::nullopt;
}

namespace {

// Whether two loan dates as stored are the same day: read as the Loans window
// reads them, or, where either does not read, the same text.
bool SameDay(const std::string& a, const std::string& b, const QDate& today)
{
    if (a == b)
        return true;
    QDate x;
    QDate y;
    return LoanDate::Read(Cp1252::ToQString(a), today, x) && LoanDate::Read(Cp1252::ToQString(b), today, y) && x == y;
}

} // namespace

QDate TDueDates::DueOf(const TDetails& details)
{
    return QDate::fromString(QString::fromLatin1(details.Value(FieldTable::DueKey)), QLatin1String(DueFormat));
}

void TDueDates::Shape(const TItem* before, TItem& after, int period, const QDate& today)
{
    if (after.Fields[7].empty()) {
        // The loan ended here. A book that was not lent keeps its details as
        // they are given (a due date there is shown for no loan).
        if (before && !before->Fields[7].empty())
            after.Details.Remove(FieldTable::DueKey);
        return;
    }
    // The same loan, its day unchanged (written another way, or the loaner's
    // name put right): its due date stays, also one set by hand.
    if (before && !before->Fields[7].empty() && SameDay(before->Fields[7], after.Fields[7], today))
        return;
    // A new loan: a due date the change gives is its own (an import's);
    // the one the book had belonged to its last loan.
    const std::string& given = after.Details.Value(FieldTable::DueKey);
    if (!given.empty() && given != (before ? before->Details.Value(FieldTable::DueKey) : std::string()))
        return;
    const std::optional<QDate> due = DueFor(after.Fields[7], period, today);
    after.Details.Set(FieldTable::DueKey, due ? due->toString(QLatin1String(DueFormat)).toStdString() : std::string());
}

void TDueDates::Prepare()
{
    Loaded();
    // Read once a change, not once a book of an import.
    ChangePeriod = Period();
    ChangeToday = Today();
}

void TDueDates::Shape(const TItem* before, TItem& after)
{
    Shape(before, after, ChangePeriod, ChangeToday);
}

void TDueDates::Loaded(bool forReturned) const
{
    if (!Catalogue.IsOpen())
        return;
    const std::string& database = Catalogue.Database().FileName();
    // Once its due dates are in the details file the old file is read only
    // for the loan history's returned loans, and says nothing more.
    const bool moved = Catalogue.DueDatesMoved();
    if ((!IsLoaded || LoadedFor != database) && (!moved || forReturned)) {
        IsLoaded = true;
        LoadedFor = database;
        Rows.clear();
        Returned.clear();
        Read = false;
        const std::string fileName = FileNameFor(database);
        if (database.empty() || !TTextFile::Exists(fileName))
            return;
        std::string bytes;
        try {
            bytes = TTextFile::ReadAll(fileName);
        } catch (const std::exception& error) {
            // What it holds is unknown: it stays as it is, and the next run
            // reads it again.
            if (!moved)
                Note = "The due dates file " + fileName + " could not be read (" + error.what() +
                       "); it is left as it is, and its due dates are not shown.";
            return;
        }
        std::string note;
        Rows = Parse(bytes, note, fileName, &Returned);
        if (!moved)
            Note = note;
        Read = true;
    }
    // No old file read: nothing to move, and the details file stays unmarked.
    if (!Read || moved)
        return;
    // The loans the old file holds, still out as they were given and without
    // a due date of their own, take theirs into the details.
    const TDatabase& books = Catalogue.Database();
    std::vector<std::pair<int32_t, std::string>> dues;
    for (const auto& [id, row] : Rows) {
        const int32_t slot = books.SlotOf(id);
        if (slot < 0)
            continue;
        const TItem& book = books.ItemAt(slot);
        if (!book.Fields[7].empty() && book.Fields[6] == row.Loaner && book.Fields[7] == row.Date)
            dues.emplace_back(id, row.Due.toString(QLatin1String(DueFormat)).toStdString());
    }
    const_cast<TCatalogue&>(Catalogue).MoveDueDates(dues);
}

std::optional<QDate> TDueDates::Due(const TItem& book) const
{
    if (book.Fields[7].empty())
        return std::nullopt;
    Loaded();
    QDate due = DueOf(book.Details);
    // A copy made before the old file's due dates moved in: the book as stored.
    if (!due.isValid() && Catalogue.IsOpen()) {
        const int32_t slot = Catalogue.Database().SlotOf(book.ID);
        if (slot >= 0 && Catalogue.Database().ItemAt(slot).Fields == book.Fields)
            due = DueOf(Catalogue.Database().ItemAt(slot).Details);
    }
    // Not moved (the details file cannot be saved): the old file's row.
    if (!due.isValid() && Read && !Catalogue.DueDatesMoved()) {
        const auto row = Rows.find(book.ID);
        if (row != Rows.end() && row->second.Loaner == book.Fields[6] && row->second.Date == book.Fields[7])
            due = row->second.Due;
    }
    return due.isValid() ? std::optional<QDate>(due) : std::nullopt;
}

void TDueDates::SetDue(const TItem& book, std::optional<QDate> due)
{
    if (book.Fields[7].empty())
        return;
    Loaded();
    const int32_t slot = Catalogue.Database().SlotOf(book.ID);
    TDetails details = slot >= 0 ? Catalogue.Database().ItemAt(slot).Details : book.Details;
    details.Set(FieldTable::DueKey, due ? due->toString(QLatin1String(DueFormat)).toStdString() : std::string());
    Catalogue.SetDetails(book.ID, details, TBookChangeKind::DueSet);
}

std::string TDueDates::FileNameFor(const std::string& databaseFileName)
{
    return TTextFile::SideFileName(databaseFileName, ".due");
}

std::optional<QDate> TDueDates::ReturnedDue(int32_t id, const std::string& loaner, const std::string& date) const
{
    Loaded(true);
    const auto found = std::find_if(Returned.rbegin(), Returned.rend(), [&](const TReturned& past) {
        return past.ID == id && past.Row.Loaner == loaner && past.Row.Date == date;
    });
    if (found != Returned.rend())
        return found->Row.Due;
    // A loan the old file still held as out, returned since.
    const auto out = Rows.find(id);
    if (out != Rows.end() && out->second.Loaner == loaner && out->second.Date == date)
        return out->second.Due;
    return std::nullopt;
}

int TDueDates::OverdueCount(const QDate& today) const
{
    if (!Catalogue.IsOpen() || Catalogue.Database().Empty())
        return 0;
    Loaded();
    const TDatabase& database = Catalogue.Database();
    int overdue = 0;
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const std::optional<QDate> due = Due(database.ItemAt(slot));
        overdue += due && *due < today ? 1 : 0;
    }
    return overdue;
}

std::string TDueDates::TakeNote()
{
    Loaded();
    std::string note;
    note.swap(Note);
    return note;
}
