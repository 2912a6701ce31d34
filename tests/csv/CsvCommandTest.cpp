/*
 * volumnia-csv in a working folder: the round trip of a catalogue through CSV,
 * how imported text reaches the database, every refusal leaving both files as
 * they were, and a failed save that gives no book number out twice.
 */
#include "csv/CsvCommand.h"
#include "engine/DetailsFile.h"
#include "engine/FieldTable.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/FailingWriteStep.h"
#include "tests/support/TempWorkingFolder.h"

#include "csv/CsvReader.h"

#include <QDate>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const TAlias Aliases = {
    "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
    "Loaner",     "Date loaned", "Spare one", "Spare two"};

struct TRun {
    int Code;
    std::string Out, Err;
};

TRun RunCsv(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    const int code = TCsvCommand::Run(arguments, out, err);
    return {code, out.str(), err.str()};
}

void WriteCatalogue(const TTempWorkingFolder& folder, int32_t currentIndex, const std::vector<TItem>& items)
{
    std::vector<std::string> lines{
        "CurrentIndex", std::to_string(currentIndex), "vInteger", "orbl_databasefile", "books.orbl", "vString"};
    for (size_t i = 0; i < Aliases.size(); ++i)
        lines.insert(lines.end(), {"orbl_alias" + std::to_string(i), Aliases[i], "vString"});
    folder.WriteFile("volumnia.kelt", CrLfLines(lines));
    folder.WriteFile("books.orbl", DatabaseFile(items));
}

TItem Book(int32_t id, std::array<std::string, 8> fields)
{
    TItem item;
    item.ID = id;
    std::copy(fields.begin(), fields.end(), item.Fields.begin());
    return item;
}

// The details the details file of the working folder gives book id.
TDetails DetailsHeld(int32_t id)
{
    std::ifstream in("books.orbl.details", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const TDetailsRow& row : DetailsFile::Parse(bytes).Rows)
        if (row.ID == id)
            return row.Details;
    return {};
}

std::string DueHeld(int32_t id)
{
    return DetailsHeld(id).Value("due");
}

// A value of every detail a book can carry through the exchange but the due
// date (which belongs to a loan), each of its kind and of letters the
// database file cannot hold where it is text.
TDetails EveryDetail()
{
    TDetails details;
    for (const TField* field : FieldTable::Details()) {
        std::string value;
        switch (field->Kind) {
        case TFieldKind::Text:
            value = std::string("\xCE\xA9 ") + field->Key; // Ω
            break;
        case TFieldKind::Number:
            value = "12";
            break;
        case TFieldKind::Date:
            value = "2026-03-04";
            break;
        case TFieldKind::Rating:
            value = "4";
            break;
        case TFieldKind::Tags:
            value = "alpha, beta gamma";
            break;
        case TFieldKind::Choice:
            value = field->Choices.back().Stored;
            break;
        case TFieldKind::Isbn:
            value = "9790000000001";
            break;
        default: // a kind the exchange cannot carry
            continue;
        }
        if (field->Key != std::string_view(FieldTable::DueKey))
            details.Set(field->Key, value);
    }
    return details;
}

std::vector<TItem> Held()
{
    TRFileSystem settings("volumnia.kelt");
    TDatabase database(std::as_const(settings), TDatabase::TLoadOnly{});
    std::vector<TItem> items;
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        items.push_back(database.ItemAt(slot));
    return items;
}

int32_t CurrentIndex()
{
    return TRFileSystem("volumnia.kelt").ReadInteger("CurrentIndex");
}

class CsvCommand : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed
};

TEST_F(CsvCommand, ARoundTripKeepsEveryFieldAndNumbersTheBooksAnew)
{
    const std::vector<TItem> books = {
        Book(7, {"G\xF6"
                 "del, Escher, Bach",
                 "Douglas \"Doug\" Hofstadter", "Basic Books", "1979", " leading blank", "trailing blank ", "Ann",
                 "01.02.2026"}),
        Book(12, {"Price \x80 5", "", "", "", "a\"b", "\x81 kept", "", ""}),
        Book(30, {"apple", "Zed", "", "", "", "", "", ""}),
    };
    std::string csv;
    {
        TTempWorkingFolder folder;
        WriteCatalogue(folder, 30, books);
        const TRun exported = RunCsv({"export"});
        ASSERT_EQ(exported.Code, 0) << exported.Err;
        csv = exported.Out;
        const std::string header = csv.substr(0, csv.find("\r\n"));
        EXPECT_EQ(header.substr(0, header.find(",Due Date,") + 9),
                  "ID,Book title,Book author,Publisher,Year published,"
                  "Other information (1),Other information (2),Loaner,Date loaned,Due Date");
        EXPECT_NE(csv.find("\"G\xC3\xB6"
                           "del, Escher, Bach\",\"Douglas \"\"Doug\"\" Hofstadter\""),
                  std::string::npos);
        const TRun sorted = RunCsv({"export", "--sort", "title"});
        std::vector<std::string> ids;
        for (size_t at = sorted.Out.find("\r\n"); at + 2 < sorted.Out.size(); at = sorted.Out.find("\r\n", at + 2))
            ids.push_back(sorted.Out.substr(at + 2, sorted.Out.find(',', at) - at - 2));
        EXPECT_EQ(ids, (std::vector<std::string>{"30", "7", "12"}));
    }

    TTempWorkingFolder empty;
    WriteCatalogue(empty, 99, {});
    empty.WriteFile("list.csv", csv);
    const TRun imported = RunCsv({"import", "list.csv"});
    ASSERT_EQ(imported.Code, 0) << imported.Err;
    const std::vector<TItem> held = Held();
    ASSERT_EQ(held.size(), books.size());
    for (size_t i = 0; i < books.size(); ++i) {
        EXPECT_EQ(held[i].ID, 100 + static_cast<int32_t>(i));
        for (size_t field = 0; field < 8; ++field)
            EXPECT_EQ(held[i].Fields[field], books[i].Fields[field]) << "book " << i << " field " << field;
    }
    EXPECT_EQ(CurrentIndex(), 102);
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("orbl_itemcount"), 3); // not the count before the import
}

