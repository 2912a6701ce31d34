// Timing of volumnia-csv with a full catalogue: export of 1499 books with
// fields of realistic lengths, and their import into an empty catalogue, each
// through the command in this process and as the real program started anew.
// Medians in milliseconds, beside the target.
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
                                                   "letters, vol. 2",
                                                   "\xC5sa",
                                                   "Press",
                                                   "Books",
                                                   "\"second\"",
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

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

std::string Settings(int32_t currentIndex)
{
    std::vector<std::string> settings = {
        "CurrentIndex", std::to_string(currentIndex), "vInteger", "orbl_databasefile", "books.orbl", "vString"};
    const char* aliases[] = {
        "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
        "Loaner",     "Date loaned", "Spare one", "Spare two"};
    for (int i = 0; i < 10; ++i)
        settings.insert(settings.end(), {"orbl_alias" + std::to_string(i), aliases[i], "vString"});
    return Lines(settings);
}

std::string FullDatabase()
{
    std::uniform_int_distribution<int> year(1850, 2024), loaned(0, 9);
    std::string bytes;
    for (int id = 1; id <= 1499; ++id) {
        std::vector<std::string> lines{std::to_string(id),           Words(8, 60), Words(8, 28), Words(4, 20),
                                       std::to_string(year(Random)), Words(0, 60), Words(0, 30)};
        const bool onLoan = loaned(Random) == 0;
        lines.push_back(onLoan ? Words(6, 20) : "");
        lines.push_back(onLoan ? "12.03.2024" : "");
        lines.insert(lines.end(), {"", ""});
        bytes += Lines(lines);
    }
    return bytes;
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

    QDir::setCurrent(empty);
    const auto emptyCatalogue = [] {
        TTextFile::WriteAtomically("volumnia.kelt", Settings(0));
        TTextFile::WriteAtomically("books.orbl", "");
    };
    Report("import into an empty catalogue", MedianMs(21, emptyCatalogue, [&] { Command({"import", csv}); }));
    Report("import --dry-run", MedianMs(21, emptyCatalogue, [&] { Command({"import", "--dry-run", csv}); }));
    Report("import, the program started anew", MedianMs(21, emptyCatalogue, [&] {
               Program({QStringLiteral("import"), QString::fromStdString(csv)});
           }));
    QDir::setCurrent(dir.path());
    return 0;
}
