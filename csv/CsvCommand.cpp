#include "csv/CsvCommand.h"

#include "csv/CatalogueExport.h"
#include "csv/CsvCatalogue.h"
#include "csv/CsvExport.h"
#include "csv/CsvImport.h"
#include "csv/CsvMerge.h"
#include "csv/ECsvRefusal.h"
#include "engine/History.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <exception>
#include <optional>

namespace {

constexpr const char* Program = "volumnia-csv";

struct TUsageError {
    std::string Message;
};

// "--name value" or "--name=value"; nullopt when the argument is not --name.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, size_t& i, const std::string& name)
{
    const std::string& argument = arguments[i];
    if (argument.rfind(name + "=", 0) == 0)
        return argument.substr(name.size() + 1);
    if (argument != name)
        return std::nullopt;
    if (i + 1 == arguments.size())
        throw TUsageError{name + " needs a value"};
    return arguments[++i];
}

int SortField(const std::string& value)
{
    if (value == "title")
        return 0;
    if (value == "author")
        return 1;
    if (value == "publisher")
        return 2;
    throw TUsageError{"--sort takes title, author or publisher, not \"" + value + "\""};
}

TCsvFormat Format(const std::string& value)
{
    if (value == "volumnia")
        return TCsvFormat::Volumnia;
    if (value == "tellico")
        return TCsvFormat::Tellico;
    if (value == "tellico-csv")
        return TCsvFormat::TellicoCsv;
    if (value == "goodreads")
        return TCsvFormat::Goodreads;
    throw TUsageError{"--format takes volumnia, tellico, tellico-csv, goodreads, html or pdf, not \"" + value + "\""};
}

TCsvEncoding Encoding(const std::string& value)
{
    const QString name = QString::fromLocal8Bit(value).toLower();
    if (name == u"utf-8" || name == u"utf8")
        return TCsvEncoding::Utf8;
    if (name == u"windows-1252" || name == u"cp1252")
        return TCsvEncoding::Windows1252;
    if (name == u"iso-8859-1" || name == u"latin1" || name == u"latin-1")
        return TCsvEncoding::Latin1;
    throw TUsageError{"--encoding takes utf-8, windows-1252 or iso-8859-1, not \"" + value + "\""};
}

// The format an export was asked for, "volumnia" when none.
std::string FormatAsked(const std::vector<std::string>& arguments)
{
    std::string format = "volumnia";
    for (size_t i = 1; i < arguments.size(); ++i)
        if (auto value = OptionValue(arguments, i, "--format"))
            format = *value;
    return format;
}

// A catalogue to hand out: a web page's folder or a PDF file, sorted by
// author unless told.
int ExportCatalogue(const std::vector<std::string>& arguments, std::ostream& out)
{
    TCatalogueExportOptions options;
    options.Pdf = FormatAsked(arguments) == "pdf";
    std::vector<std::string> targets;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (auto sort = OptionValue(arguments, i, "--sort")) {
            const auto order = TCatalogueContent::OrderNamed(QString::fromLocal8Bit(*sort));
            if (!order)
                throw TUsageError{"--sort takes author, title or series for a catalogue, not \"" + *sort + "\""};
            options.Order = *order;
        } else if (OptionValue(arguments, i, "--format")) {
            continue;
        } else if (arguments[i] == "--thumbnails") {
            options.Thumbnails = true;
        } else if (arguments[i].size() > 1 && arguments[i][0] == '-') {
            throw TUsageError{"a catalogue's export has no option " + arguments[i]};
        } else {
            targets.push_back(arguments[i]);
        }
    }
    if (targets.size() != 1)
        throw TUsageError{options.Pdf ? "--format pdf writes one FILE" : "--format html writes one DIR"};
    options.Target = QString::fromLocal8Bit(targets[0]);
    TCatalogueExport::Run(options, out);
    return TCsvCommand::Done;
}