// Every layout comes back whole, spreadsheet formulas and due dates
// included; the other programs' headers are theirs.
TEST_F(CsvCommand, EveryFormatImportsBackWhole)
{
    const std::vector<TItem> books = {
        Book(1, {"=SUM(1+1)", "+Author", "-", "@2001", "\tnote", "'=private", "Ann", "01.02.2026"}),
        Book(2, {"''+y", "'tis", "Pub", "1979", "", "only the second notes", "", ""}),
        Book(3, {"Title C", "=HYPERLINK(\"x\")", "", "", "only the notes", "", "", ""}),
        Book(4, {"'", "@", "a, b", "", "both", "notes", "", ""}),
        Book(5, {"Lent again", "", "", "", "", "", "Ann", "12/1/26"}), // Ann's second loan, a US short date
        Book(6, {"Returned", "", "", "", "a <b> & c", "<br/> stays text", "Bob", ""}), // Bob's, given back
    };
    const struct {
        const char* Format;
        const char* Header;
    } cases[] = {
        {"volumnia", "ID,Book title,Book author,Publisher,Year published,Other information (1),"
                     "Other information (2),Loaner,Date loaned,Due Date"},
        {"tellico-csv", "title,author,publisher,pub_year,comments,Loaned To,Loan Date,Due Date"},
        {"goodreads", "Book Id,Title,Author,Author l-f,Additional Authors,ISBN,ISBN13,My Rating,Average Rating,"
                      "Publisher,Binding,Number of Pages,Year Published,Original Publication Year,Date Read,"
                      "Date Added,Bookshelves,Bookshelves with positions,Exclusive Shelf,My Review,Spoiler,"
                      "Private Notes,Read Count,Recommended For,Recommended By,Owned Copies,"
                      "Original Purchase Date,Original Purchase Location,Condition,Condition Description,BCID,"
                      "Loaned To,Loan Date,Due Date"},
        {"tellico", nullptr}, // Tellico's zipped data file: no CSV, no formulas
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Format);
        std::string csv;
        {
            TTempWorkingFolder folder;
            WriteCatalogue(folder, 4, books);
            // Ann's first loan has a due date (a detail of the book), her second none.
            TDetails due;
            due.Set("due", "2026-02-15");
            folder.WriteFile("books.orbl.details",
                             DetailsFile::Format({{1, DetailsFile::Fingerprint(books[0]), due},
                                                  {2, DetailsFile::Fingerprint(books[1]), EveryDetail()}}));
            const TRun exported = RunCsv({"export", "--format", c.Format});
            ASSERT_EQ(exported.Code, 0) << exported.Err;
            csv = exported.Out;
        }
        if (c.Header) {
            // The layout's own columns first, Volumnia's after them.
            const std::string header = csv.substr(0, csv.find("\r\n"));
            EXPECT_EQ(header.substr(0, std::string(c.Header).size()), c.Header);
            EXPECT_EQ(header.substr(header.rfind(',')), ",Last Loaner");
            // What a spreadsheet runs as a formula is written as text.
            for (const char* defused : {"'=SUM(1+1),", ",'+Author,",
                                        "''"
                                        "'+y,",
                                        "'=HYPERLINK(", ",'@,"})
                EXPECT_NE(csv.find(defused), std::string::npos) << defused << "\n" << csv;
            EXPECT_EQ(csv.find(",=SUM"), std::string::npos) << csv;
        }

        TTempWorkingFolder empty;
        WriteCatalogue(empty, 0, {});
        empty.WriteFile("list.csv", csv);
        const TRun imported = RunCsv({"import", "list.csv"});
        ASSERT_EQ(imported.Code, 0) << imported.Err;
        const std::vector<TItem> held = Held();
        ASSERT_EQ(held.size(), books.size());
        for (size_t i = 0; i < books.size(); ++i)
            for (size_t field = 0; field < 8; ++field)
                EXPECT_EQ(held[i].Fields[field], books[i].Fields[field]) << "book " << i << " field " << field;
        EXPECT_EQ(DetailsHeld(held[1].ID).Values(), EveryDetail().Values());
        EXPECT_TRUE(DetailsHeld(held[5].ID).Empty());
        EXPECT_EQ(DueHeld(held[0].ID), "2026-02-15");
        EXPECT_EQ(DueHeld(held[4].ID), "");
        EXPECT_FALSE(empty.Exists("books.orbl.due"));
    }
}

// In ar_EG the loan date the loan dialog's Today writes leaves in every
// format as the same day and comes back whole with its due date (a Tellico
// file with it was refused); a loan date in Arabic-Indic digits, or none,
// comes in as digits the database holds.
TEST_F(CsvCommand, AnArabicLoanDateTravelsThroughEveryFormatAsTheSameDay)
{
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const std::string due = "Volumnia due dates\r\n1\tAnn\t8/12/2026\t2026-12-22\r\n";
    for (const char* format : {"volumnia", "tellico-csv", "goodreads", "tellico"}) {
        SCOPED_TRACE(format);
        std::string exported;
        {
            TTempWorkingFolder folder;
            WriteCatalogue(folder, 1, {Book(1, {"Title", "", "", "", "", "", "Ann", "8/12/2026"})});
            folder.WriteFile("books.orbl.due", due);
            const TRun run = RunCsv({"export", "--format", format});
            ASSERT_EQ(run.Code, 0) << run.Err;
            exported = run.Out;
        }
        TTempWorkingFolder empty;
        WriteCatalogue(empty, 0, {});
        empty.WriteFile("list.csv", exported);
        const TRun imported = RunCsv({"import", "list.csv"});
        ASSERT_EQ(imported.Code, 0) << imported.Err;
        ASSERT_EQ(Held().size(), 1u);
        EXPECT_EQ(Held()[0].Fields[7], "8/12/2026");
        EXPECT_EQ(DueHeld(1), "2026-12-22");
    }
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    folder.WriteFile("in.csv", "Title,Loaned To,Loan Date,Due Date\n"
                               "X,Ann,\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666,"
                               "\u0662\u0662\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666\n"
                               "Y,Bob,,\n");
    const TRun run = RunCsv({"import", "in.csv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    ASSERT_EQ(Held().size(), 2u);
    EXPECT_EQ(Held()[0].Fields[7], "8/12/2026");
    EXPECT_EQ(Held()[1].Fields[7], LoanDate::Write(QDate::currentDate()).toStdString());
    EXPECT_TRUE(Cp1252::CanHold(QString::fromStdString(Held()[1].Fields[7])));
    EXPECT_EQ(DueHeld(1), "2026-12-22");
}

// Another program's due dates come in as the books' details, in the import's
// one change; one of a book not lent, or that is no date, is left out and said.
TEST_F(CsvCommand, DueDatesOfAnotherProgramAreKept)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    folder.WriteFile("in.csv", "Title,Borrowed By,Date Borrowed,Date Due\nX,Eve,2026-03-01,2026-03-15\n"
                               "Y,,,2026-04-01\nZ,Eve,2026-03-01,soon\n");
    const TRun run = RunCsv({"import", "in.csv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(run.Out.find("Kept 1 due date with the books.\n"
                           "Due dates of books not lent, or not read as a date, were left out: line 3, 4.\n"),
              std::string::npos)
        << run.Out;
    EXPECT_EQ(DueHeld(1), "2026-03-15");
    EXPECT_EQ(DueHeld(2), "");
    EXPECT_EQ(DueHeld(3), ""); // lent, the period not set: none
    EXPECT_FALSE(folder.Exists("books.orbl.due"));
    const std::vector<THistoryEntry> entries = THistory("books.orbl").ReadAll();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Change.Books.at(0).After->Details.Value("due"), "2026-03-15");

    // A folder at the old due dates file's name: the books are in with their
    // due dates, as nothing is written there any more.
    TTempWorkingFolder blocked;
    WriteCatalogue(blocked, 0, {});
    blocked.WriteFile("in.csv", "Title,Borrowed By,Date Borrowed,Due Date\nX,Eve,2026-03-01,2026-03-15\n");
    ASSERT_EQ(::mkdir("books.orbl.due", 0700), 0);
    const TRun failed = RunCsv({"import", "in.csv"});
    ASSERT_EQ(failed.Code, 0) << failed.Err;
    EXPECT_EQ(Held().size(), 1u);
    EXPECT_EQ(DueHeld(1), "2026-03-15");
    EXPECT_NE(failed.Out.find("Kept 1 due date"), std::string::npos) << failed.Out;
}

