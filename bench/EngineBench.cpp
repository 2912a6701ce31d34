// Timing of the database engine on a full store: 1499 books with fields of
// realistic lengths in a temporary folder. Each operation runs many times and
// the median is printed in milliseconds, beside its target where there is one.
#include "bench/BenchBooks.h"
#include "engine/Catalogue.h"
#include "engine/ConflictCopies.h"
#include "engine/ORBL.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace BenchBooks;

// The books in random order, as a store that was never sorted.
std::vector<TItem> ShuffledBooks(int count)
{
    std::vector<TItem> books = Books(count);
    std::shuffle(books.begin(), books.end(), Random());
    return books;
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

    TTextFile::WriteAtomically("volumnia.kelt", Lines(CatalogueSettings()));

    const std::vector<TItem> books = ShuffledBooks(TDatabase::MaxItems);
    const std::string bytes = DatabaseFile(books);
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
    // The catalogue's open: the database file, and the details file beside
    // it when the books have details.
    const auto open = [] {
        auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        auto database = std::make_unique<TDatabase>(*settings);
        TCatalogue catalogue(std::move(settings), std::move(database));
    };
    const double bare = MedianMs(51, nothing, open);
    Report("Catalogue open, no details", bare);
    TTextFile::WriteAtomically("books.orbl.details", FullDetailsFile(books));
    const double detailed = MedianMs(51, nothing, open);
    Report("Catalogue open, every book with full details", detailed);
    std::printf("%-44s %9.3f ms  (target <= 20 ms)\n", "  the details' share", detailed - bare);
    TTextFile::Remove("books.orbl.details");

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

    // What the start adds for the sync tools' copies: one read of the folder
    // (the database's and its side files', with the settings file's), here
    // beside a few dozen other files and no copy.
    for (int i = 0; i < 40; ++i)
        TTextFile::WriteAtomically("other-" + std::to_string(i) + ".txt", "");
    size_t copies = 0;
    Report("FindConflictCopies, none there",
           MedianMs(
               201, nothing,
               [&] { copies += FindConflictCopies("books.orbl").size() + FindConflictCopies("volumnia.kelt").size(); }),
           "(target <= 2 ms)");
    if (copies != 0)
        std::printf("%44s %zu copies found where none stand\n", "", copies);

    bool flip = false;
    Report("ReplaceFieldValue publisher", MedianMs(201, nothing, [&] {
               flip = !flip;
               db.ReplaceFieldValue("Publisher", flip ? "Otava" : "Otava Press", flip ? "Otava Press" : "Otava");
           }));
    return 0;
}
