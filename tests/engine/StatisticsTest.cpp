// The statistics against plain reference loops: the year texts read as
// decades at their edges; every counted field of the demo catalogue and of a
// generated full one (1499 books, details, a history of adds, removals and
// loans), each row's count and books; the loans per borrower, their days,
// the overdue ones and the books never lent.
#include "engine/FieldTable.h"
#include "engine/Statistics.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// label -> (numbers, books) of every row.
using TRows = std::map<std::string, std::pair<std::vector<double>, std::vector<int32_t>>>;

TRows RowsOf(const TStatTable& table)
{
    TRows rows;
    for (const TStatTable::TRow& row : table.Rows)
        rows[row.Label] = {row.Values, row.Ids};
    return rows;
}

const TStatTable& Table(const TStatistics& statistics, const std::string& title)
{
    for (const TStatTable& table : statistics.Tables)
        if (table.Title == title)
            return table;
    throw std::runtime_error("no table " + title);
}

void Count(TRows& rows, const std::string& label, int32_t id)
{
    auto& row = rows[label];
    if (row.first.empty())
        row.first = {0};
    row.first[0] += 1;
    row.second.push_back(id);
}

int64_t Noon(const QDate& day)
{
    return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
}

THistoryEntry Entry(const QDate& day, TBookChangeKind kind, std::optional<TItem> before, std::optional<TItem> after)
{
    const int32_t id = before ? before->ID : after->ID;
    return {Noon(day), "Volumnia", TBookChange{kind, {{id, std::move(before), std::move(after)}}}};
}