TEST_F(CsvCommand, ImportedTextReachesTheDatabaseAsTheEnginesStoreIt)
{
    const struct {
        const char* Name;
        std::string Csv;
        std::vector<std::string> Options;
        std::array<std::string, 8> Fields;
    } cases[] = {
        {"UTF-8 with a byte order mark",
         "\xEF\xBB\xBF"
         "Title\nG\xC3\xB6"
         "del\n",
         {},
         {"G\xF6"
          "del"}},
        {"Windows-1252",
         "Title\nG\xF6"
         "del \x80\n",
         {"--encoding", "windows-1252"},
         {"G\xF6"
          "del \x80"}},
        {"line breaks", "Title,Notes\n\"a\nb\",\"x\r\ny\"\n", {}, {"a b", "", "", "", "x  y"}},
        {"first column with a value",
         "Year Published,Original Publication Year,Title\n,1866,Crime\n",
         {},
         {"Crime", "", "", "1866"}},
        {"row without a title", "Title,Author,ISBN\n,Nobody,1\nReal,Someone,2\n", {}, {"Real", "Someone"}},
        {"loan columns",
         "title,borrowed_by,Date Borrowed\nLent,Eve,03.04.2026\n",
         {},
         {"Lent", "", "", "", "", "", "Eve", "03.04.2026"}},
        {"LibraryThing",
         "Book Id,Title,Primary Author,Publication,Date,Comment,Private Comment,Lending Patron,Lending Start\n"
         "1,Dune,Frank Herbert,\"Chilton (1965)\",1965,c,p,Eve,2024-03-05\n",
         {},
         {"Dune", "Frank Herbert", "Chilton (1965)", "1965", "c", "p", "Eve", "2024-03-05"}},
        {"BookBuddy: the year, not the date",
         "Title,Author,Publisher,Date Published,Year Published,Loaned To,Loaned Date\n"
         "The Hobbit,Tolkien,Allen & Unwin,\"Sep 21, 1937\",1937,Bob,\"Jan 2, 2026\"\n",
         {},
         {"The Hobbit", "Tolkien", "Allen & Unwin", "1937", "", "", "Bob", "Jan 2, 2026"}},
        {"a date where no year is given", "Title,pubdate\nX,2008-10-15\n", {}, {"X", "", "", "2008-10-15"}},
        {"both notes in one cell",
         "Title,Private Notes\nX,\"first\nsecond\nthird\"\n",
         {},
         {"X", "", "", "", "first", "second third"}},
        {"UTF-32 with a byte order mark",
         std::string("\xFF\xFE\0\0T\0\0\0i\0\0\0t\0\0\0l\0\0\0e\0\0\0\n\0\0\0\xD0\0\0\0\n\0\0\0", 36),
         {},
         {"\xD0"}},
        {"Tellico's copyright year where no publication year is",
         "<?xml version=\"1.0\"?><tellico><collection type=\"2\"><entry id=\"1\"><title>X</title>"
         "<cr_years><cr_year>1951</cr_year></cr_years></entry></collection></tellico>",
         {},
         {"X", "", "", "1951"}},
        {"an earlier export's book at home, its last loaner kept",
         "ID,Book title,Loaner,Date loaned\n7,X,Bob,\n",
         {},
         {"X", "", "", "", "", "", "Bob", ""}},
        {"a loaner without a date",
         "Title,Loaned To\nX,Bob\n",
         {},
         {"X", "", "", "", "", "", "Bob", LoanDate::Write(QDate::currentDate()).toStdString()}},
        {"a formula written as text", "Title\n'=SUM(1+1)\n", {}, {"=SUM(1+1)"}},
        {"Tellico's and Goodreads' line breaks in a notes cell",
         "Title,Comments\nX,\"first<br/>second<BR />third\"\n",
         {},
         {"X", "", "", "", "first", "second third"}},
        {"letters with combining marks", "Title\nCafe\xCC\x81 A\xCC\x8A\n", {}, {"Caf\xE9 \xC5"}},
        {"UTF-16 with a byte order mark",
         std::string("\xFF\xFET\0i\0t\0l\0e\0\n\0G\0\xF6\0d\0e\0l\0\n\0", 26),
         {"--encoding", "windows-1252"},
         {"G\xF6"
          "del"}},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0T\0i\0t\0l\0e\0\n\0\xD0\0\n", 18), {}, {"\xD0"}},
        {"substituted",
         "Title,Author,Publisher\n\xC5\x81\xC3\xB3\x64\xC5\xBA,"
         "\xD0\x94\xD0\xBE\xD1\x81\xD1\x82\xD0\xBE\xD0\xB5\xD0\xB2\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9,"
         "\xE6\x97\xA5\xE6\x9C\xAC\n",
         {"--substitute"},
         {"L\xF3"
          "dz",
          "Dostoyevskiy", "??"}}, // BGN/PCGN: е after a vowel is ye
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempWorkingFolder folder;
        WriteCatalogue(folder, 41, {});
        folder.WriteFile("in.csv", c.Csv);
        std::vector<std::string> arguments{"import", "in.csv"};
        arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
        const TRun run = RunCsv(arguments);
        ASSERT_EQ(run.Code, 0) << run.Err;
        const std::vector<TItem> held = Held();
        ASSERT_EQ(held.size(), 1u);
        EXPECT_EQ(held[0].ID, 42);
        for (size_t field = 0; field < 8; ++field)
            EXPECT_EQ(held[0].Fields[field], c.Fields[field]) << "field " << field;
    }
}

