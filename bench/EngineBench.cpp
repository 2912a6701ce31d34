// Timing of the database engine on a full store: 1499 books with fields of
// realistic lengths in a temporary folder. Each operation runs many times and
// the median is printed in milliseconds, beside its target where there is one.
#include "engine/ORBL.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

std::mt19937 Random(1499);

std::string Words(int minLength, int maxLength)
{
    static const std::vector<std::string> words = {"the",
                                                   "of",
                                                   "and",
                                                   "history",
                                                   "garden",
                                                   "night",
                                                   "winter",
                                                   "S\xF6"
                                                   "derstr\xF6m",
                                                   "M\xFCller",
                                                   "Otava",
                                                   "Penguin",
                                                   "\xC9lise",
                                                   "river",
                                                   "collected",
                                                   "poems",
                                                   "house",
                                                   "Virtanen",
                                                   "a",
                                                   "journey",
                                                   "Dark",
                                                   "letters",
                                                   "\xC5sa",
                                                   "Press",
                                                   "Books",
                                                   "second",
                                                   "edition",
                                                   "Smith"};
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
    const size_t wanted = static_cast<size_t>(length(Random));
    std::string text;
    while (text.size() < wanted) {
        if (!text.empty())
            text += ' ';
        text += words[pick(Random)];
    }
    return text;
}

std::vector<TItem> Books(int count)
{
    std::vector<TItem> books;
    std::uniform_int_distribution<int> year(1850, 2024), loaned(0, 9);
    for (int i = 1; i <= count; ++i) {
        TItem book;
        book.ID = i;
        book.Fields[0] = Words(8, 60);
        book.Fields[1] = Words(8, 28);
        book.Fields[2] = Words(4, 20);
        book.Fields[3] = std::to_string(year(Random));
        book.Fields[4] = Words(0, 60);
        book.Fields[5] = Words(0, 30);
        if (loaned(Random) == 0) {
            book.Fields[6] = Words(6, 20);
            book.Fields[7] = "12.03.2024";
        }
        books.push_back(book);
    }
    std::shuffle(books.begin(), books.end(), Random);
    return books;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& operation)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* name, double ms, const char* target = "")
{
    std::printf("%-44s %9.3f ms  %s\n", name, ms, target);
}

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

    std::vector<std::string> settings = {"orbl_databasefile", "books.orbl", "vString"};
    const char* aliases[] = {
        "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
        "Loaner",     "Date loaned", "Spare one", "Spare two"};
    for (int i = 0; i < 10; ++i)
        settings.insert(settings.end(), {"orbl_alias" + std::to_string(i), aliases[i], "vString"});
    TTextFile::WriteAtomically("volumnia.kelt", Lines(settings));

    std::string bytes;
    for (const TItem& book : Books(TDatabase::MaxItems)) {
        std::vector<std::string> lines{std::to_string(book.ID)};
        lines.insert(lines.end(), book.Fields.begin(), book.Fields.end());
        bytes += Lines(lines);
    }
    TTextFile::WriteAtomically("books.orbl", bytes);

    TRFileSystem store("volumnia.kelt");
    TDatabase db(store);
    std::printf("%d books, database file %zu bytes, locale %s\n\n", db.Count(), bytes.size(),
                QLocale().name().toStdString().c_str());

    const auto nothing = [] {};
    const auto reshuffle = [&] {
        TTextFile::WriteAtomically("books.orbl", bytes);
        db.LoadFromFile();
    };

    Report("LoadFromFile", MedianMs(51, nothing, [&] { db.LoadFromFile(); }));
    const double save = MedianMs(51, nothing, [&] { db.SaveToFile(); });
    Report("SaveToFile (write and reload)", save);
    const double baseline = MedianMs(51, nothing, [&] {
        TTextFile::WriteAtomically("baseline.orbl", bytes);
        volatile size_t size = TTextFile::ReadAll("baseline.orbl").size();
        (void)size;
    });
    Report("baseline WriteAtomically + ReadAll", baseline);
    std::printf("%-44s %9.2f     (target <= 3)\n", "SaveToFile / baseline", save / baseline);

    Report("SortBy title, store in random order", MedianMs(51, reshuffle, [&] { db.SortBy("Book title"); }),
           "(target <= 5 ms)");
    Report("SortBy author, store in random order", MedianMs(51, reshuffle, [&] { db.SortBy("Book author"); }),
           "(target <= 5 ms)");
    Report("SortBy publisher, store in random order", MedianMs(51, reshuffle, [&] { db.SortBy("Publisher"); }),
           "(target <= 5 ms)");
    Report("SortBy title, store already sorted", MedianMs(51, nothing, [&] { db.SortBy("Book title"); }),
           "(target <= 5 ms)");

    int found = 0;
    Report("Search title \"the\" (many matches)",
           MedianMs(201, nothing, [&] { found = db.Search("Book title", "the").ItemCount; }), "(target <= 1 ms)");
    std::printf("%44s %d found\n", "", found);
    Report("Search author (accented capitals)",
           MedianMs(201, nothing,
                    [&] {
                        found = db.Search("Book author", "S\xD6"
                                                         "D")
                                    .ItemCount;
                    }),
           "(target <= 1 ms)");
    std::printf("%44s %d found\n", "", found);
    Report("Search title \"zzz\" (no match)",
           MedianMs(201, nothing, [&] { found = db.Search("Book title", "zzz").ItemCount; }), "(target <= 1 ms)");

    bool flip = false;
    Report("ReplaceFieldValue publisher", MedianMs(201, nothing, [&] {
               flip = !flip;
               db.ReplaceFieldValue("Publisher", flip ? "Otava" : "Otava Press", flip ? "Otava Press" : "Otava");
           }));
    return 0;
}
