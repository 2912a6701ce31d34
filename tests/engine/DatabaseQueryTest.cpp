// Whole-store operations: case-insensitive search in the locale, sorting by a
// field (checked against the plain nested-pass placement on random data), and
// the bulk replace and delete by an exact field value.
#include "tests/engine/EngineFixture.h"

#include "platform/AnsiText.h"

#include <functional>
#include <random>

using namespace EngineTest;

namespace {

class DatabaseQueries : public TEngineFixture {
protected:
    // Items 1..n whose title is texts[i-1].
    TDatabase& OpenTitles(const std::vector<std::string>& texts)
    {
        std::vector<TItem> items;
        for (size_t i = 0; i < texts.size(); ++i)
            items.push_back(Item(static_cast<int32_t>(i + 1), texts[i]));
        return OpenWith(FileOf(items));
    }
    std::vector<int32_t> Found(const Searchresult& result) const
    {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < result.ItemCount; ++i)
            ids.push_back(result.Items[static_cast<size_t>(i)].ID);
        return ids;
    }
};

struct TSearchCase {
    const char* Name;
    QLocale::Language Language;
    std::string Field;
    std::string Text;
    bool Found;
};
void PrintTo(const TSearchCase& c, std::ostream* os)
{
    *os << c.Name;
}

class DatabaseSearch : public DatabaseQueries, public ::testing::WithParamInterface<TSearchCase> {};

TEST_P(DatabaseSearch, FindsTheTextAnywhereIgnoringCase)
{
    const TSearchCase& c = GetParam();
    QLocale::setDefault(QLocale(c.Language));
    TDatabase& db = OpenTitles({"xyz", c.Field});
    const Searchresult result = db.Search("Book title", c.Text);
    EXPECT_EQ(Found(result), c.Found ? std::vector<int32_t>{2} : std::vector<int32_t>{});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DatabaseSearch,
    ::testing::Values(TSearchCase{"InsideWord", QLocale::English, "Herbert", "ER", true},
                      TSearchCase{"LongerThanField", QLocale::English, "Herbert", "Herberts", false},
                      TSearchCase{"WholeField", QLocale::English, "Herbert", "herbert", true},
                      TSearchCase{"AtEnd", QLocale::English, "Herbert", "BERT", true},
                      TSearchCase{"EmptyFieldNeverMatches", QLocale::English, "", "a", false},
                      TSearchCase{"GermanUmlautCapitals", QLocale::German, "\xE4\xF6", "\xC4\xD6", true},
                      TSearchCase{"GermanUmlautSmall", QLocale::German, "gro\xDF \xC4RGER", "\xE4rger", true},
                      TSearchCase{"FinnishCapitals", QLocale::Finnish, "H\xE4m\xE4l\xE4inen", "\xC4M\xC4L", true},
                      TSearchCase{"FrenchAccent", QLocale::French, "\xC9T\xC9", "\xE9t\xE9", true},
                      TSearchCase{"AccentIsNotTheBareLetter", QLocale::German, "\xE4rger", "arger", false},
                      TSearchCase{"CutAtNul", QLocale::English, std::string("abc\0def", 7), "def", false},
                      TSearchCase{"BeforeNul", QLocale::English, std::string("abc\0def", 7), "BC", true},
                      TSearchCase{"Blank", QLocale::English, "two words", " ", true}),
    [](const ::testing::TestParamInfo<TSearchCase>& info) { return std::string(info.param.Name); });

TEST_F(DatabaseQueries, SearchReturnsCopiesInStoreOrderMarkedIncluded)
{
    TDatabase& db = OpenTitles({"Alpha", "beta", "ALPHABET", "gamma", "alp"});
    db.DeleteItem(3);
    const Searchresult result = db.Search("Book title", "alpha");
    EXPECT_EQ(Found(result), (std::vector<int32_t>{1, 3}));
    EXPECT_FALSE(result.Items[0].Deleted);
    EXPECT_TRUE(result.Items[1].Deleted);
    EXPECT_EQ(result.Items[1].Fields[0], "ALPHABET");
    EXPECT_EQ(result.Items[2].ID, 0);
    EXPECT_EQ(result.Items[2].Fields[0], "");
    EXPECT_EQ(db.Count(), 5);
    EXPECT_EQ(Slot(0).Fields[0], "Alpha"); // the store is not lowered
}

TEST_F(DatabaseQueries, SearchWithoutMatchGivesEmptyResult)
{
    TDatabase& db = OpenTitles({"Alpha", "Beta"});
    const Searchresult result = db.Search("Book author", "Alpha");
    EXPECT_EQ(result.ItemCount, 0);
    for (size_t i : {size_t{0}, size_t{1}, size_t{1499}}) {
        EXPECT_EQ(result.Items[i].ID, 0);
        EXPECT_EQ(result.Items[i].Fields[0], "");
    }
}