std::string EntityFile()
{
    std::string file = "<?xml version=\"1.0\"?>\n<!DOCTYPE tellico [<!ENTITY e \"" + std::string(4000, 'a') +
                       "\">]>\n<tellico><collection type=\"2\"><entry id=\"1\"><title>";
    for (int i = 0; i < 40000; ++i)
        file += "&e;";
    return file + "</title></entry></collection></tellico>\n";
}

TEST_F(CsvCommand, ARefusalLeavesBothFilesAsTheyWere)
{
    const std::string oneBook = "Title,Author\nA,B\n";
    const struct {
        const char* Name;
        std::string Csv;
        std::vector<std::string> Arguments;
        int Held;
        bool Locked;
        int Code;
        const char* Said;
    } cases[] = {
        {"no Windows-1252 form",
         "Title,Publisher\nA,B\nC,\xCE\xA8\n",
         {"import", "in.csv"},
         3,
         false,
         1,
         "line 3, column 2 (Publisher): \"\xCE\xA8\" (U+03A8)"},
        {"malformed",
         "Title\n\"open\n",
         {"import", "in.csv"},
         3,
         false,
         1,
         "in.csv: line 2: a quoted field is not closed; nothing imported"},
        {"past 1499 books", "Title\nA\nB\n", {"import", "in.csv"}, 1498, false, 1, "would make 1500, more than 1499"},
        {"Volumnia runs", oneBook, {"import", "in.csv"}, 3, true, 1, "in use by Volumnia (process"},
        {"lock held, dry run", oneBook, {"import", "--dry-run", "in.csv"}, 3, true, 1, "in use by Volumnia (process"},
        {"no title column", "Name,Author\nx,y\n", {"import", "in.csv"}, 3, false, 1, "no column holds the titles"},
        {"not UTF-8 under a header no program writes",
         "Name\nok\nG\xF6"
         "del\n",
         {"import", "in.csv"},
         3,
         false,
         1,
         "line 3: not UTF-8"},
        {"more fields than headers",
         "Title\nA,extra\n",
         {"import", "in.csv"},
         3,
         false,
         1,
         "line 2: 2 fields, but the header names 1"},
        {"dry run", oneBook, {"import", "--dry-run", "in.csv"}, 3, false, 0, ""},
        {"export over the database", "", {"export", "books.orbl"}, 3, false, 1, "a file of the catalogue itself"},
        {"export over the history",
         "",
         {"export", "books.orbl.history"},
         3,
         false,
         1,
         "a file of the catalogue itself"},
        // Replaced, a running Volumnia's lock would be lost, and an import
        // would then be let in and undone at Volumnia's end.
        {"export over the database's lock",
         "",
         {"export", "books.orbl.lock"},
         3,
         false,
         1,
         "a file of the catalogue itself"},
        {"export over a save's temporary name",
         "",
         {"export", "./volumnia.kelt.saving"},
         3,
         false,
         1,
         "a file of the catalogue itself"},
        {"export over the history's temporary name",
         "",
         {"export", "books.orbl.history.saving"},
         3,
         false,
         1,
         "a file of the catalogue itself"},
        {"export over the due dates' temporary name",
         "",
         {"export", "books.orbl.due.saving"},
         3,
         false,
         1,
         "a file of the catalogue itself"},
        {"usage", "", {"import", "in.csv", "more.csv"}, 3, false, 2, "import reads one FILE"},
        {"UTF-8 read as Windows-1252",
         "Title\nok\nCaf\xC3\xA9 Cr\xC3\xA8me\n",
         {"import", "--encoding", "windows-1252", "in.csv"},
         3,
         false,
         1,
         "in.csv: line 3: this is UTF-8 text, not Windows-1252"},
        {"UTF-16 without a byte order mark",
         std::string("T\0i\0t\0l\0e\0\n\0", 12),
         {"import", "in.csv"},
         3,
         false,
         1,
         "line 1: holds zero bytes, as UTF-16 text"},
        {"UTF-16 cut in a letter",
         std::string("\xFF\xFET\0i", 5),
         {"import", "in.csv"},
         3,
         false,
         1,
         "is not whole UTF-16"},
        {"substitution not asked for",
         "Title,Notes\nX,\xC5\x81\n",
         {"import", "in.csv"},
         3,
         false,
         1,
         "(--substitute puts its closest form in its place)"},
        {"no such format", "", {"export", "--format", "excel"}, 3, false, 2, "--format takes volumnia"},
        {"a shelf without Goodreads", "", {"export", "--shelf", "x"}, 3, false, 2, "--shelf is for --format goodreads"},
        {"a damaged Tellico file", "PK\x03\x04 cut short", {"import", "in.csv"}, 3, false, 1, "not a readable ZIP"},
        // One entity of 4 000 letters used 40 000 times: 124 KB that would
        // grow to 160 million letters.
        {"an entity that grows the document",
         EntityFile(),
         {"import", "in.csv"},
         3,
         false,
         1,
         "declares entities of its own (e)"},
        {"an import past the history's bound",
         "Title,Notes\nA," + std::string(1200 * 1024, 'x') + "\nB," + std::string(1200 * 1024, 'y') + "\n",
         {"import", "--dry-run", "in.csv"},
         3,
         false,
         1,
         "2 books to add: the import's entry in the history of changes would take 2.3 MB, past the 2.0 MB"},
        {"a stray zero byte",
         std::string("Title\nA\0B\n", 10),
         {"import", "in.csv"},
         3,
         false,
         1,
         "line 2: holds a zero byte, which no text holds"},
        {"UTF-32 cut in a letter",
         std::string("\xFF\xFE\0\0T\0\0", 7),
         {"import", "in.csv"},
         3,
         false,
         1,
         "is not whole UTF-32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempWorkingFolder folder;
        std::vector<TItem> items;
        for (int i = 1; i <= c.Held; ++i)
            items.push_back(Book(i, {"Title " + std::to_string(i)}));
        WriteCatalogue(folder, c.Held, items);
        folder.WriteFile("in.csv", c.Csv);
        TWorkingFolderLock volumnia(folder.Path(), TSettingsKeys::FileName, "Volumnia");
        if (c.Locked) {
            ASSERT_EQ(volumnia.TryLock(), TWorkingFolderLock::TResult::Locked);
        }
        const std::string settings = folder.ReadFile("volumnia.kelt");
        const std::string database = folder.ReadFile("books.orbl");
        const std::vector<std::string> files = folder.FileNames();

        const auto started = std::chrono::steady_clock::now();
        const TRun run = RunCsv(c.Arguments);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        EXPECT_EQ(run.Code, c.Code) << run.Err;
        EXPECT_NE(run.Err.find(c.Said), std::string::npos) << run.Err;
        EXPECT_EQ(folder.ReadFile("volumnia.kelt"), settings);
        EXPECT_EQ(folder.ReadFile("books.orbl"), database);
        EXPECT_EQ(folder.FileNames(), files);
    }
}

// A file of ten thousand columns no field takes: the first twenty named, the
// rest counted.
TEST_F(CsvCommand, ManyIgnoredColumnsAreNamedTwentyAtMost)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    std::string header = "Title";
    for (int i = 0; i < 10000; ++i)
        header += ",c" + std::to_string(i);
    folder.WriteFile("in.csv", header + "\nA\n");
    const TRun run = RunCsv({"import", "--dry-run", "in.csv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(run.Out.find("\nIgnored columns: c0, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12, c13, c14, c15, "
                           "c16, c17, c18, c19, and 9980 more\n"),
              std::string::npos)
        << run.Out.substr(0, 400);
}

