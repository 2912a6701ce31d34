/*
 * Header matching of the import: the settings' field names and other
 * programs' headers, ignoring case, outer blanks and "_"; several columns for
 * one field; unknown columns listed once.
 */
#include "csv/CsvColumns.h"

#include <gtest/gtest.h>

namespace {

// The settings of a catalogue whose owner renamed the first two fields.
const TAlias Aliases = {
    "Titel",  "Verfasser",   "Publisher", "Year published", "Other information (1)", "Other information (2)",
    "Loaner", "Date loaned", "Spare one", "Spare two"};

// The field a one-line cell of the column fills.
int FieldOf(const TCsvColumns& columns, int column)
{
    using P = TCsvColumns::TPart;
    for (int field = 0; field < TCsvColumns::FieldCount; ++field)
        for (const TCsvColumns::TSource& source : columns.SourcesOf(field))
            if (source.Column == column &&
                (source.Part == P::Whole || source.Part == P::FirstLineOrWhole || source.Part == P::RestOrWhole))
                return field;
    return -1;
}

std::vector<QString> Header(std::initializer_list<const char*> names)
{
    std::vector<QString> header;
    for (const char* name : names)
        header.push_back(QString::fromUtf8(name));
    return header;
}

TEST(CsvColumns, MatchesFieldNamesAndOtherProgramsHeaders)
{
    const struct {
        const char* Header;
        int Field;
    } cases[] = {
        {"Titel", 0},
        {"  TITEL ", 0},
        {"Title", 0},
        {"verfasser", 1},
        {"Author", 1},
        {"creators", 1},
        {"PUBLISHER", 2},
        {"Year Published", 3},
        {"original_publication_year", 3},
        {"Notes", 4},
        {"Other information (1)", 4},
        {"Private Notes", 5},
        {"Borrowed By", 6},
        {"loaner", 6},
        {"Date Borrowed", 7},
        {"date loaned", 7},
        {"ID", -1},
        {"Spare one", -1},
        {"ISBN", -1}, // a detail
        {"Binding", -1},
        {"Book title", -1}, // renamed in these settings, and no other program's name
    };
    std::vector<QString> header;
    for (const auto& c : cases)
        header.push_back(QString::fromUtf8(c.Header));
    const TCsvColumns columns(header, Aliases);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(FieldOf(columns, static_cast<int>(i)), cases[i].Field) << cases[i].Header;
    EXPECT_EQ(columns.ColumnsOf(3), (std::vector<int>{7, 8}));
    EXPECT_EQ(columns.Unknown(), (QStringList{"Spare one", "Binding", "Book title"}));
}

TEST(CsvColumns, ListsEachUnknownColumnOnce)
{
    const TCsvColumns columns({"Shelf Mark", "Title", "shelf mark ", "", "Shelf Mark"}, Aliases);
    EXPECT_EQ(columns.Unknown(), (QStringList{"Shelf Mark", "(column 4, no header)"}));
}

// Each program's export header: the column tried first for each field.
TEST(CsvColumns, MatchesOtherProgramsExports)
{
    const TAlias volumnia = {"Book title",
                             "Book author",
                             "Publisher",
                             "Year published",
                             "Other information (1)",
                             "Other information (2)",
                             "Loaner",
                             "Date loaned",
                             "",
                             ""};
    const struct {
        const char* Program;
        std::vector<QString> Header;
        std::array<int, 8> First;
    } cases[] = {
        {"LibraryThing",
         Header({"Book Id", "Title", "Sort Character", "Primary Author", "Secondary Author", "Publication", "Date",
                 "Review", "Comment", "Private Comment", "Lending Patron", "Lending Status", "Lending Start"}),
         {1, 3, 5, 6, 8, 9, 10, 12}},
        {"LibraryThing, older",
         Header({"'TITLE'", "'AUTHOR (first, last)'", "'AUTHOR (last, first)'", "'DATE'", "'COMMENT'"}),
         {0, 1, -1, 3, 4, -1, -1, -1}},
        {"BookBuddy",
         Header(
             {"Title", "Author", "Publisher", "Date Published", "Year Published", "Notes", "Loaned To", "Loaned Date"}),
         {0, 1, 2, 4, 5, -1, 6, 7}},
        {"Libib",
         Header({"item_type", "title", "creators", "publisher", "publish_date", "notes"}),
         {1, 2, 3, 4, 5, -1, -1, -1}},
        {"Calibre",
         Header({"author_sort", "authors", "comments", "id", "pubdate", "publisher", "title"}),
         {6, 1, 5, 4, 2, 2, -1, -1}},
        {"Tellico",
         Header({"Title", "Author", "Publisher", "Copyright Year", "Publication Year", "Comments", "Loaned"}),
         {0, 1, 2, 4, 5, 5, -1, -1}},
        {"Goodreads",
         Header({"Book Id",
                 "Title",
                 "Author",
                 "Author l-f",
                 "Additional Authors",
                 "ISBN",
                 "ISBN13",
                 "My Rating",
                 "Average Rating",
                 "Publisher",
                 "Binding",
                 "Number of Pages",
                 "Year Published",
                 "Original Publication Year",
                 "Date Read",
                 "Date Added",
                 "Bookshelves",
                 "Bookshelves with positions",
                 "Exclusive Shelf",
                 "My Review",
                 "Spoiler",
                 "Private Notes",
                 "Read Count",
                 "Owned Copies"}),
         {1, 2, 9, 12, 21, 21, -1, -1}},
        {"Volumnia",
         Header({"ID", "Book title", "Book author", "Publisher", "Year published", "Other information (1)",
                 "Other information (2)", "Loaner", "Date loaned"}),
         {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Program);
        const TCsvColumns columns(c.Header, volumnia);
        for (int field = 0; field < TCsvColumns::FieldCount; ++field) {
            const std::vector<int>& tried = columns.ColumnsOf(field);
            EXPECT_EQ(tried.empty() ? -1 : tried.front(), c.First[static_cast<size_t>(field)]) << "field " << field;
        }
        EXPECT_FALSE(columns.Unknown().contains(QStringLiteral("Book Id")));
    }
}

TEST(CsvColumns, SplitsJoinedNotesAtTheFirstLineBreak)
{
    using P = TCsvColumns::TPart;
    const struct {
        const char* Cell;
        P Part;
        const char* Expected;
    } cases[] = {
        {"one\ntwo\nthree", P::FirstLineOnly, "one"}, {"one\ntwo\nthree", P::RestOnly, "two\nthree"},
        {"one\r\ntwo", P::RestOrWhole, "two"},        {"one\rtwo", P::FirstLineOrWhole, "one"},
        {"single", P::FirstLineOrWhole, "single"},    {"single", P::FirstLineOnly, ""},
        {"single", P::RestOrWhole, "single"},         {"single", P::RestOnly, ""},
        {"\nsecond only", P::FirstLineOrWhole, ""},   {"first only\n", P::RestOrWhole, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCsvColumns::PartOf(QString::fromUtf8(c.Cell), c.Part), QString::fromUtf8(c.Expected)) << c.Cell;
}

} // namespace