TEST_F(DatabaseQueries, OperationsOnAnEmptyStoreIgnoreABadAlias)
{
    TDatabase& db = OpenWith("");
    EXPECT_EQ(db.Search("Nope", "x").ItemCount, 0);
    EXPECT_NO_THROW(db.SortBy("Nope"));
    EXPECT_NO_THROW(db.ReplaceFieldValue("Nope", "", "x"));
    EXPECT_NO_THROW(db.DeleteWhere("Nope", ""));
    EXPECT_EQ(db.Count(), 0);
}

TEST_F(DatabaseQueries, SortPlacesEqualTextsTogetherInFormerOrder)
{
    TDatabase& db = OpenTitles({"b", "a", "c", "a"});
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{2, 4, 1, 3}));
    EXPECT_EQ(db.Count(), 4);
}

TEST_F(DatabaseQueries, SortIgnoresCase)
{
    TDatabase& db = OpenTitles({"cherry", "Banana", "apple", "Apricot"});
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{3, 4, 2, 1}));
}

TEST_F(DatabaseQueries, SortKeepsTextsDifferingOnlyInCaseInGroupsOfTheirOwn)
{
    TDatabase& db = OpenTitles({"Smith", "Zorn", "SMITH", "Adams", "Smith", "smith"});
    db.SortBy("Book title");
    const std::vector<int32_t> ids = Ids();
    ASSERT_EQ(ids.size(), 6u);
    EXPECT_EQ(ids.front(), 4);
    EXPECT_EQ(ids.back(), 2);
    // The two byte-equal "Smith" items stand together in their former order;
    // the groups SMITH and smith may come on either side.
    const auto first = std::find(ids.begin(), ids.end(), 1);
    ASSERT_NE(first + 1, ids.end());
    EXPECT_EQ(*(first + 1), 5);
    std::vector<int32_t> middle(ids.begin() + 1, ids.end() - 1);
    std::sort(middle.begin(), middle.end());
    EXPECT_EQ(middle, (std::vector<int32_t>{1, 3, 5, 6}));
}

TEST_F(DatabaseQueries, SortFollowsTheDefaultLocale)
{
    const std::vector<std::string> titles = {"Zebra", "\xC4pfel", "Birne", "Apfel"};
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TDatabase& db = OpenTitles(titles);
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 2, 3, 1})); // Ä sorts with A

    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    db.LoadFromFile();
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 3, 1, 2})); // Ä comes after Z
}

// Keys prepared ahead serve the sort only while they still fit: what changed
// in between makes the sort collate afresh.
struct TPreparedSortCase {
    const char* Name;
    const char* PreparedBy;                    // the alias the keys were made for
    QLocale::Language PreparedIn;              // the locale they were made in
    std::function<void(TDatabase&)> Meanwhile; // what happens before the sort
    std::vector<int32_t> Sorted;               // the order by title, in German
};
void PrintTo(const TPreparedSortCase& c, std::ostream* os)
{
    *os << c.Name;
}

class PreparedSort : public DatabaseQueries, public ::testing::WithParamInterface<TPreparedSortCase> {};

TEST_P(PreparedSort, GivesTheOrderOfASortMadeAfresh)
{
    const TPreparedSortCase& c = GetParam();
    QLocale::setDefault(QLocale(c.PreparedIn));
    TDatabase& db = OpenTitles({"Zebra", "\xC4pfel", "Birne", "Apfel"});
    db.PrepareSortBy(c.PreparedBy);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    c.Meanwhile(db);
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), c.Sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreparedSort,
    ::testing::Values(
        TPreparedSortCase{"StillFitting", "Book title", QLocale::German, [](TDatabase&) {}, {4, 2, 3, 1}},
        // Finnish places \xC4 after Z.
        TPreparedSortCase{"MadeInAnotherLocale", "Book title", QLocale::Finnish, [](TDatabase&) {}, {4, 2, 3, 1}},
        TPreparedSortCase{"MadeForAnotherField", "Book author", QLocale::German, [](TDatabase&) {}, {4, 2, 3, 1}},
        TPreparedSortCase{"ATitleChanged",
                          "Book title",
                          QLocale::German,
                          [](TDatabase& db) { db.UpdateItem(Item(3, "Aal")); },
                          {3, 4, 2, 1}},
        TPreparedSortCase{
            "AnItemMarked", "Book title", QLocale::German, [](TDatabase& db) { db.DeleteItem(4); }, {2, 3, 1, 4}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The C locale's collator compares code points (capitals before small
// letters); the sort still ignores case there.
TEST_F(DatabaseQueries, SortIgnoresCaseInTheCLocale)
{
    QLocale::setDefault(QLocale::c());
    TDatabase& db = OpenTitles({"apple", "Banana", "APPLE", "cherry", "Apple", "banana"});
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, 5, 2, 6, 4}));
}