// The demo catalogue's books, read line by line from its file.
std::vector<TItem> DemoBooks()
{
    QFile file(QStringLiteral(VOLUMNIA_SOURCE_DIR "/resources/demo/books.orbl"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    std::vector<TItem> books;
    for (qsizetype i = 0; i + 10 < lines.size(); i += 11) {
        TItem book;
        book.ID = lines[i].trimmed().toInt();
        for (size_t f = 0; f < 10; ++f)
            book.Fields[f] = lines[i + 1 + qsizetype(f)].chopped(1).toStdString(); // CR LF
        books.push_back(book);
    }
    return books;
}

} // namespace

TEST(Statistics, YearTextsReadAsTheirDecadeAtTheEdges)
{
    using K = Statistics::TYearKind;
    const struct {
        const char* Year;
        K Kind;
        int Decade;
    } cases[] = {
        {"1813", K::Decade, 1810},       {"1899", K::Decade, 1890},
        {"1900", K::Decade, 1900},       {"1909", K::Decade, 1900},
        {"2000", K::Decade, 2000},       {"868", K::Decade, 860},
        {" 1862 ", K::Decade, 1860},     {"c. 1900", K::Decade, 1900},
        {"C.1899", K::Decade, 1890},     {"ca. 1905", K::Decade, 1900},
        {"circa 1850", K::Decade, 1850}, {"1890s", K::Decade, 1890},
        {"1890's", K::Decade, 1890},     {"[1862]", K::Decade, 1860},
        {"c. 1860s", K::Decade, 1860},   {"", K::NoYear, 0},
        {"   ", K::NoYear, 0},           {"unknown", K::NotAYear, 0},
        {"62", K::NotAYear, 0},          {"1895s", K::NotAYear, 0},
        {"1850-1855", K::NotAYear, 0},   {"01850", K::NotAYear, 0},
        {"10000", K::NotAYear, 0},       {"0990", K::NotAYear, 0},
        {"c.", K::NotAYear, 0},          {"s", K::NotAYear, 0},
        {"1850?", K::NotAYear, 0},
    };
    for (const auto& c : cases) {
        int decade = 0;
        EXPECT_EQ(Statistics::DecadeOf(c.Year, decade), c.Kind) << c.Year;
        if (c.Kind == K::Decade) {
            EXPECT_EQ(decade, c.Decade) << c.Year;
        }
    }
}

TEST(Statistics, DemoCatalogueCountsAsThePlainLoop)
{
    QLocale::setDefault(QLocale::c());
    const std::vector<TItem> books = DemoBooks();
    ASSERT_EQ(books.size(), 42u);
    TRows decades, authors, loans;
    std::vector<int32_t> neverLent;
    for (const TItem& book : books) {
        const std::string& year = book.Fields[3];
        Count(decades, year.empty() ? "No year" : year.substr(0, 3) + "0s", book.ID);
        Count(authors, QString::fromLatin1(book.Fields[1]).toStdString(), book.ID);
        if (book.Fields[7].empty())
            neverLent.push_back(book.ID);
        else
            Count(loans, QString::fromLatin1(book.Fields[6]).toStdString(), book.ID);
    }
    const TStatistics statistics = Statistics::Of(books, {}, QDate(2026, 12, 8));
    EXPECT_EQ(RowsOf(Table(statistics, "Books by decade")), decades);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by author")), authors);
    EXPECT_EQ(decades["1860s"].second, (std::vector<int32_t>{4, 6, 15, 17}));
    EXPECT_EQ(Table(statistics, "Books by decade").Rows.front().Label, "1470s");
    TRows borrowers = RowsOf(Table(statistics, "Loans by borrower"));
    for (auto& [name, row] : borrowers)
        row.first.resize(1); // the loans only
    EXPECT_EQ(borrowers, loans);
    EXPECT_EQ(statistics.Loans.NeverLent, neverLent);
}

TEST(Statistics, FullGeneratedCatalogueWithHistoryCountsAsThePlainLoop)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::mt19937 random(1499);
    const auto pick = [&random](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    // Each author and publisher as the file holds it and as it is shown.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Sj\xF6wall", "Sjöwall"}, {"Tolstoy", "Tolstoy"}, {"\xC9mile Zola", "Émile Zola"}, {"Austen", "Austen"}};
    const std::vector<std::string> languages = {"en", "fi", "de", ""};
    const std::vector<std::string> tags = {"fantasy", "humour", "signed"};
    const TField& status = *FieldTable::Find("status");
    const std::vector<std::string> ratings = {"0", "2.5", "5", ""};
    const QDate today(2024, 6, 30);

    std::vector<TItem> books;
    std::vector<THistoryEntry> history;
    TRows authors, publishers, decades, languageRows, tagRows, statusRows, ratingRows, years, borrowers;
    for (const TFieldChoice& choice : status.Choices)
        statusRows[choice.Shown] = {{0}, {}};
    for (const char* whole : {"0", "1", "2", "3", "4", "5"})
        ratingRows[whole] = {{0}, {}};
    for (int32_t id = 1; id <= 1499; ++id) {
        TItem book;
        book.ID = id;
        book.Fields[0] = "Title " + std::to_string(id);
        const auto& author = names[pick(names.size())];
        const auto& publisher = names[pick(names.size())];
        book.Fields[1] = author.first;
        book.Fields[2] = publisher.first;
        Count(authors, author.second, id);
        Count(publishers, publisher.second, id);
        // The year in one of the ways a decade is written, or none.
        const int decade = 1800 + 10 * int(pick(23));
        const int year = decade + int(pick(10));
        switch (pick(7)) {
        case 0:
            book.Fields[3] = "c. " + std::to_string(year);
            break;
        case 1:
            book.Fields[3] = std::to_string(decade) + "s";
            break;
        case 2:
            book.Fields[3] = "[" + std::to_string(year) + "]";
            break;
        case 3:
            book.Fields[3] = pick(2) ? "" : "unknown";
            break;
        default:
            book.Fields[3] = std::to_string(year);
        }
        Count(decades,
              book.Fields[3].empty()        ? "No year"
              : book.Fields[3] == "unknown" ? "Not a year"
                                            : std::to_string(decade) + "s",
              id);
        const std::string& language = languages[pick(languages.size())];
        book.Details.Set("language", language);
        Count(languageRows, language.empty() ? "(none)" : language, id);
        std::string bookTags;
        for (const std::string& tag : tags)
            if (pick(2)) {
                bookTags += (bookTags.empty() ? "" : ", ") + tag;
                Count(tagRows, tag, id);
            }
        book.Details.Set("tags", bookTags);
        if (bookTags.empty())
            Count(tagRows, "(none)", id);
        const size_t choice = pick(status.Choices.size() + 1);
        if (choice < status.Choices.size()) {
            book.Details.Set("status", status.Choices[choice].Stored);
            Count(statusRows, status.Choices[choice].Shown, id);
        } else {
            Count(statusRows, "(none)", id);
        }
        const std::string& rating = ratings[pick(ratings.size())];
        book.Details.Set("rating", rating);
        Count(ratingRows, rating.empty() ? "(none)" : rating, id);
        books.push_back(book);
    }

    // Books 1001 on were added in the history's years; books 2001 to 2010
    // added in 2022 and removed in 2023; the others were there before.
    TRows added;
    for (int32_t id = 1001; id <= 1499; ++id) {
        const QDate day(2021 + id % 4, 1 + id % 12, 1 + id % 28);
        history.push_back(Entry(day, TBookChangeKind::Added, std::nullopt, books[size_t(id - 1)]));
        Count(added, std::to_string(day.year()), id);
    }
    for (int32_t id = 2001; id <= 2010; ++id) {
        TItem gone = books[0];
        gone.ID = id;
        history.push_back(Entry(QDate(2022, 5, 1), TBookChangeKind::Added, std::nullopt, gone));
        history.push_back(Entry(QDate(2023, 5, 1), TBookChangeKind::Removed, gone, std::nullopt));
    }
    // One loan a book for books 1 to 600, the last 50 still out (half of
    // them past their due date); a returned book keeps its loaner's name.
    const std::vector<std::string> people = {"Liisa", "Bob", "Carl", "\xC5sa"};
    struct TRef {
        int Loans = 0, Out = 0, Overdue = 0, Longest = 0;
        double Days = 0;
    };
    std::map<std::string, TRef> reference;
    std::map<std::string, std::vector<int32_t>> lentTo;
    for (int32_t id = 1; id <= 600; ++id) {
        TItem& book = books[size_t(id - 1)];
        const std::string& who = people[pick(people.size())];
        const QDate start = QDate(2023, 1, 1).addDays(id % 300);
        TItem lent = book;
        lent.Fields[6] = who;
        lent.Fields[7] = start.toString(Qt::ISODate).toStdString();
        history.push_back(Entry(start, TBookChangeKind::Lent, book, lent));
        TRef& ref = reference[QString::fromLatin1(who).toStdString()];
        ++ref.Loans;
        int days = 0;
        if (id > 550) {
            days = int(start.daysTo(today));
            ++ref.Out;
            if (id % 2 == 0) {
                lent.Details.Set("due", "2024-01-01");
                ++ref.Overdue;
            } else {
                lent.Details.Set("due", "2024-12-31");
            }
            book = lent;
        } else {
            days = id % 61;
            TItem back = lent;
            back.Fields[7].clear();
            history.push_back(Entry(start.addDays(days), TBookChangeKind::Returned, lent, back));
            book = back;
        }
        ref.Days += days;
        ref.Longest = std::max(ref.Longest, days);
        lentTo[QString::fromLatin1(who).toStdString()].push_back(id);
    }
    std::stable_sort(history.begin(), history.end(),
                     [](const THistoryEntry& a, const THistoryEntry& b) { return a.Time < b.Time; });
    for (auto& [who, ref] : reference)
        borrowers[who] = {
            {double(ref.Loans), double(ref.Out), double(ref.Overdue), ref.Days / ref.Loans, double(ref.Longest)},
            lentTo[who]};

    const TStatistics statistics = Statistics::Of(books, history, today);
    EXPECT_EQ(statistics.Books, 1499);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by author")), authors);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by publisher")), publishers);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by decade")), decades);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by language")), languageRows);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by shelves and tags")), tagRows);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by reading status")), statusRows);
    EXPECT_EQ(RowsOf(Table(statistics, "Books by rating")), ratingRows);
    EXPECT_EQ(RowsOf(Table(statistics, "Loans by borrower")), borrowers);

    // Added per year, the removed ones in theirs, the rest before the history.
    const TRows addedRows = RowsOf(Table(statistics, "Books added and removed"));
    EXPECT_EQ(addedRows.at("Before the history").first, (std::vector<double>{1000, 0}));
    EXPECT_EQ(addedRows.at("Before the history").second.size(), 1000u);
    EXPECT_EQ(addedRows.at("2022").first[0], double(added["2022"].second.size() + 10));
    EXPECT_EQ(addedRows.at("2022").second, added["2022"].second); // the removed ones are not listed
    EXPECT_EQ(addedRows.at("2023").first, (std::vector<double>{double(added["2023"].second.size()), 10}));
    EXPECT_EQ(addedRows.at("2024").first, (std::vector<double>{double(added["2024"].second.size()), 0}));

    EXPECT_EQ(statistics.Loans.Loans, 600);
    EXPECT_EQ(statistics.Loans.OnLoan, 50);
    EXPECT_EQ(statistics.Loans.Overdue, 25);
    EXPECT_EQ(statistics.Loans.NeverLent.size(), 1499u - 600u);
    EXPECT_EQ(statistics.Loans.NeverLent.front(), 601);

    // Orders: the most books first for texts, decades by time, apart rows last.
    const TStatTable& byAuthor = Table(statistics, "Books by author");
    for (size_t i = 1; i < byAuthor.Rows.size(); ++i)
        EXPECT_GE(byAuthor.Rows[i - 1].Values[0], byAuthor.Rows[i].Values[0]);
    const TStatTable& byDecade = Table(statistics, "Books by decade");
    EXPECT_EQ(byDecade.Rows.front().Label, "1800s");
    EXPECT_EQ(byDecade.Rows[byDecade.Rows.size() - 3].Label, "2020s");
    EXPECT_TRUE(byDecade.Rows.back().Apart);
    EXPECT_EQ(Table(statistics, "Books by rating").Rows[3].Label, "2.5");
}

