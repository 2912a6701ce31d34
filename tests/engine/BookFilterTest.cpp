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

// Typed letters the database cannot hold once became "?" and matched every
// book with a "?" in it: they match nothing, unless only their accent is
// what the code page lacks.
TEST(BookFilter, LettersTheDatabaseCannotHoldMatchNothingAndAQuestionMarkOnlyItself)
{
    const TItem asked = Book({"Who is Zhivago?", "Pasternak", "", "", "", "", "", ""});
    const TItem plain = Book({"Doctor Zhivago", "Bor\xEDs Pasternak", "", "", "", "", "", ""});
    struct TCase {
        const char16_t* Typed;
        bool MatchesAsked;
        bool MatchesPlain;
    };
    const TCase cases[] = {
        {u"\u0416", false, false}, // Cyrillic Zhe
        {u"\u0416\u0438\u0432\u0430\u0433\u043E", false, false},
        {u"\u03A0\u03B1 pasternak", false, false}, // one word no book holds ends the match
        {u"?", true, false},
        {u"zhivago?", true, false},
        {u"bor\u00EDs", false, true},          // the code page has it
        {u"pa\u0161ternak", true, true},       // and this one (0x9A) folds to s
        {u"p\u0103sternak", true, true},       // a breve it lacks: sought as "a"
        {u"\u0141", false, false},             // a stroke is no accent
        {u"doctor\u2003zhivago", false, true}, // an em space is a blank
        {u"\U0001F4D6", false, false},
    };
    for (const TCase& c : cases) {
        const QString typed = QString::fromUtf16(c.Typed);
        SCOPED_TRACE(typed.toStdString());
        const TBookFilter filter(TBookFilter::FromTyped(typed));
        EXPECT_FALSE(filter.MatchesAll());
        EXPECT_EQ(filter.Matches(asked), c.MatchesAsked);
        EXPECT_EQ(filter.Matches(plain), c.MatchesPlain);
    }
    EXPECT_TRUE(TBookFilter(TBookFilter::FromTyped(QStringLiteral(" \u2003 "))).MatchesAll());
}

// The details are found too: an ISBN however it is written, a tag, a series,
// the title and author in their own letters, each word in a field or a detail.
TEST(BookFilter, MatchesTheDetailsAnIsbnHoweverWrittenAndOwnLetters)
{
    TItem book = Book({"Mort", "Terry Pratchett", "Corgi", "1987", "", "", "", ""});
    for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{
             {"isbn", "9780552131070"},
             {"series", "Discworld"},
             {"series_number", "4"},
             {"tags", "fantasy, humour"},
             {"status", "to-read"},
             {"title_own", "\xD0\x92\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0 \xD0\xB8 \xD0\xBC\xD0\xB8\xD1\x80"},
             {"author_own", "Marie Kond\xC5\x8D"},
             {"unknown_key", "hidden"},
             {"cover", "4711-0a1b2c3d.jpg"}})
        book.Details.Set(key, value);
    struct TCase {
        const char16_t* Typed;
        bool Expected;
    };
    const TCase cases[] = {
        {u"978-0-552", true},
        {u"9780552131070", true},
        {u"978 0 552 13107 0", true},
        {u"0-552-13107-5", true}, // the ISBN-10 form
        {u"0552131075", true},
        {u"978-0-553", false},
        {u"0-552-13107-6", false},
        {u"HUMOUR", true},
        {u"discworld mort", true}, // one word a detail, one a field
        {u"discworld 4", true},
        {u"to read", true}, // a choice as shown
        {u"reading", false},
        {u"humourdiscworld", false}, // no word across two details
        {u"hidden", false},          // a key the table does not hold is shown nowhere
        {u"4711", false},            // nor is a cover's file name
        {u"jpg", false},
        {u"kondo", true},
        {u"KOND\u014C", true},
        {u"\u0432\u043E\u0439\u043D\u0430", true}, // Cyrillic, lower case typed
        {u"\u0412\u043E\u0439\u043D\u0430 pratchett", true},
        {u"\u0412\u043E\u0439\u043D\u0430 dickens", false},
        {u"\u0416", false},
    };
    for (const TCase& c : cases) {
        const QString typed = QString::fromUtf16(c.Typed);
        SCOPED_TRACE(typed.toStdString());
        EXPECT_EQ(TBookFilter(TBookFilter::FromTyped(typed), typed.toStdString()).Matches(book), c.Expected);
    }
    EXPECT_FALSE(TBookFilter(TBookFilter::FromTyped(QStringLiteral("\u0412\u043E\u0439\u043D\u0430"))).Matches(book))
        << "without the letters typed, a word the database cannot hold still matches nothing";
    EXPECT_EQ(TBookFilter::FoldDetail("\xC3\x86sop \xC3\x98resund Stra\xC3\x9F"
                                      "e \xC5\xA0uma"),
              "aesop oresund strasse suma");
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
    rows.FillMatching(std::string(1, TBookFilter::Unheld));
    EXPECT_EQ(rows.Count(), 0) << "a letter no book holds lists nothing, not everything";
    rows.FillAll();
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.FindWords(), "");
}

// A detail orders the rows listed, not the catalogue: numbers 1, 2, 10,
// text by the locale ignoring case, a series by the number in it, books
// without the value last; a find keeps the order, a sort of the catalogue
// ends it.
TEST_F(ShownRowsFindTest, ADetailOrdersTheRowsListedAndASortOfTheCatalogueEndsIt)
{
    WriteDatabase(FileOf({Item(1, "Ten", "b"), Item(2, "None", "c"), Item(3, "Two", "a"), Item(4, "One", "d"),
                          Item(5, "Also none", "e")}));
    auto settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*settings);
    TCatalogue catalogue(std::move(settings), std::move(database));
    // A series with its numbers, told apart by case only; text the locale
    // sorts otherwise than bytes ("\xC3\xA9lan" before "Zebra").
    const std::vector<std::tuple<int32_t, const char*, const char*>> details = {
        {1, "10", "Discworld"}, {3, "2", "discworld"}, {4, "1", "Discworld"}, {2, "", "Zebra"}, {5, "", "\xC3\xA9lan"}};
    for (const auto& [id, number, series] : details) {
        TDetails values;
        values.Set("series_number", number);
        values.Set("series", series);
        catalogue.SetDetails(id, values);
    }
    const std::string fileBefore = Folder.ReadFile("books.orbl");
    TShownRows rows(catalogue);
    rows.FillAll();
    const auto ids = [&rows] {
        std::vector<int32_t> listed;
        for (int32_t r = 0; r < rows.Count(); ++r) {
            listed.push_back(rows.IdAt(r));
            EXPECT_EQ(rows.ItemAt(r).ID, rows.IdAt(r)) << "row " << r;
        }
        return listed;
    };
    rows.SortByDetail("series_number");
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 3, 1, 2, 5}));
    rows.SortByDetail("series");
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 3, 1, 5, 2})) << "a series by the number in it";
    rows.FillMatching("n");
    EXPECT_EQ(ids(), (std::vector<int32_t>{4, 1, 5, 2})) << "the order stands over a find";
    catalogue.SortByField("Book author");
    EXPECT_EQ(rows.DetailSortKey(), "");
    EXPECT_EQ(ids(), (std::vector<int32_t>{1, 2, 4, 5}));
    rows.SortByDetail("series_number");
    rows.SortByDetail("");
    EXPECT_EQ(ids(), (std::vector<int32_t>{1, 2, 4, 5}));
    EXPECT_EQ(Folder.ReadFile("books.orbl"), fileBefore);
}

} // namespace