int Export(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (const std::string format = FormatAsked(arguments); format == "html" || format == "pdf")
        return ExportCatalogue(arguments, err);
    TCsvExportOptions options;
    bool shelfGiven = false;
    std::vector<std::string> files;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (auto sort = OptionValue(arguments, i, "--sort"))
            options.SortField = SortField(*sort);
        else if (auto format = OptionValue(arguments, i, "--format"))
            options.Format = Format(*format);
        else if (auto shelf = OptionValue(arguments, i, "--shelf")) {
            options.Shelf = QString::fromLocal8Bit(*shelf);
            shelfGiven = true;
        } else if (arguments[i] == "--bom")
            options.Bom = true;
        else if (arguments[i].size() > 1 && arguments[i][0] == '-')
            throw TUsageError{"export has no option " + arguments[i]};
        else
            files.push_back(arguments[i]);
    }
    if (files.size() > 1)
        throw TUsageError{"export writes one file"};
    if (options.Format == TCsvFormat::Tellico && options.Bom)
        throw TUsageError{"--bom is for CSV; a Tellico data file is no text"};
    if (shelfGiven && options.Format != TCsvFormat::Goodreads)
        throw TUsageError{"--shelf is for --format goodreads"};
    if (options.Shelf.trimmed().isEmpty())
        throw TUsageError{"--shelf needs a shelf's name"};
    if (!files.empty() && files[0] != "-")
        options.File = QString::fromLocal8Bit(files[0]);
    TCsvExport::Run(options, out, err);
    return TCsvCommand::Done;
}

int Import(const std::vector<std::string>& arguments, std::ostream& out)
{
    TCsvImportOptions options;
    std::vector<std::string> files;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (auto encoding = OptionValue(arguments, i, "--encoding"))
            options.Encoding = Encoding(*encoding);
        else if (arguments[i] == "--dry-run")
            options.DryRun = true;
        else if (arguments[i] == "--substitute")
            options.Substitute = true;
        else if (arguments[i] == "--keep-duplicates")
            options.KeepDuplicates = true;
        else if (arguments[i].size() > 1 && arguments[i][0] == '-')
            throw TUsageError{"import has no option " + arguments[i]};
        else
            files.push_back(arguments[i]);
    }
    if (files.size() != 1)
        throw TUsageError{"import reads one FILE"};
    options.File = QString::fromLocal8Bit(files[0]);
    TCsvImport::Run(options, out);
    return TCsvCommand::Done;
}

int MergeCopy(const std::vector<std::string>& arguments, std::ostream& out)
{
    TCsvMergeOptions options;
    std::vector<std::string> files;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (auto prefer = OptionValue(arguments, i, "--prefer")) {
            if (*prefer == "ours")
                options.Prefer = TCsvMergeOptions::TPrefer::Ours;
            else if (*prefer == "theirs")
                options.Prefer = TCsvMergeOptions::TPrefer::Theirs;
            else
                throw TUsageError{"--prefer takes ours or theirs, not \"" + *prefer + "\""};
        } else if (arguments[i] == "--dry-run")
            options.DryRun = true;
        else if (arguments[i].size() > 1 && arguments[i][0] == '-')
            throw TUsageError{"merge has no option " + arguments[i]};
        else
            files.push_back(arguments[i]);
    }
    if (files.size() != 1)
        throw TUsageError{"merge reads one FILE"};
    options.File = QString::fromLocal8Bit(files[0]);
    TCsvMerge::Run(options, out);
    return TCsvCommand::Done;
}

// One change a line, oldest first: the local time, the program, what, and
// the books' IDs and titles.
int History(const std::vector<std::string>& arguments, std::ostream& out)
{
    std::optional<QDate> since;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (auto value = OptionValue(arguments, i, "--since")) {
            since = QDate::fromString(QString::fromStdString(*value), Qt::ISODate);
            if (!since->isValid())
                throw TUsageError{"--since takes a date as YYYY-MM-DD, not \"" + *value + "\""};
        } else {
            throw TUsageError{"history has no argument " + arguments[i]};
        }
    }
    TCsvCatalogue catalogue;
    std::string note;
    const std::vector<THistoryEntry> entries =
        THistory(catalogue.Database().FileName()).ReadAll(&note, &catalogue.Database());
    if (!note.empty())
        out << "Note: " << TCsvCatalogue::Utf8(note) << "\n";
    for (const THistoryEntry& entry : entries) {
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(entry.Time).toLocalTime();
        if (since && when.date() < *since)
            continue;
        out << when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString() << "  "
            << TCsvCatalogue::Utf8(entry.Program) << "  " << ChangeName(entry.Change) << "\n";
        for (const TBookChange::TBook& book : entry.Change.Books) {
            const std::optional<TItem>& shown = book.After ? book.After : book.Before;
            out << "    " << book.ID << (book.Before ? "" : " (new)") << (book.After ? "" : " (removed)") << "  "
                << TCsvCatalogue::Utf8(shown ? shown->Fields[0] : std::string()) << "\n";
        }
    }
    return TCsvCommand::Done;
}

} // namespace