// A title or author in letters the database file cannot hold comes in, in
// its closest form there and in its own letters in the details.
TEST_F(CsvCommand, ATitleInOtherLettersComesInWithItsOwnLetters)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    folder.WriteFile("in.csv",
                     "Title,Author\n\xCE\x9F\xCE\xB4\xCF\x8D\xCF\x83\xCF\x83\xCE\xB5\xCE\xB9\xCE\xB1,Homer\n");
    const TRun run = RunCsv({"import", "in.csv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    ASSERT_EQ(Held().size(), 1u);
    EXPECT_EQ(Held()[0].Fields[0], "Odysseia");
    EXPECT_EQ(DetailsHeld(1).Values(),
              (std::vector<TDetails::TValue>{
                  {"title_own", "\xCE\x9F\xCE\xB4\xCF\x8D\xCF\x83\xCF\x83\xCE\xB5\xCE\xB9\xCE\xB1"}}));
}

// Import after import, the history keeps within its limit: an older entry
// goes where keeping it would pass the limit.
TEST_F(CsvCommand, ImportsLeaveTheHistoryWithinItsLimit)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    for (const char* title : {"A", "B", "C"}) {
        folder.WriteFile("in.csv", std::string("Title,Notes\n") + title + "," + std::string(1300 * 1024, 'n') + "\n");
        ASSERT_EQ(RunCsv({"import", "in.csv"}).Code, 0);
        EXPECT_LE(folder.ReadFile("books.orbl.history").size(), THistory::DefaultSizeLimit) << title;
    }
    EXPECT_EQ(THistory("books.orbl").ReadAll().size(), 1u);
}

// A database near the size a data file may hold: an import that would take
// it past is refused before anything is written, the files byte for byte
// as they were.
TEST_F(CsvCommand, AnImportPastWhatADataFileHoldsIsRefusedUpFront)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 1, {Book(1, {"Big", "", "", "", std::string(120 * 1024 * 1024, 'n')})});
    folder.WriteFile("in.csv", "Title\n" + std::string(9 * 1024 * 1024, 't') + "\n");
    const auto hashOf = [&folder](const char* name) { return std::hash<std::string>()(folder.ReadFile(name)); };
    const size_t settings = hashOf("volumnia.kelt"), database = hashOf("books.orbl");
    const std::vector<std::string> files = folder.FileNames();
    const TRun run = RunCsv({"import", "in.csv"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("1 book to add: the database file would grow to 129.0 MB, past the 128.0 MB a data file "
                           "may hold; nothing imported"),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(hashOf("volumnia.kelt"), settings);
    EXPECT_EQ(hashOf("books.orbl"), database);
    EXPECT_EQ(folder.FileNames(), files);
}

TEST_F(CsvCommand, SubstitutionListsEveryChange)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    folder.WriteFile("in.csv", "Title,Author\n\xCE\x9F\xCE\xB4\xCF\x8D\xCF\x83\xCF\x83\xCE\xB5\xCE\xB9\xCE\xB1,"
                               "Homer\nPlain,Someone\nW\xC5\x82"
                               "adys\xC5\x82"
                               "aw,\xC5\x81\n");
    const TRun run = RunCsv({"import", "--substitute", "in.csv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_NE(
        run.Out.find("closest form in 3 fields:\n"
                     "  line 2, column 1 (Title): \"\xCE\x9F\xCE\xB4\xCF\x8D\xCF\x83\xCF\x83\xCE\xB5\xCE\xB9\xCE\xB1\""
                     " -> \"Odysseia\"\n"
                     "  line 4, column 1 (Title): \"W\xC5\x82"
                     "adys\xC5\x82"
                     "aw\" -> \"Wladyslaw\"\n"
                     "  line 4, column 2 (Author): \"\xC5\x81\" -> \"L\"\n"),
        std::string::npos)
        << run.Out;
    EXPECT_EQ(Held().size(), 3u);
}

// Title and author, ignoring case and outer blanks, against the catalogue and
// the rows before; a second import of one file adds nothing.
TEST_F(CsvCommand, ADuplicateIsPassedOverUnlessKept)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 1, {Book(1, {"Dune", "Frank Herbert"})});
    folder.WriteFile("in.csv", "Title,Author\n dune ,FRANK HERBERT\nDune,Brian Herbert\nNew,A\nnew ,a\n");
    const TRun first = RunCsv({"import", "in.csv"});
    ASSERT_EQ(first.Code, 0) << first.Err;
    EXPECT_NE(first.Out.find("Added 2 books, IDs 2 to 3.\nPassed over 2 rows whose title and author the catalogue "
                             "or an earlier row holds already: line 2, 5 (--keep-duplicates adds them)."),
              std::string::npos)
        << first.Out;
    ASSERT_EQ(Held().size(), 3u);
    EXPECT_EQ(Held()[2].Fields[0], "New");

    const TRun again = RunCsv({"import", "in.csv"});
    ASSERT_EQ(again.Code, 0) << again.Err;
    EXPECT_NE(again.Out.find("Added 0 books."), std::string::npos) << again.Out;
    EXPECT_EQ(Held().size(), 3u);

    ASSERT_EQ(RunCsv({"import", "--keep-duplicates", "in.csv"}).Code, 0);
    EXPECT_EQ(Held().size(), 7u);
}