TEST_F(DatabaseQueries, SortKeepsMarkedItemsMarkedAfterTheSortedOnes)
{
    TDatabase& db = OpenTitles({"d", "c", "b", "a"});
    db.DeleteItem(3);
    db.DeleteItem(1);
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 2, 1, 3}));
    EXPECT_FALSE(Slot(0).Deleted);
    EXPECT_FALSE(Slot(1).Deleted);
    EXPECT_TRUE(Slot(2).Deleted);
    EXPECT_TRUE(Slot(3).Deleted);
    db.SaveToFile();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{4, 2}));
}

TEST_F(DatabaseQueries, SortMovesWholeItemsAndLeavesFreeSlots)
{
    TDatabase& db = OpenTitles({"x", "y", "z"});
    WriteDatabase(FileOf({Item(7, "b", "Bee"), Item(8, "a", "Ay")}));
    db.LoadFromFile();
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{8, 7}));
    EXPECT_EQ(Slot(0).Fields[1], "Ay");
    EXPECT_EQ(Slot(1).Fields[1], "Bee");
    EXPECT_EQ(Slot(2).Fields[0], "z"); // a slot above the count is not touched
    db.SortBy("Book author");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{8, 7}));
}

// The placement of the item order by a plain nested pass: the texts sorted by
// CompareText (stable), then for each sorted text every unplaced item with
// exactly that text, in slot order.
std::vector<int32_t> ReferenceOrder(const std::vector<std::string>& texts)
{
    std::vector<std::string> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const std::string& a, const std::string& b) { return AnsiText::CompareText(a, b) < 0; });
    std::vector<bool> placed(texts.size(), false);
    std::vector<int32_t> ids;
    for (const std::string& entry : sorted)
        for (size_t j = 0; j < texts.size(); ++j)
            if (!placed[j] && texts[j] == entry) {
                placed[j] = true;
                ids.push_back(static_cast<int32_t>(j + 1));
            }
    return ids;
}

TEST_F(DatabaseQueries, SortAgreesWithTheNestedPassOnRandomTexts)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::vector<std::string> pieces = {"a", "A", "\xE4", "\xC4", "b", "B",  "ss", "\xDF",
                                             " ", "-", "e",    "\xE9", "1", "10", "2",  "z"};
    std::mt19937 random(20240601);
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 3);
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string text;
        for (int k = length(random); k > 0; --k)
            text += pieces[piece(random)];
        texts.push_back(text);
    }
    // Some exact repeats spread over the store.
    for (int i = 0; i < 40; ++i)
        texts.push_back(texts[static_cast<size_t>(i * 7)]);

    TDatabase& db = OpenTitles(texts);
    db.SortBy("Book title");
    EXPECT_EQ(Ids(), ReferenceOrder(texts));
}

TEST_F(DatabaseQueries, ReplaceChangesExactWholeValuesOnly)
{
    TDatabase& db = OpenWith(
        FileOf({Item(1, "", "Ann"), Item(2, "", "ann"), Item(3, "", "Anne"), Item(4, "", "Ann"), Item(5, "", "")}));
    db.DeleteItem(4);
    db.ReplaceFieldValue("Book author", "Ann", "Bea");
    std::vector<std::string> authors;
    for (int32_t i = 0; i < 5; ++i)
        authors.push_back(Slot(i).Fields[1]);
    EXPECT_EQ(authors, (std::vector<std::string>{"Bea", "ann", "Anne", "Bea", ""}));
    EXPECT_TRUE(Slot(3).Deleted); // changed, still marked
    EXPECT_EQ(Slot(0).Fields[0], "");

    db.ReplaceFieldValue("Book author", "", "Nobody");
    EXPECT_EQ(Slot(4).Fields[1], "Nobody");
    db.ReplaceFieldValue("Book author", "Zed", "x"); // no match is no error
    db.ReplaceFieldValue("Book author", "Bea", "Line\r\nbreak");
    EXPECT_EQ(Slot(0).Fields[1], "Line  break");
}

TEST_F(DatabaseQueries, DeleteWhereMarksExactMatchesUntilTheSave)
{
    TDatabase& db = OpenWith(FileOf(
        {Item(1, "", "", "Otava"), Item(2, "", "", "otava"), Item(3, "", "", "Otava"), Item(4, "", "", "WSOY")}));
    db.DeleteWhere("Publisher", "Otava");
    EXPECT_EQ(db.Count(), 4);
    EXPECT_TRUE(Slot(0).Deleted);
    EXPECT_FALSE(Slot(1).Deleted);
    EXPECT_TRUE(Slot(2).Deleted);
    db.DeleteWhere("Publisher", "Gummerus");
    db.SaveToFile();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{2, 4}));
}

} // namespace
