// Timing of volumnia-csv with a full catalogue: export of 1499 books with
// fields of realistic lengths (as CSV and as a Tellico data file), and their
// import into an empty catalogue, each
// through the command in this process and as the real program started anew.
// Medians in milliseconds, beside the target.
#include "bench/BenchBooks.h"
#include "csv/CsvCommand.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
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
std::string FullDatabase()
{
    return DatabaseFile(Books(1499, {"letters, vol. 2", "\"second\""}));
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
    const std::string database = FullDatabase();
    QDir::setCurrent(full);
    TTextFile::WriteAtomically("volumnia.kelt", Settings(1499));
    TTextFile::WriteAtomically("books.orbl", database);
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
    };
    Report("import into an empty catalogue", MedianMs(21, emptyCatalogue, [&] { Command({"import", csv}); }));
    Report("import --dry-run", MedianMs(21, emptyCatalogue, [&] { Command({"import", "--dry-run", csv}); }));
    Report("import of a Tellico data file", MedianMs(21, emptyCatalogue, [&] { Command({"import", tellico}); }));
    Report("import, the program started anew", MedianMs(21, emptyCatalogue, [&] {
               Program({QStringLiteral("import"), QString::fromStdString(csv)});
           }));
    QDir::setCurrent(dir.path());
    return 0;
}