TEST_F(CsvCommand, ANumberAlreadyHeldIsPassedOver)
{
    TTempWorkingFolder folder;
    // A counter behind the database, as after a database file copied in by hand.
    WriteCatalogue(folder, 41, {Book(42, {"Held"}), Book(44, {"Held too"})});
    folder.WriteFile("in.csv", "Title\nA\nB\n");
    ASSERT_EQ(RunCsv({"import", "in.csv"}).Code, 0);
    const std::vector<TItem> held = Held();
    ASSERT_EQ(held.size(), 4u);
    EXPECT_EQ(held[2].ID, 43);
    EXPECT_EQ(held[3].ID, 45);
    EXPECT_EQ(CurrentIndex(), 45);
}

// Another working folder naming the same database holds its lock: the import
// is refused naming the holder, and nothing is written.
TEST_F(CsvCommand, ADatabaseHeldThroughAnotherFolderIsNotImportedInto)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"One"}), Book(2, {"Two"})});
    folder.WriteFile("in.csv", "Title\nA\n");
    const std::string database = folder.ReadFile("books.orbl");
    TWorkingFolderLock elsewhere = TWorkingFolderLock::ForFile(folder.FilePath("books.orbl"), "Volumnia");
    ASSERT_EQ(elsewhere.TryLock(), TWorkingFolderLock::TResult::Locked);
    const TRun run = RunCsv({"import", "in.csv"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("in use by Volumnia (process"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("books.orbl.lock"), std::string::npos) << run.Err;
    EXPECT_EQ(folder.ReadFile("books.orbl"), database);
    EXPECT_EQ(CurrentIndex(), 2);
}

// Books after a Ctrl+Z would be dropped by the import's save: the damaged
// database is refused and left as it is.
TEST_F(CsvCommand, ADatabaseWithBooksAfterACtrlZIsRefused)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"One"})});
    const std::string damaged = folder.ReadFile("books.orbl") + "\x1a" + DatabaseFile({Book(2, {"Two"})});
    folder.WriteFile("books.orbl", damaged);
    folder.WriteFile("in.csv", "Title\nA\n");
    const TRun run = RunCsv({"import", "in.csv"});
    EXPECT_NE(run.Code, 0);
    EXPECT_NE(run.Err.find("#114: Database file corrupted."), std::string::npos) << run.Err;
    EXPECT_EQ(folder.ReadFile("books.orbl"), damaged);
    EXPECT_FALSE(folder.Exists("books.orbl.bak"));
}

TEST_F(CsvCommand, AFailedSaveKeepsTheDatabaseAndGivesNoNumberTwice)
{
    TTempWorkingFolder folder;
    // Two long books: the database is far larger than the settings file, so a
    // write cut after 2000 bytes passes the settings and fails the database.
    WriteCatalogue(folder, 2, {Book(1, {std::string(1500, 'a')}), Book(2, {std::string(1500, 'b')})});
    folder.WriteFile("in.csv", "Title\nNew\n");
    const std::string database = folder.ReadFile("books.orbl");
    // Lasting: the safety copy is written first, and its failure alone does not stop the save.
    WriteFault.FailAfter(2000, false);

    const TRun failed = RunCsv({"import", "in.csv"});
    WriteFault.Clear();
    EXPECT_EQ(failed.Code, 1);
    EXPECT_NE(failed.Err.find("nothing imported (CurrentIndex stays at 3"), std::string::npos) << failed.Err;
    EXPECT_EQ(folder.ReadFile("books.orbl"), database);
    EXPECT_EQ(CurrentIndex(), 3);

    ASSERT_EQ(RunCsv({"import", "in.csv"}).Code, 0);
    const std::vector<TItem> held = Held();
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held[2].ID, 4);
    EXPECT_EQ(CurrentIndex(), 4);
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("orbl_itemcount"), 3);
}

// "ln books.orbl books.orbl.lock": the import is refused, and the database,
// the lock name's other name, stays byte for byte.
TEST_F(CsvCommand, AHardLinkAtTheDatabasesLockLeavesTheDatabaseAsItIs)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"One"}), Book(2, {"Two"})});
    folder.WriteFile("in.csv", "Title\nA\n");
    const std::string database = folder.ReadFile("books.orbl");
    ASSERT_EQ(link("books.orbl", "books.orbl.lock"), 0);
    const TRun run = RunCsv({"import", "in.csv"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("more than one name"), std::string::npos) << run.Err;
    EXPECT_EQ(folder.ReadFile("books.orbl"), database);
}