bool TCsvCommand::NeedsGui(const std::vector<std::string>& arguments)
{
    try {
        return !arguments.empty() && arguments[0] == "export" && FormatAsked(arguments) == "pdf";
    } catch (const TUsageError&) {
        return false;
    }
}

const char* TCsvCommand::HelpText()
{
    return "Usage: volumnia-csv export [--format volumnia|tellico|tellico-csv|goodreads]\n"
           "                          [--shelf NAME] [--sort title|author|publisher]\n"
           "                          [--bom] [FILE]\n"
           "       volumnia-csv export --format html [--sort author|title|series]\n"
           "                          [--thumbnails] DIR\n"
           "       volumnia-csv export --format pdf [--sort author|title|series]\n"
           "                          [--thumbnails] FILE\n"
           "       volumnia-csv import [--dry-run]\n"
           "                          [--encoding utf-8|windows-1252|iso-8859-1]\n"
           "                          [--substitute] [--keep-duplicates] FILE\n"
           "       volumnia-csv history [--since YYYY-MM-DD]\n"
           "       volumnia-csv merge [--dry-run] [--prefer ours|theirs] FILE\n"
           "\n"
           "Brings books into and out of the Volumnia catalogue of the working folder\n"
           "(the folder of volumnia.kelt) as CSV or as a Tellico data file.\n"
           "\n"
           "export   writes every book as CSV in UTF-8 to FILE, or to standard output\n"
           "         when FILE is - or missing: a header row of ID and the eight field\n"
           "         names, then one row a book; every layout goes on with each loan's\n"
           "         Due Date (YYYY-MM-DD), a column for each detail (ISBN, Tags,\n"
           "         Rating ...) and Last Loaner, the loaner a book at home keeps\n"
           "         (such a book has no loan in any format). A field a spreadsheet\n"
           "         would take for a formula (beginning with = + - @) gets an\n"
           "         apostrophe before it, which import takes off again.\n"
           "  --format tellico                Tellico's own data file (.tc), which\n"
           "                                  Tellico opens with File > Open, the loans\n"
           "                                  in its loan view\n"
           "  --format tellico-csv            CSV with Tellico's field names, for\n"
           "                                  Tellico's CSV import (tick \"First row\n"
           "                                  contains field titles\"); no loans\n"
           "  --format goodreads              Goodreads' library export (31 columns),\n"
           "                                  which the reading sites import\n"
           "                                  (default: volumnia); the notes share one\n"
           "                                  cell in tellico-csv and goodreads\n"
           "  --shelf NAME                    goodreads' Exclusive Shelf of a book without\n"
           "                                  a reading status (default: read)\n"
           "  --sort title|author|publisher   in this order, as the book browser sorts\n"
           "                                  (default: the order of the database file)\n"
           "  --bom                           begin with a byte order mark, for\n"
           "                                  spreadsheets that need one to see UTF-8\n"
           "  --format html DIR               a catalogue to hand out as a web page: the\n"
           "                                  folder DIR (made when missing) gets\n"
           "                                  index.html, catalogue.css and catalogue.js,\n"
           "                                  every book with its fields and details and\n"
           "                                  a find box; opened from the disk, it needs\n"
           "                                  no server and fetches nothing\n"
           "  --format pdf FILE               the catalogue as a PDF: a title page with\n"
           "                                  the counts, every book, page numbers and\n"
           "                                  an index of authors\n"
           "  --sort author|title|series      a catalogue's order (default: author;\n"
           "                                  series: by the number in it, books in no\n"
           "                                  series last)\n"
           "  --thumbnails                    a catalogue shows each book's cover, made\n"
           "                                  small (the web page's in DIR/covers)\n"
           "\n"
           "import   adds the rows of FILE (- is standard input) as new books, with\n"
           "         new numbers after CurrentIndex. Columns are separated by commas,\n"
           "         semicolons or tabs, as the header row shows, and matched by their\n"
           "         header: the field names of the settings, or Title, Author,\n"
           "         Publisher, Year, Notes, Private Notes, Borrowed By, Date Borrowed,\n"
           "         Due Date and the like, and the exports of Goodreads, LibraryThing,\n"
           "         BookBuddy, Libib, Calibre and Tellico, each detail from its column\n"
           "         (ISBN, ISBN13, My Rating, Bookshelves, Exclusive Shelf, Tags ...);\n"
           "         a Tellico data file is read with its fields, loans and due dates.\n"
           "         A title or author in letters the catalogue cannot hold comes in\n"
           "         in its closest form, its own letters kept. Other columns are\n"
           "         ignored, rows without a title skipped, and rows whose title and\n"
           "         author the catalogue or an earlier row holds passed over. A lent\n"
           "         book without a loan date is lent from today. Nothing is written\n"
           "         when anything is refused, nor when the files or the history's\n"
           "         entry would grow past what they may hold.\n"
           "  --dry-run                       tell what would be added, skipped or\n"
           "                                  refused, and write nothing\n"
           "  --encoding utf-8|windows-1252|iso-8859-1\n"
           "                                  the text of FILE (default: UTF-8, with or\n"
           "                                  without a byte order mark; UTF-16 with a\n"
           "                                  byte order mark is read as such; text that\n"
           "                                  is not UTF-8 under a known header as its\n"
           "                                  program writes it: LibraryThing's as\n"
           "                                  ISO-8859-1, others as Windows-1252)\n"
           "  --substitute                    a letter the Windows character set has no\n"
           "                                  place for takes its closest form (\xC5\x82 -> l;\n"
           "                                  Greek by ELOT 743, Cyrillic by BGN/PCGN;\n"
           "                                  others ?), each change listed, instead of\n"
           "                                  a refusal\n"
           "  --keep-duplicates               add rows whose title and author are held\n"
           "                                  already\n"
           "\n"
           "history  lists the changes kept in the history beside the database file,\n"
           "         oldest first: when, which program, what, and each book's ID and\n"
           "         title (an import is one change).\n"
           "  --since YYYY-MM-DD              only the changes from that day on\n"
           "\n"
           "merge    merges FILE, a copy of the database (a sync tool's conflict copy,\n"
           "         or one found by hand), book by book into the catalogue: what\n"
           "         changed on one side since the last change both histories hold is\n"
           "         taken, books added on both sides all kept (the copy's under new\n"
           "         numbers), in one change that Volumnia's Undo takes back. A sync\n"
           "         tool's copy and its side files' copies are then moved into the\n"
           "         folder .volumnia-merged beside them. A field changed differently\n"
           "         on both sides is a clash: without --prefer the merge is refused,\n"
           "         listing every clash.\n"
           "  --dry-run                       list what would be taken and every\n"
           "                                  clash, and write nothing\n"
           "  --prefer ours|theirs            settle every clash with the catalogue's\n"
           "                                  value (ours) or the copy's (theirs)\n"
           "\n"
           "Exit status: 0 done, 1 refused (the reason on standard error), 2 usage error.\n"
           "Import and merge are refused while Volumnia runs on the same folder.\n";
}

int TCsvCommand::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    try {
        if (arguments.empty())
            throw TUsageError{"no command given"};
        const std::string& command = arguments[0];
        if (command == "--help" || command == "-h" || command == "help") {
            out << HelpText();
            return Done;
        }
        for (const std::string& argument : arguments)
            if (argument == "--help" || argument == "-h") {
                out << HelpText();
                return Done;
            }
        if (command == "export")
            return Export(arguments, out, err);
        if (command == "import")
            return Import(arguments, out);
        if (command == "history")
            return History(arguments, out);
        if (command == "merge")
            return MergeCopy(arguments, out);
        throw TUsageError{"unknown command \"" + command + "\""};
    } catch (const TUsageError& usage) {
        err << Program << ": " << usage.Message << "\nTry '" << Program << " --help'.\n";
        return Usage;
    } catch (const ECsvRefusal& refusal) {
        err << Program << ": " << refusal.Message << "\n";
        return Refused;
    } catch (const std::exception& error) {
        // An engine's or the platform's own error, in Windows-1252.
        err << Program << ": " << TCsvCatalogue::Utf8(error.what()) << "\n";
        return Refused;
    }
}