TEST(Statistics, BooksAddedAndRemovedPerYearWhereSomeCameBack)
{
    using K = TBookChangeKind;
    TItem one, two, three, four;
    one.ID = 1, two.ID = 2, three.ID = 3, four.ID = 4;
    // One added, removed and put back by an undo; two first met coming back;
    // three added and removed for good; four never in the history.
    const std::vector<THistoryEntry> history = {
        Entry(QDate(2021, 6, 1), K::Added, std::nullopt, one),
        Entry(QDate(2022, 6, 1), K::Removed, one, std::nullopt),
        Entry(QDate(2022, 6, 2), K::Undone, std::nullopt, one),
        Entry(QDate(2023, 6, 1), K::Restored, std::nullopt, two),
        Entry(QDate(2023, 6, 2), K::Added, std::nullopt, three),
        Entry(QDate(2024, 6, 1), K::Removed, three, std::nullopt),
    };
    const TStatTable table = Statistics::AddedAndRemoved(history, {four, one, two});
    EXPECT_EQ(RowsOf(table), (TRows{{"Before the history", {{2, 0}, {4, 2}}},
                                    {"2021", {{1, 0}, {1}}},
                                    {"2023", {{1, 0}, {}}},
                                    {"2024", {{0, 1}, {}}}}));
    EXPECT_TRUE(table.Rows.front().Apart);
}