// A FIFO takes the list in place, as a stream: its reader gets it whole.
TEST_F(CsvCommand, AnExportOntoAFifoReachesItsReader)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"One"}), Book(2, {"Two"})});
    ASSERT_EQ(mkfifo("pipe.csv", 0644), 0);
    // The reader is there first; the list is smaller than the pipe holds.
    const int reader = open("pipe.csv", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const TRun run = RunCsv({"export", "pipe.csv"});
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = read(reader, buffer, sizeof buffer)) > 0;)
        got.append(buffer, static_cast<size_t>(n));
    close(reader);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(got, RunCsv({"export"}).Out);
    struct stat info = {};
    EXPECT_EQ(lstat("pipe.csv", &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// A FIFO that no program reads is refused at once: the export never waits.
TEST_F(CsvCommand, AnExportOntoAFifoNobodyReadsIsRefusedAtOnce)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"One"}), Book(2, {"Two"})});
    ASSERT_EQ(mkfifo("pipe.csv", 0644), 0);
    const TRun run = RunCsv({"export", "pipe.csv"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_NE(run.Err.find("pipe.csv: no program reads from this FIFO"), std::string::npos) << run.Err;
}

std::string TestData(const char* name)
{
    return std::string(VOLUMNIA_TEST_DATA "/csv/") + name;
}

std::vector<std::vector<QString>> CsvRows(const std::string& csv)
{
    std::vector<std::vector<QString>> rows;
    for (const TCsvRecord& record : TCsvReader::Parse(QString::fromStdString(csv)))
        rows.push_back(record.Fields);
    return rows;
}

// The exports the other programs write (tests/data/csv/README.md), each
// with every book and loan (a Cyrillic borrower's name substituted), and one
// book's every column the catalogue keeps, in its details.
TEST_F(CsvCommand, RealExportsOfOtherProgramsImportWithTheirBooksAndLoans)
{
    const struct {
        const char* File;
        size_t Books, Loans;
        const char* Read; // what the summary says the file was read as
        size_t Book;      // one book's fields, for the letters and the loan
        std::array<std::string, 8> Fields;
        std::vector<TDetails::TValue> Details;
        const char* Ignored; // what the summary names as not kept
    } cases[] = {
        // UTF-8 with one stray byte (Davos (Suisse) \xE0 in a column not imported)
        {"librarything.tsv",
         3,
         1,
         "UTF-8 with 1 byte that UTF-8 has not (the first on line 4) read as ISO-8859-1 (LibraryThing writes its "
         "export so), columns separated by tabs",
         0,
         {"Le Petit Prince", "Saint-Exup\xE9ry, Antoine de", "Gallimard (1946), Broch\xE9", "1946", "cadeau de No\xEBl",
          "", "Marie", "2024-03-05"},
         {{"added", "2023-12-24"},
          {"collections", "Your library, Favorites"},
          {"copies", "2"},
          {"finished", "2024-01-05"},
          {"isbn", "9782070408504"},
          {"language", "French"},
          {"pages", "96"},
          {"rating", "4.5"},
          {"started", "2024-01-02"},
          {"tags", "conte, aviation"}},
         "Ignored columns: Sort Character, Primary Author Role, "},
        {"goodreads.csv",
         3,
         0,
         "UTF-8, columns separated by commas",
         0,
         {"The Left Hand of Darkness", "Ursula K. Le Guin", "Ace", "1987", "Lent to my sister once", "Spine creased"},
         {{"added", "2023-12-01"},
          {"copies", "1"},
          {"finished", "2024-02-11"},
          {"isbn", "9780441478125"},
          {"original_year", "1969"},
          {"pages", "304"},
          {"rating", "4"},
          {"status", "read"},
          {"tags", "classics, science-fiction"}},
         "Ignored columns: Author l-f, Additional Authors, Average Rating, Binding, "},
        // A letter Windows-1252 lacks: the author in its closest form, its
        // own letters kept; Goodreads' 0 is no rating and no copies.
        {"goodreads.csv",
         3,
         0,
         "UTF-8, columns separated by commas",
         2,
         {"Solaris", "Stanislaw Lem", "Harvest", "2002"},
         {{"added", "2022-07-03"},
          {"author_own", "Stanis\xC5\x82"
                         "aw Lem"},
          {"isbn", "9780156027649"},
          {"original_year", "1961"},
          {"pages", "224"},
          {"status", "to-read"},
          {"tags", "to-read, polish"}},
         "Ignored columns: Author l-f, "},
        {"books-format11.bc",
         2,
         1,
         "a Tellico data file",
         0,
         {"my title1", "my author", "my publisher", "2000",
          "a very long comment about the book and something that struck me while I was reading it", "", "Robby",
          "10/18/23"},
         {{"due", "2023-10-25"},
          {"genre", "Science Fiction"},
          {"isbn", "9783248762763"},
          {"language", "Klingon"},
          {"loan_note", "Football is life!"},
          {"pages", "3746"},
          {"rating", "3"},
          {"series", "my series"},
          {"series_number", "2"},
          {"status", "read"},
          {"tags", "lots of keywords, another"}},
         "Ignored columns: subtitle, binding, pur_date, pur_price, edition, lccn, condition, signed, gift, cdate, "
         "mdate\n"},
        // A bibliography whose borrower is written in Cyrillic.
        {"bibtex-format11.tc",
         1,
         1,
         "a Tellico data file",
         0,
         {"The X Window System, Version 11", "Jim Gettys; Phil Karlton; Scott McGregor", "", "1990", "", "",
          "kirillitsa", "2/28/21"},
         {},
         "Ignored columns: entry-type, bibtex-key, journal, number, volume, abstract, cdate, mdate\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        TTempWorkingFolder folder;
        WriteCatalogue(folder, 0, {});
        const TRun run = RunCsv({"import", "--substitute", TestData(c.File)});
        ASSERT_EQ(run.Code, 0) << run.Err;
        EXPECT_NE(run.Out.find(std::string(" as ") + c.Read + ".\n"), std::string::npos) << run.Out;
        const std::vector<TItem> held = Held();
        ASSERT_EQ(held.size(), c.Books);
        EXPECT_EQ(std::count_if(held.begin(), held.end(), [](const TItem& item) { return !item.Fields[6].empty(); }),
                  static_cast<std::ptrdiff_t>(c.Loans));
        for (size_t field = 0; field < 8; ++field)
            EXPECT_EQ(held[c.Book].Fields[field], c.Fields[field]) << "field " << field;
        EXPECT_EQ(DetailsHeld(held[c.Book].ID).Values(), c.Details);
        EXPECT_NE(run.Out.find(c.Ignored), std::string::npos) << run.Out;
    }
}

// A row a separator and encoding; the summary names what was chosen.
TEST_F(CsvCommand, EveryUsualSeparatorAndEncodingIsRead)
{
    const struct {
        const char* Name;
        std::string Csv;
        std::vector<std::string> Options;
        std::array<std::string, 8> Fields;
        const char* Read;
    } cases[] = {
        {"a spreadsheet's semicolons in Windows-1252",
         "Title;Author;Year\r\nG\xF6"
         "del \x80;\"Hofstadter; D.\";1979\r\n",
         {},
         {"G\xF6"
          "del \x80",
          "Hofstadter; D.", "", "1979"},
         "Windows-1252 (not UTF-8; spreadsheets on Windows save so), columns separated by semicolons"},
        {"semicolons in UTF-8",
         "Title;Notes\n\"a;b\";c,d\n",
         {},
         {"a;b", "", "", "", "c,d"},
         "UTF-8, columns separated by semicolons"},
        {"tabs, a comma in a header",
         "Author (first, last)\tTitle\nA\tB\n",
         {},
         {"B", "A"},
         "UTF-8, columns separated by tabs"},
        {"LibraryThing's export with a loan",
         "Book Id\tTitle\tPrimary Author\tLending Patron\tLending Start\r\n1\tL\xE9on\tA\xEF\tEve\t[2024-03-05]\r\n",
         {},
         {"L\xE9on", "A\xEF", "", "", "", "", "Eve", "2024-03-05"},
         "ISO-8859-1 (not UTF-8; LibraryThing writes its export so), columns separated by tabs"},
        {"ISO-8859-1 asked for",
         "Title\nG\xF6"
         "del\n",
         {"--encoding", "iso-8859-1"},
         {"G\xF6"
          "del"},
         "ISO-8859-1, columns separated by commas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempWorkingFolder folder;
        WriteCatalogue(folder, 0, {});
        folder.WriteFile("in.csv", c.Csv);
        std::vector<std::string> arguments{"import", "in.csv"};
        arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
        const TRun run = RunCsv(arguments);
        ASSERT_EQ(run.Code, 0) << run.Err;
        EXPECT_NE(run.Out.find(std::string("Read in.csv as ") + c.Read + ".\n"), std::string::npos) << run.Out;
        const std::vector<TItem> held = Held();
        ASSERT_EQ(held.size(), 1u);
        for (size_t field = 0; field < 8; ++field)
            EXPECT_EQ(held[0].Fields[field], c.Fields[field]) << "field " << field;
    }
}

// Goodreads' export as it is written today, and a shelf on every row, by
// which the reading sites' importers shelve the books.
TEST_F(CsvCommand, AGoodreadsExportHasTodaysColumnsAndAShelf)
{
    QFile real(QString::fromStdString(TestData("goodreads.csv")));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const std::vector<QString> goodreads = CsvRows(real.readAll().toStdString()).front();
    ASSERT_EQ(goodreads.size(), 31u);
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 2, {Book(1, {"A", "B"}), Book(2, {"C", "", "", "", "", "", "Eve", "1/2/26"})});
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    for (const char* shelf : {"", "to-read"}) {
        SCOPED_TRACE(shelf);
        std::vector<std::string> arguments{"export", "--format", "goodreads"};
        if (*shelf)
            arguments.insert(arguments.end(), {"--shelf", shelf});
        const TRun run = RunCsv(arguments);
        ASSERT_EQ(run.Code, 0) << run.Err;
        const auto rows = CsvRows(run.Out);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(std::vector<QString>(rows[0].begin(), rows[0].begin() + 31), goodreads);
        for (size_t r = 1; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r].size(), rows[0].size());
            EXPECT_EQ(rows[r][18], QString::fromLatin1(*shelf ? shelf : "read")); // Exclusive Shelf
            EXPECT_EQ(rows[r][15], today);                                        // Date Added
        }
        EXPECT_EQ(rows[2][31], u"Eve");
    }
}

} // namespace

