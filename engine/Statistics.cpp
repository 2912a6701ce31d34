#include "engine/Statistics.h"

#include "engine/DueDates.h"
#include "engine/FieldTable.h"
#include "engine/LoanHistory.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string Utf8(std::string_view cp1252)
{
    return Cp1252::ToQString(cp1252).toStdString();
}

const char* const NoValue = "(none)";

// The most books first, equals by their labels as the locale collates them,
// ignoring case.
void ByCountThenLabel(std::vector<TStatTable::TRow>& rows)
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.size());
    for (const TStatTable::TRow& row : rows)
        keys.push_back(collator.sortKey(QString::fromStdString(row.Label)));
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (rows[a].Values[0] != rows[b].Values[0])
            return rows[a].Values[0] > rows[b].Values[0];
        return keys[a].compare(keys[b]) < 0;
    });
    std::vector<TStatTable::TRow> sorted;
    sorted.reserve(rows.size());
    for (const size_t index : order)
        sorted.push_back(std::move(rows[index]));
    rows = std::move(sorted);
}

// Rows gathered under keys of the source's text, each counting the books
// that hold it.
struct TTally {
    std::vector<TStatTable::TRow> Rows;
    std::unordered_map<std::string, size_t> Index;

    TStatTable::TRow& Row(const std::string& key, const std::function<std::string()>& label)
    {
        const auto [found, added] = Index.try_emplace(key, Rows.size());
        if (added)
            Rows.push_back({label(), {0}, {}, false});
        return Rows[found->second];
    }
    void Count(const std::string& key, int32_t id, const std::function<std::string()>& label)
    {
        TStatTable::TRow& row = Row(key, label);
        row.Values[0] += 1;
        row.Ids.push_back(id);
    }
};

std::string Lowered(const char* caption)
{
    std::string text = caption;
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

TStatTable ByDecade(const TField& field, const std::vector<TItem>& books)
{
    TStatTable table{"Books by decade", "Decade", {"Books"}, {}};
    std::map<int, TStatTable::TRow> decades;
    TStatTable::TRow none{"No year", {0}, {}, true};
    TStatTable::TRow other{"Not a year", {0}, {}, true};
    for (const TItem& book : books) {
        int decade = 0;
        TStatTable::TRow* row = nullptr;
        switch (Statistics::DecadeOf(book.Fields[static_cast<size_t>(field.FileField)], decade)) {
        case Statistics::TYearKind::Decade:
            row = &decades.try_emplace(decade, TStatTable::TRow{std::to_string(decade) + "s", {0}, {}, false})
                       .first->second;
            break;
        case Statistics::TYearKind::NoYear:
            row = &none;
            break;
        case Statistics::TYearKind::NotAYear:
            row = &other;
            break;
        }
        row->Values[0] += 1;
        row->Ids.push_back(book.ID);
    }
    for (auto& [decade, row] : decades)
        table.Rows.push_back(std::move(row));
    for (TStatTable::TRow* apart : {&none, &other})
        if (apart->Values[0] > 0)
            table.Rows.push_back(std::move(*apart));
    return table;
}

TStatTable ByValue(const TField& field, const std::vector<TItem>& books)
{
    TStatTable table{"Books by " + Lowered(field.Caption), field.Caption, {"Books"}, {}};
    TTally tally;
    // The values a field knows are listed also where no book holds them.
    if (field.Kind == TFieldKind::Choice)
        for (const TFieldChoice& choice : field.Choices)
            tally.Row(choice.Stored, [&choice] { return std::string(choice.Shown); });
    if (field.Kind == TFieldKind::Rating)
        for (const char* whole : {"0", "1", "2", "3", "4", "5"})
            tally.Row(whole, [whole] { return std::string(whole); });
    TStatTable::TRow none{NoValue, {0}, {}, true};
    for (const TItem& book : books) {
        const std::string_view value =
            Trimmed(field.IsDetail() ? std::string_view(book.Details.Value(field.Key))
                                     : std::string_view(book.Fields[static_cast<size_t>(field.FileField)]));
        if (value.empty()) {
            none.Values[0] += 1;
            none.Ids.push_back(book.ID);
        } else if (field.Kind == TFieldKind::Tags) {
            for (const std::string& tag : FieldTable::TagsOf(value))
                tally.Count(tag, book.ID, [&tag] { return tag; });
        } else {
            const std::string key(value);
            tally.Count(key, book.ID, [&] { return field.IsDetail() ? FieldTable::Shown(field, key) : Utf8(key); });
        }
    }
    // A choice keeps the table's order, numbers go by value, texts by count.
    if (field.Kind == TFieldKind::Number || field.Kind == TFieldKind::Rating || field.Kind == TFieldKind::Date) {
        std::vector<std::string> keys(tally.Rows.size());
        for (const auto& [key, index] : tally.Index)
            keys[index] = key;
        std::vector<size_t> order(keys.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return FieldTable::CompareValues(field, keys[a], keys[b]) < 0; });
        for (const size_t index : order)
            table.Rows.push_back(std::move(tally.Rows[index]));
    } else {
        table.Rows = std::move(tally.Rows);
        if (field.Kind != TFieldKind::Choice)
            ByCountThenLabel(table.Rows);
    }
    if (none.Values[0] > 0)
        table.Rows.push_back(std::move(none));
    return table;
}

