// The find line's rule: every word somewhere in the shown fields, case and
// accents ignored; and the shown rows that keep the words over a change.
#include "engine/BookFilter.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/engine/EngineFixture.h"

namespace {

using namespace EngineTest;

TItem Book(std::array<std::string, 8> fields)
{
    TItem item;
    std::copy(fields.begin(), fields.end(), item.Fields.begin());
    return item;
}

TEST(BookFilter, MatchesEveryWordInTheShownFieldsIgnoringCaseAndAccents)
{
    const TItem jane = Book({"Jane Eyre", "Charlotte Bront\xEB", "Smith, Elder", "1847", "First edition", "Signed",
                             "Tom Baker", "1.2.2024"});
    TItem returned = jane;
    returned.Fields[7].clear(); // the loaner's name stays, not shown
    const TItem odd = Book({"\xC6sop \xD8resund Stra\xDF"
                            "e \x8Auma",
                            "", "", "", "", "", "", ""});
    struct TCase {
        const char* Query;
        const TItem& Item;
        bool Expected;
    };
    const TCase cases[] = {
        {"", jane, true},
        {"  \t ", returned, true},
        {"bronte", jane, true},
        {"BRONT\xCB", jane, true},
        {"eyre bronte", jane, true},
        {"  jane   1847  ", jane, true},
        {"smith edition signed", jane, true},
        {"eyre dickens", jane, false},
        {"tom baker", jane, true},
        {"tom", returned, false},
        {"2024", jane, false}, // the loan date is not searched
        {"eyrecharlotte", jane, false},
        {"aesop oresund strasse suma", odd, true},
        {"\xE6sop", odd, true},
        {"z", odd, false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TBookFilter(c.Query).Matches(c.Item), c.Expected) << c.Query;
    EXPECT_EQ(TBookFilter::Fold("\xC0\xC9\xCE\xD5\xDC\xDD\xE7\xF1\x9F\x9E"), "aeiouycnyz");
}

class ShownRowsFindTest : public TEngineFixture {};

TEST_F(ShownRowsFindTest, AFindNarrowsTheCatalogueInItsOrderAndStandsOverAChange)
{
    WriteDatabase(
        FileOf({Item(1, "Wuthering Heights"), Item(2, "Jane Eyre"), Item(3, "Villette"), Item(4, "Agnes Grey")}));
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    TCatalogue catalogue(std::move(settings), std::move(database));
    TShownRows rows(catalogue);
    rows.FillMatching("E");
    ASSERT_EQ(rows.Count(), 4);
    rows.FillMatching("gh");
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.ItemAt(0).Fields[0], "Wuthering Heights");
    rows.FillMatching("e y");
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.IdAt(1), 4);
    EXPECT_EQ(rows.ItemAt(1).Fields[0], "Agnes Grey");
    catalogue.Remove(2);
    EXPECT_EQ(rows.Count(), 1) << "a change lists the matches anew";
    EXPECT_EQ(rows.FindWords(), "e y");
    rows.FillMatching("xyz");
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_TRUE(rows.IsBlank(0));
    rows.FillAll();
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.FindWords(), "");
}

} // namespace