namespace {

// An import is one change of the history beside the database, which history
// lists; --since leaves out what came before the day.
TEST_F(CsvCommand, HistoryListsAnImportAsOneChange)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 9, {Book(9, {"Emma", "Austen", "", "", "", "", "", ""})});
    EXPECT_EQ(RunCsv({"history"}).Out, "");
    folder.WriteFile("in.csv", "Book title\nOne\nTwo\n");
    ASSERT_EQ(RunCsv({"import", "in.csv"}).Code, 0);
    const TRun listed = RunCsv({"history"});
    ASSERT_EQ(listed.Code, 0) << listed.Err;
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    EXPECT_EQ(listed.Out.substr(0, 10), today);
    EXPECT_EQ(listed.Out.substr(19), "  volumnia-csv  Import (2 books)\n    10 (new)  One\n    11 (new)  Two\n");
    EXPECT_EQ(RunCsv({"history", "--since", QDate::currentDate().addDays(1).toString(Qt::ISODate).toStdString()}).Out,
              "");
    EXPECT_EQ(RunCsv({"history", "--since", "2026-13-01"}).Code, TCsvCommand::Usage);
}

} // namespace

// A series written with the book's number after it, as LibraryThing writes
// it, comes in as the series and its number, where the row gives no number.
TEST_F(CsvCommand, ANumberAfterASeriesNameIsTheNumberInTheSeries)
{
    TTempWorkingFolder folder;
    WriteCatalogue(folder, 0, {});
    folder.WriteFile("in.tsv", "Title\tPrimary Author\tSeries\tSeries Number\n"
                               "Mort\tPratchett\tDiscworld (4)\t\n"
                               "Eric\tPratchett\tDiscworld (9)\t8\n"
                               "Both\tX\tA (1); B (2)\t\n"
                               "Half\tX\tFoundation (2.5)\t\n"
                               "None\tX\t(3)\t\n");
    const TRun run = RunCsv({"import", "in.tsv"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Discworld", "4"}, {"Discworld (9)", "8"}, {"A (1); B (2)", ""}, {"Foundation", "2.5"}, {"(3)", ""}};
    for (int32_t id = 1; id <= 5; ++id) {
        const TDetails details = DetailsHeld(id);
        EXPECT_EQ(std::make_pair(details.Value("series"), details.Value("series_number")), expected[id - 1]) << id;
    }
}
