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

int FieldOf(const TCsvColumns& columns, int column)
{
    for (int field = 0; field < TCsvColumns::FieldCount; ++field)
        for (int c : columns.ColumnsOf(field))
            if (c == column)
                return field;
    return -1;
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
        {"ISBN", -1},
        {"Book title", -1}, // renamed in these settings, and no other program's name
    };
    std::vector<QString> header;
    for (const auto& c : cases)
        header.push_back(QString::fromUtf8(c.Header));
    const TCsvColumns columns(header, Aliases);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(FieldOf(columns, static_cast<int>(i)), cases[i].Field) << cases[i].Header;
    EXPECT_EQ(columns.ColumnsOf(3), (std::vector<int>{7, 8}));
    EXPECT_EQ(columns.Unknown(), (QStringList{"Spare one", "ISBN", "Book title"}));
}

TEST(CsvColumns, ListsEachUnknownColumnOnce)
{
    const TCsvColumns columns({"Tags", "Title", "tags ", "", "Tags"}, Aliases);
    EXPECT_EQ(columns.Unknown(), (QStringList{"Tags", "(column 4, no header)"}));
}

} // namespace