// The local day of a time of the history. The system's zone is asked once:
// the C library's local time looks at the zone's file again for every time.
QDate LocalDay(int64_t time)
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return QDateTime::fromMSecsSinceEpoch(time, zone).date();
}

// The loan dates read, each text once: many loans share a day.
using TReadDates = std::unordered_map<std::string, QDate>;

// The day a loan began: its loan date as stored, or the change that made it.
QDate StartOf(const TLoanRecord& loan, const QDate& today, TReadDates& read)
{
    auto [found, added] = read.try_emplace(loan.Date);
    if (added && !LoanDate::Read(Cp1252::ToQString(loan.Date), today, found->second))
        found->second = QDate();
    if (found->second.isValid())
        return found->second;
    return loan.Started != 0 ? LocalDay(loan.Started) : QDate();
}

// The days a loan was out, or -1 where its start or end is not known.
int DaysOut(const TLoanRecord& loan, const QDate& today, TReadDates& read)
{
    const QDate start = StartOf(loan, today, read);
    const QDate end = loan.Open ? today : (loan.Ended != 0 ? LocalDay(loan.Ended) : QDate());
    if (!start.isValid() || !end.isValid() || start > end)
        return -1;
    return static_cast<int>(start.daysTo(end));
}

// The books of ids that are in the catalogue, each once, in its order.
std::vector<int32_t> InCatalogueOrder(const std::set<int32_t>& ids, const std::vector<TItem>& books)
{
    std::vector<int32_t> ordered;
    for (const TItem& book : books)
        if (ids.count(book.ID) != 0)
            ordered.push_back(book.ID);
    return ordered;
}

} // namespace

