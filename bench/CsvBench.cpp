// Timing of volumnia-csv with a full catalogue: export of 1499 books with
// fields of realistic lengths and every detail (as CSV and as a Tellico data
// file), and their import into an empty catalogue from each layout, each
// through the command in this process and as the real program started anew.
// Medians in milliseconds, beside the target.
#include "bench/BenchBooks.h"
#include "csv/CsvCommand.h"
#include "engine/DetailsFile.h"
#include "engine/FieldTable.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace BenchBooks;

std::string Settings(int32_t currentIndex)
{
    std::vector<std::string> settings = {"CurrentIndex", std::to_string(currentIndex), "vInteger"};
    const std::vector<std::string> catalogue = CatalogueSettings();
    settings.insert(settings.end(), catalogue.begin(), catalogue.end());
    return Lines(settings);
}

// Words with commas and quotes among the common ones, for CSV quoting.
std::vector<TItem> FullBooks()
{
    return Books(1499, {"letters, vol. 2", "\"second\""});
}

// Every book with a value of every detail of the field table.
std::string FullDetails(const std::vector<TItem>& books)
{
    std::vector<TDetailsRow> rows;
    for (const TItem& book : books) {
        TDetails details;
        for (const TField* field : FieldTable::Details()) {
            const std::string key = field->Key;
            switch (field->Kind) {
            case TFieldKind::Text:
                details.Set(key, key + " of book " + std::to_string(book.ID));
                break;
            case TFieldKind::Number:
                details.Set(key, std::to_string(book.ID % 700 + 1));
                break;
            case TFieldKind::Date:
                details.Set(key, "2025-0" + std::to_string(book.ID % 9 + 1) + "-1" + std::to_string(book.ID % 10));
                break;
            case TFieldKind::Rating:
                details.Set(key, std::to_string(book.ID % 6));
                break;
            case TFieldKind::Tags:
                details.Set(key, "fiction, shelf " + std::to_string(book.ID % 40));
                break;
            case TFieldKind::Choice:
                details.Set(key, field->Choices[static_cast<size_t>(book.ID) % field->Choices.size()].Stored);
                break;
            case TFieldKind::Isbn:
                details.Set(key, FieldTable::Isbn13("978" + std::to_string(100000000 + book.ID)));
                break;
            default:
                break;
            }
        }
        details.Remove(FieldTable::DueKey); // a loan's, set by the loan period
        rows.push_back({book.ID, DetailsFile::Fingerprint(book), details});
    }
    return DetailsFile::Format(rows);
}

void Command(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    if (TCsvCommand::Run(arguments, out, err) != TCsvCommand::Done) {
        std::fprintf(stderr, "%s", err.str().c_str());
        std::exit(1);
    }
}

void Program(const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(VOLUMNIA_CSV_PROGRAM), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) {
        std::fprintf(stderr, "volumnia-csv failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
}

void Report(const char* name, double ms)
{
    std::printf("%-46s %8.2f ms  (target well under 100 ms)\n", name, ms);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString full = dir.filePath(QStringLiteral("full")), empty = dir.filePath(QStringLiteral("empty"));
    QDir().mkpath(full);
    QDir().mkpath(empty);
    const std::vector<TItem> books = FullBooks();
    const std::string database = DatabaseFile(books);
    QDir::setCurrent(full);
    TTextFile::WriteAtomically("volumnia.kelt", Settings(1499));
    TTextFile::WriteAtomically("books.orbl", database);
    TTextFile::WriteAtomically("books.orbl.details", FullDetails(books));
    const std::string csv = dir.filePath(QStringLiteral("books.csv")).toStdString();
    Command({"export", csv});
    std::printf("1499 books: database file %zu bytes, CSV %zu bytes\n\n", database.size(),
                TTextFile::ReadAll(csv).size());

    const auto nothing = [] {};
    Report("export to a file", MedianMs(21, nothing, [&] { Command({"export", csv}); }));
    Report("export to a file, sorted by title", MedianMs(21, nothing, [&] {
               Command({"export", "--sort", "title", csv});
           }));
    Report("export, the program started anew", MedianMs(21, nothing, [&] {
               Program({QStringLiteral("export"), QString::fromStdString(csv)});
           }));
    const std::string tellico = dir.filePath(QStringLiteral("books.tc")).toStdString();
    Report("export as a Tellico data file", MedianMs(21, nothing, [&] {
               Command({"export", "--format", "tellico", tellico});
           }));

    QDir::setCurrent(empty);
    const auto emptyCatalogue = [] {
        TTextFile::WriteAtomically("volumnia.kelt", Settings(0));
        TTextFile::WriteAtomically("books.orbl", "");
        for (const char* side : {"books.orbl.details", "books.orbl.history", "books.orbl.bak"})
            QFile::remove(QString::fromLatin1(side));
    };
    Report("import into an empty catalogue", MedianMs(21, emptyCatalogue, [&] { Command({"import", csv}); }));
    Report("import --dry-run", MedianMs(21, emptyCatalogue, [&] { Command({"import", "--dry-run", csv}); }));
    Report("import of a Tellico data file", MedianMs(21, emptyCatalogue, [&] { Command({"import", tellico}); }));
    for (const char* layout : {"tellico-csv", "goodreads"}) {
        QDir::setCurrent(full);
        const std::string file = dir.filePath(QString::fromLatin1(layout) + QStringLiteral(".csv")).toStdString();
        Command({"export", "--format", layout, file});
        QDir::setCurrent(empty);
        Report((std::string("import of the ") + layout + " layout").c_str(), MedianMs(21, emptyCatalogue, [&] {
                   Command({"import", file});
               }));
    }
    Report("import, the program started anew", MedianMs(21, emptyCatalogue, [&] {
               Program({QStringLiteral("import"), QString::fromStdString(csv)});
           }));
    QDir::setCurrent(dir.path());
    return 0;
}
