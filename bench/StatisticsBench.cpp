// Timing of the statistics (engine/Statistics) over a full store: 1499 books
// with every detail filled in, one in ten on loan, and a history of changes
// as large as it is kept (THistory::DefaultSizeLimit, 2 MB) of loans, returns
// and edits of those books. The median of many runs is printed in
// milliseconds: the counting alone, and the history read from its file and
// counted, as the Statistics window does when shown.
#include "bench/BenchBooks.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "engine/Statistics.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace BenchBooks;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    std::vector<TItem> books = Books(TDatabase::MaxItems);
    for (TItem& book : books)
        book.Details = FullDetails(book);

    // Changes until the history holds its limit: a loan, its return a few
    // weeks on, an edit of the title, round the books again and again.
    THistory history("books.orbl");
    const std::vector<std::string> people = {"Liisa", "Bob", "Carl", "\xC5sa", "M\xFCller"};
    int64_t time = 1577880000000; // 2020-01-01
    size_t bytes = 0;
    std::vector<THistoryEntry> entries;
    for (size_t n = 0; bytes < THistory::DefaultSizeLimit * 9 / 10; ++n) {
        TItem& book = books[n * 7 % books.size()];
        TItem after = book;
        TBookChangeKind kind = TBookChangeKind::Updated;
        if (!book.Fields[7].empty()) {
            after.Fields[7].clear();
            kind = TBookChangeKind::Returned;
        } else if (n % 3 != 0) {
            after.Fields[6] = people[n % people.size()];
            after.Fields[7] = "12.03.2024";
            kind = TBookChangeKind::Lent;
        } else {
            after.Fields[0] += " (" + std::to_string(n) + ")";
        }
        time += 86400000LL * (1 + static_cast<int64_t>(n % 5));
        const THistoryEntry entry{time, "Volumnia", TBookChange{kind, {{book.ID, book, after}}}};
        bytes += THistory::Encode(entry).size();
        entries.push_back(entry);
        book = after;
    }
    std::string file;
    for (const THistoryEntry& entry : entries)
        file += THistory::Encode(entry);
    TTextFile::WriteAtomically(history.FileName(), file);
    std::printf("%zu books with full details, history of %zu changes in %zu bytes, locale %s\n\n", books.size(),
                entries.size(), file.size(), QLocale().name().toStdString().c_str());

    const QDate today(2024, 6, 30);
    const auto nothing = [] {};
    size_t tables = 0;
    std::printf("%-44s %9.3f ms  (target 50 ms)\n", "statistics, history decoded",
                MedianMs(51, nothing, [&] { tables += Statistics::Of(books, entries, today).Tables.size(); }));
    std::printf("%-44s %9.3f ms\n", "statistics, history read from its file", MedianMs(21, nothing, [&] {
                    tables += Statistics::Of(books, history.ReadAll(), today).Tables.size();
                }));
    return tables > 0 ? 0 : 1;
}