namespace Statistics {

TYearKind DecadeOf(const std::string& year, int& decade)
{
    std::string_view text = Trimmed(year);
    if (text.empty())
        return TYearKind::NoYear;
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    text = lower;
    if (text.size() > 2 && text.front() == '[' && text.back() == ']')
        text = Trimmed(text.substr(1, text.size() - 2));
    // "circa" and its short forms, as a year roughly known is written.
    for (const std::string_view about : {"circa", "ca.", "ca", "c.", "c", "~"})
        if (StartsWith(text, about)) {
            text = Trimmed(text.substr(about.size()));
            break;
        }
    bool wholeDecade = false;
    for (const std::string_view mark : {"'s", "s"})
        if (text.size() > mark.size() && text.substr(text.size() - mark.size()) == mark) {
            text.remove_suffix(mark.size());
            wholeDecade = true;
            break;
        }
    if (text.size() < 3 || text.size() > 4 || text.front() == '0' ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return TYearKind::NotAYear;
    const int number = std::stoi(std::string(text));
    if (wholeDecade && number % 10 != 0)
        return TYearKind::NotAYear; // "1895s" names no decade
    decade = number - number % 10;
    return TYearKind::Decade;
}

TStatTable CountBy(const TField& field, const std::vector<TItem>& books)
{
    return field.Counted == TFieldCount::ByDecade ? ByDecade(field, books) : ByValue(field, books);
}

TStatTable AddedAndRemoved(const std::vector<THistoryEntry>& history, const std::vector<TItem>& books)
{
    // Per book: the year it first appeared (0: before the history), and the
    // year it last went (0: it did not, or came back).
    struct TSeen {
        int Added = 0;
        int Removed = 0;
    };
    std::unordered_map<int32_t, TSeen> seen;
    for (const THistoryEntry& entry : history) {
        const int year = LocalDay(entry.Time).year();
        for (const TBookChange::TBook& book : entry.Change.Books) {
            const auto [found, first] = seen.try_emplace(book.ID);
            // A book an undo, a redo or Bring back puts in place was added
            // by an earlier change: if the history does not hold that one,
            // it was added before the history reaches.
            const bool comesBack = entry.Change.Kind == TBookChangeKind::Undone ||
                                   entry.Change.Kind == TBookChangeKind::Redone ||
                                   entry.Change.Kind == TBookChangeKind::Restored;
            if (first)
                found->second.Added = book.Before || comesBack ? 0 : year;
            found->second.Removed = book.After ? 0 : year;
        }
    }
    std::set<int32_t> now;
    for (const TItem& book : books)
        now.insert(book.ID);

    struct TYear {
        int Added = 0;
        int Removed = 0;
        std::set<int32_t> Ids;
    };
    std::map<int, TYear> years; // year 0: before the history
    for (const TItem& book : books)
        if (seen.count(book.ID) == 0) {
            ++years[0].Added;
            years[0].Ids.insert(book.ID);
        }
    for (const auto& [id, book] : seen) {
        TYear& added = years[book.Added];
        ++added.Added;
        const bool here = now.count(id) != 0;
        if (here)
            added.Ids.insert(id);
        if (!here && book.Removed != 0)
            ++years[book.Removed].Removed;
    }
    TStatTable table{"Books added and removed", "Year", {"Added", "Removed"}, {}};
    for (const auto& [year, counts] : years)
        table.Rows.push_back({year == 0 ? std::string("Before the history") : std::to_string(year),
                              {double(counts.Added), double(counts.Removed)},
                              InCatalogueOrder(counts.Ids, books),
                              year == 0});
    return table;
}

TStatTable Borrowers(const std::vector<THistoryEntry>& history, const std::vector<TItem>& books, const QDate& today,
                     const TDueOf& dueOf, TLoanSummary* summary)
{
    const std::vector<TLoanRecord> loans = LoanHistory::All(history, books);
    std::unordered_map<int32_t, const TItem*> now;
    for (const TItem& book : books)
        now[book.ID] = &book;
    const auto due = [&dueOf](const TItem& book) -> std::optional<QDate> {
        if (dueOf)
            return dueOf(book);
        const QDate date = TDueDates::DueOf(book.Details);
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    };

    struct TBorrower {
        int Loans = 0, Out = 0, Overdue = 0, Timed = 0, Longest = 0;
        int64_t Days = 0;
        std::set<int32_t> Ids;
    };
    std::map<std::string, TBorrower> borrowers;
    TLoanSummary total;
    int64_t totalDays = 0;
    std::set<int32_t> lent;
    TReadDates read;
    for (const TLoanRecord& loan : loans) {
        TBorrower& borrower = borrowers[loan.Loaner];
        ++borrower.Loans;
        ++total.Loans;
        lent.insert(loan.ID);
        const auto book = now.find(loan.ID);
        if (book != now.end())
            borrower.Ids.insert(loan.ID);
        if (loan.Open) {
            ++borrower.Out;
            ++total.OnLoan;
            if (book != now.end())
                if (const std::optional<QDate> date = due(*book->second); date && *date < today) {
                    ++borrower.Overdue;
                    ++total.Overdue;
                }
        }
        if (const int days = DaysOut(loan, today, read); days >= 0) {
            ++borrower.Timed;
            borrower.Days += days;
            borrower.Longest = std::max(borrower.Longest, days);
            ++total.Timed;
            totalDays += days;
            total.LongestDays = std::max(total.LongestDays, days);
        }
    }
    if (total.Timed > 0)
        total.AverageDays = double(totalDays) / total.Timed;
    // A returned book keeps its last loaner's name: it was lent, though
    // before the history reaches.
    for (const TItem& book : books)
        if (lent.count(book.ID) == 0 && book.Fields[6].empty())
            total.NeverLent.push_back(book.ID);
    if (summary)
        *summary = total;

    TStatTable table{
        "Loans by borrower", "Borrower", {"Loans", "Out now", "Overdue", "Average days", "Longest days"}, {}};
    for (const auto& [name, borrower] : borrowers)
        table.Rows.push_back({name.empty() ? std::string("(no name)") : Utf8(name),
                              {double(borrower.Loans), double(borrower.Out), double(borrower.Overdue),
                               borrower.Timed > 0 ? double(borrower.Days) / borrower.Timed : NAN,
                               borrower.Timed > 0 ? double(borrower.Longest) : NAN},
                              InCatalogueOrder(borrower.Ids, books),
                              false});
    ByCountThenLabel(table.Rows);
    return table;
}

TStatistics Of(const std::vector<TItem>& books, const std::vector<THistoryEntry>& history, const QDate& today,
               const TDueOf& dueOf)
{
    TStatistics statistics;
    statistics.Books = static_cast<int>(books.size());
    for (const TField& field : FieldTable::Fields())
        if (field.Counted != TFieldCount::None)
            statistics.Tables.push_back(CountBy(field, books));
    statistics.Tables.push_back(AddedAndRemoved(history, books));
    statistics.Tables.push_back(Borrowers(history, books, today, dueOf, &statistics.Loans));
    return statistics;
}

std::string Number(double value)
{
    if (std::isnan(value))
        return {};
    if (value == std::floor(value))
        return QLocale().toString(static_cast<qlonglong>(value)).toStdString();
    return QLocale().toString(value, 'f', 1).toStdString();
}

std::string AsText(const TStatTable& table)
{
    std::string text = table.LabelTitle;
    for (const std::string& column : table.Columns)
        text += '\t' + column;
    text += '\n';
    for (const TStatTable::TRow& row : table.Rows) {
        // A tab or line break in a label would start another cell or row.
        std::string label = row.Label;
        std::replace_if(
            label.begin(), label.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
        text += label;
        for (const double value : row.Values)
            text += '\t' + Number(value);
        text += '\n';
    }
    return text;
}

} // namespace Statistics
