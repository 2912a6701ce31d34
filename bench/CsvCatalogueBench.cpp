// Timing of the catalogue to hand out with a full catalogue: 1499 books of
// realistic lengths, every detail filled in. The web page's folder written
// through the command in this process and by the program started anew; the
// PDF by the program started anew (it draws on Qt Gui, which this bench does
// not link). Medians in milliseconds, beside the targets; the sizes written.
#include "bench/BenchBooks.h"
#include "csv/CsvCommand.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace BenchBooks;

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
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        std::fprintf(stderr, "volumnia-csv failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
}

void Report(const char* name, double ms, const char* target)
{
    std::printf("%-52s %9.2f ms  (target %s)\n", name, ms, target);
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
    QDir::setCurrent(dir.path());
    const std::vector<TItem> books = Books(1499);
    std::vector<std::string> settings = {"CurrentIndex", "1499", "vInteger"};
    const std::vector<std::string> catalogue = CatalogueSettings();
    settings.insert(settings.end(), catalogue.begin(), catalogue.end());
    TTextFile::WriteAtomically("volumnia.kelt", Lines(settings));
    TTextFile::WriteAtomically("books.orbl", DatabaseFile(books));
    TTextFile::WriteAtomically("books.orbl.details", FullDetailsFile(books));

    const auto nothing = [] {};
    Report("web page, 1499 books with details",
           MedianMs(11, nothing,
                    [] {
                        Command({"export", "--format", "html", "web"});
                    }),
           "<= 1000 ms");
    Report("web page by series, the program started anew",
           MedianMs(11, nothing,
                    [] {
                        Program({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("html"),
                                 QStringLiteral("--sort"), QStringLiteral("series"), QStringLiteral("web")});
                    }),
           "<= 1000 ms");
    Report("PDF, 1499 books with details, the program anew",
           MedianMs(3, nothing,
                    [] {
                        Program({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("pdf"),
                                 QStringLiteral("books.pdf")});
                    }),
           "<= 30000 ms");
    std::printf("index.html %lld bytes, books.pdf %lld bytes (target <= 30 MB)\n",
                static_cast<long long>(QFileInfo(QStringLiteral("web/index.html")).size()),
                static_cast<long long>(QFileInfo(QStringLiteral("books.pdf")).size()));
    return 0;
}