TEST(Statistics, LoansFromBeforeTheHistoryAndBooksNeverLent)
{
    QLocale::setDefault(QLocale::c());
    const QDate today(2024, 3, 10);
    TItem dune, emma, ivanhoe, walden;
    dune.ID = 1, emma.ID = 2, ivanhoe.ID = 3, walden.ID = 4;
    // Dune came back before the history (its loaner's name stays); Emma is
    // out since a date that does not read, lent on 1 March in the history;
    // Ivanhoe is out since before the history, undated; Walden never left.
    dune.Fields[6] = "Liisa";
    TItem emmaLent = emma;
    emmaLent.Fields[6] = "Bob";
    emmaLent.Fields[7] = "last week";
    ivanhoe.Fields[6] = "Bob";
    ivanhoe.Fields[7] = "sometime";
    const std::vector<THistoryEntry> history = {Entry(QDate(2024, 3, 1), TBookChangeKind::Lent, emma, emmaLent)};
    TLoanSummary summary;
    const TStatTable table = Statistics::Borrowers(history, {dune, emmaLent, ivanhoe, walden}, today, {}, &summary);
    ASSERT_EQ(table.Rows.size(), 1u);
    EXPECT_EQ(table.Rows[0].Label, "Bob");
    EXPECT_EQ(table.Rows[0].Values, (std::vector<double>{2, 2, 0, 9, 9}));
    EXPECT_EQ(table.Rows[0].Ids, (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(summary.Timed, 1);
    EXPECT_EQ(summary.NeverLent, (std::vector<int32_t>{4}));
    EXPECT_EQ(Statistics::AsText(table), "Borrower\tLoans\tOut now\tOverdue\tAverage days\tLongest days\n"
                                         "Bob\t2\t2\t0\t9\t9\n");
    TStatTable half{
        "", "Rating", {"Books", "Days"}, {{"2.5", {1, NAN}, {}, false}, {"3\tor\n4", {2.26, 3}, {}, false}}};
    EXPECT_EQ(Statistics::AsText(half), "Rating\tBooks\tDays\n2.5\t1\t\n3 or 4\t2.3\t3\n");
}
