#include "engine/DueDates.h"

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "platform/Cp1252.h"
#include "platform/EInOutError.h"
#include "platform/LoanDate.h"
#include "platform/TextFile.h"
#include "settings/RFileSystem.h"

#include <algorithm>
#include <charconv>
#include <iterator>

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

bool OnLoan(const std::optional<TItem>& book)
{
    return book && !book->Fields[7].empty();
}

} // namespace

TDueDates::TDueDates(TCatalogue& catalogue, std::function<QDate()> today)
    : Catalogue(catalogue), Today(std::move(today))
{
    // Told by the catalogue before its BooksChanged, so that the windows
    // following that signal find a new loan's due date already.
    Catalogue.AddSideStore(this, [this](const TBookChange& change) { BooksChanged(change); });
}

TDueDates::~TDueDates()
{
    Catalogue.RemoveSideStore(this);
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

bool TDueDates::Follow(TRows& rows, const TBookChange& change, int period, const QDate& today, TReturnedRows* returned)
{
    bool changed = false;
    // The row of the loan the change ended goes among the returned ones.
    const auto endLoan = [&](const TBookChange::TBook& book) {
        const auto found = rows.find(book.ID);
        if (found == rows.end())
            return;
        if (returned && OnLoan(book.Before) && found->second.Loaner == book.Before->Fields[6] &&
            found->second.Date == book.Before->Fields[7]) {
            returned->push_back({book.ID, found->second});
            if (returned->size() > MaxReturned)
                returned->erase(returned->begin());
        }
        rows.erase(found);
        changed = true;
    };
    for (const TBookChange::TBook& book : change.Books) {
        if (!OnLoan(book.After)) {
            endLoan(book);
            continue;
        }
        const TItem& after = *book.After;
        const bool sameLoan = OnLoan(book.Before) && book.Before->Fields[6] == after.Fields[6] &&
                              book.Before->Fields[7] == after.Fields[7];
        if (sameLoan)
            continue;
        endLoan(book);
        // A loan that was returned and comes back (an undo, a book brought
        // back) keeps the due date it had; another gets its due date from the
        // period, or none, never the last loan's.
        std::optional<QDate> due;
        if (returned) {
            const auto back = std::find_if(returned->rbegin(), returned->rend(), [&](const TReturned& past) {
                return past.ID == book.ID && past.Row.Loaner == after.Fields[6] && past.Row.Date == after.Fields[7];
            });
            if (back != returned->rend()) {
                due = back->Row.Due;
                returned->erase(std::next(back).base());
                changed = true;
            }
        }
        if (!due)
            due = DueFor(after.Fields[7], period, today);
        if (due) {
            TRow row{after.Fields[6], after.Fields[7], *due};
            const auto found = rows.find(book.ID);
            if (found == rows.end() || !(found->second == row)) {
                rows[book.ID] = row;
                changed = true;
            }
        }
    }
    return changed;
}

const TDueDates::TRows& TDueDates::Loaded() const
{
    const std::string& database = Catalogue.Database().FileName();
    if (IsLoaded && LoadedFor == database)
        return Rows;
    IsLoaded = true;
    LoadedFor = database;
    Rows.clear();
    Returned.clear();
    Held = false;
    const std::string fileName = FileNameFor(database);
    if (database.empty() || !TTextFile::Exists(fileName))
        return Rows;
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(fileName);
    } catch (const std::exception& error) {
        // What it holds is unknown: it stays as it is, and nothing is saved
        // over it in this run.
        Held = true;
        Note = "The due dates file " + fileName + " could not be read (" + error.what() +
               "); it is left as it is, and the due dates of this run are not saved.";
        return Rows;
    }
    std::string note;
    Rows = Parse(bytes, note, fileName, &Returned);
    if (!note.empty())
        Note = bytes.empty() ? note : note + KeepAside(fileName, bytes);
    return Rows;
}

std::string TDueDates::KeepAside(const std::string& fileName, const std::string& bytes) const
{
    // The next save writes only the rows that were read; the file as it was
    // goes to a name of its own first, never over another file.
    std::string aside = fileName + ".damaged";
    for (int n = 2; TTextFile::Exists(aside); ++n)
        aside = fileName + ".damaged-" + std::to_string(n);
    try {
        TTextFile::WriteCopyOf(aside, bytes, fileName);
        return " The file as it was is kept as " + aside + ".";
    } catch (const std::exception& error) {
        Held = true;
        return " It could not be kept as " + aside + " (" + error.what() +
               "), so it is left as it is, and the due dates of this run are not saved.";
    }
}

std::optional<QDate> TDueDates::Due(const TItem& book) const
{
    if (book.Fields[7].empty() || !Catalogue.IsOpen())
        return std::nullopt;
    const TRows& rows = Loaded();
    const auto found = rows.find(book.ID);
    if (found == rows.end() || found->second.Loaner != book.Fields[6] || found->second.Date != book.Fields[7])
        return std::nullopt;
    return found->second.Due;
}

void TDueDates::SetDue(const TItem& book, std::optional<QDate> due)
{
    if (!book.Fields[7].empty())
        SetDues({{book, due.value_or(QDate())}});
}

void TDueDates::SetDues(const std::vector<std::pair<TItem, QDate>>& dues)
{
    Loaded();
    const TRows before = Rows;
    for (const auto& [book, due] : dues) {
        if (book.Fields[7].empty())
            continue;
        if (due.isValid())
            Rows[book.ID] = TRow{book.Fields[6], book.Fields[7], due};
        else
            Rows.erase(book.ID);
    }
    try {
        Save();
    } catch (...) {
        Rows = before;
        throw;
    }
    emit Changed();
}

void TDueDates::Save()
{
    if (Held)
        throw EInOutError("The due dates file " + FileNameFor(LoadedFor) +
                          " could not be read and is left as it is; the due dates are not saved.");
    TTextFile::WriteSideFile(FileNameFor(LoadedFor), Format(Rows, Returned), LoadedFor);
}

std::string TDueDates::FileNameFor(const std::string& databaseFileName)
{
    return TTextFile::SideFileName(databaseFileName, ".due");
}

std::optional<QDate> TDueDates::ReturnedDue(int32_t id, const std::string& loaner, const std::string& date) const
{
    if (!Catalogue.IsOpen())
        return std::nullopt;
    Loaded();
    const auto found = std::find_if(Returned.rbegin(), Returned.rend(), [&](const TReturned& past) {
        return past.ID == id && past.Row.Loaner == loaner && past.Row.Date == date;
    });
    return found == Returned.rend() ? std::nullopt : std::optional<QDate>(found->Row.Due);
}

int TDueDates::OverdueCount(const QDate& today) const
{
    if (!Catalogue.IsOpen() || Catalogue.Database().Empty())
        return 0;
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
    if (Catalogue.IsOpen())
        Loaded();
    std::string note;
    note.swap(Note);
    return note;
}

void TDueDates::BooksChanged(const TBookChange& change)
{
    Loaded();
    if (!Follow(Rows, change, Period(), Today(), &Returned))
        return;
    // The change of books reached the database file already; a due date that
    // cannot follow it is kept for this run and said once.
    try {
        Save();
    } catch (const std::exception& error) {
        Note = std::string("The due dates could not be saved: ") + error.what();
    }
    emit Changed();
}
