// Single-item operations: every numbered error with its class and the rule
// that a refused call changes nothing, the capacity of adding, first-of-
// duplicates, the deleted mark, slot access and the guard against line breaks.
#include "tests/engine/EngineFixture.h"

#include <functional>

using namespace EngineTest;

namespace {

class DatabaseItems : public TEngineFixture {};

// Store contents that every refused call must leave as they were.
struct TSnapshot {
    int32_t Count;
    bool Empty;
    std::vector<TItem> Slots;
};

bool Same(const TSnapshot& a, const TSnapshot& b)
{
    if (a.Count != b.Count || a.Empty != b.Empty || a.Slots.size() != b.Slots.size())
        return false;
    for (size_t i = 0; i < a.Slots.size(); ++i) {
        const TItem &x = a.Slots[i], &y = b.Slots[i];
        if (x.ID != y.ID || x.Fields != y.Fields || x.Deleted != y.Deleted)
            return false;
    }
    return true;
}

struct TErrorCase {
    const char* Name;
    std::function<void(TDatabase&)> Call;
    std::string Message;
    enum { Orbl, Invalid } Class;
};
void PrintTo(const TErrorCase& c, std::ostream* os)
{
    *os << c.Name;
}

class DatabaseErrors : public TEngineFixture, public ::testing::WithParamInterface<TErrorCase> {
protected:
    TSnapshot Snapshot() const
    {
        TSnapshot s{Database->Count(), Database->Empty(), {}};
        for (int32_t i = 0; i < 6; ++i)
            s.Slots.push_back(Slot(i));
        return s;
    }
};

TEST_P(DatabaseErrors, RaisesItsMessageAndChangesNothing)
{
    const TErrorCase& c = GetParam();
    TDatabase& db = OpenWith(FileOf({Item(1, "One", "Ann"), Item(2, "Two", "Bob"), Item(3, "Three", "Ann")}));
    db.DeleteItem(3);
    const TSnapshot before = Snapshot();
    if (c.Class == TErrorCase::Orbl)
        EXPECT_EQ(ErrorOf<EORBLError>([&] { c.Call(db); }), c.Message);
    else
        EXPECT_EQ(ErrorOf<EInvalidParam>([&] { c.Call(db); }), c.Message);
    EXPECT_TRUE(Same(Snapshot(), before));
}

const std::string NotHeld = "Item does not exist in this database.";

INSTANTIATE_TEST_SUITE_P(
    Numbered, DatabaseErrors,
    ::testing::Values(
        TErrorCase{"FieldIndexBadAlias", [](TDatabase& db) { db.FieldIndex("Nope"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"FieldIndexIsCaseSensitive", [](TDatabase& db) { db.FieldIndex("book title"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"GetFieldBadAlias", [](TDatabase& db) { db.GetField(1, -1, "Title"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"AddHeldId", [](TDatabase& db) { db.AddItem(Item(2, "Again")); }, "#104: Item ID already exists.",
                   TErrorCase::Orbl},
        TErrorCase{"AddIdOfMarkedItem", [](TDatabase& db) { db.AddItem(Item(3)); }, "#104: Item ID already exists.",
                   TErrorCase::Orbl},
        TErrorCase{"UpdateUnknown", [](TDatabase& db) { db.UpdateItem(Item(9, "New")); }, "#105: " + NotHeld,
                   TErrorCase::Orbl},
        TErrorCase{"DeleteUnknown", [](TDatabase& db) { db.DeleteItem(9); }, "#107: " + NotHeld, TErrorCase::Orbl},
        TErrorCase{"GetItemUnknown",
                   [](TDatabase& db) {
                       TItem item;
                       db.GetItem(9, -1, item);
                   },
                   "#108: Item does not exist in this database .", TErrorCase::Orbl},
        TErrorCase{"GetItemIndexPastTable",
                   [](TDatabase& db) {
                       TItem item;
                       db.GetItem(-1, 1500, item);
                   },
                   "#109: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetItemIndexPastTableWithId",
                   [](TDatabase& db) {
                       TItem item;
                       db.GetItem(1, 1500, item);
                   },
                   "#109: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetItemNegativeIndex",
                   [](TDatabase& db) {
                       TItem item;
                       db.GetItem(-1, -2, item);
                   },
                   "#109: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetItemMinusOneBoth",
                   [](TDatabase& db) {
                       TItem item;
                       db.GetItem(-1, -1, item);
                   },
                   "#109: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetFieldUnknown", [](TDatabase& db) { db.GetField(9, -1, "Book title"); }, "#110: " + NotHeld,
                   TErrorCase::Orbl},
        TErrorCase{"GetFieldUnknownBeforeBadAlias", [](TDatabase& db) { db.GetField(9, -1, "Nope"); },
                   "#110: " + NotHeld, TErrorCase::Orbl},
        TErrorCase{"GetFieldIndexPastTable", [](TDatabase& db) { db.GetField(-1, 1500, "Book title"); },
                   "#111: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetFieldIndexPastTableWithId", [](TDatabase& db) { db.GetField(2, 2000, "Book title"); },
                   "#111: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetFieldBoundsBeforeBadAlias", [](TDatabase& db) { db.GetField(-1, 1500, "Nope"); },
                   "#111: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"GetFieldNegativeIndex", [](TDatabase& db) { db.GetField(-1, -100, "Book title"); },
                   "#111: Parameter out of bounds.", TErrorCase::Orbl},
        TErrorCase{"SearchEmptyText", [](TDatabase& db) { db.Search("Book title", ""); },
                   "#112: Searchstring must be at least 1 chars long.", TErrorCase::Invalid},
        TErrorCase{"SearchEmptyTextBeforeBadAlias", [](TDatabase& db) { db.Search("Nope", ""); },
                   "#112: Searchstring must be at least 1 chars long.", TErrorCase::Invalid},
        TErrorCase{"SearchBadAlias", [](TDatabase& db) { db.Search("Nope", "x"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"SortByBadAlias", [](TDatabase& db) { db.SortBy("Nope"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"ReplaceBadAlias", [](TDatabase& db) { db.ReplaceFieldValue("Nope", "Ann", "Bea"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid},
        TErrorCase{"DeleteWhereBadAlias", [](TDatabase& db) { db.DeleteWhere("Nope", "Ann"); },
                   "#101: Supplied field was invalid or alias bad.", TErrorCase::Invalid}),
    [](const ::testing::TestParamInfo<TErrorCase>& info) { return std::string(info.param.Name); });

TEST_F(DatabaseItems, FieldIndexFindsEachAliasExactly)
{
    TDatabase& db = OpenWith("");
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(db.FieldIndex(Aliases[static_cast<size_t>(i)]), i);
    EXPECT_THROW(db.FieldIndex("Book title "), EInvalidParam);
    EXPECT_THROW(db.FieldIndex(""), EInvalidParam);
}

TEST_F(DatabaseItems, AddStopsAt1499AndRefusesWithoutChange)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1498)));
    db.AddItem(Item(1499, "last"));
    EXPECT_EQ(db.Count(), 1499);
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.AddItem(Item(5000, "over")); }), "#103: Database full.");
    EXPECT_EQ(db.Count(), 1499);
    EXPECT_EQ(Slot(1499).ID, 0); // the slot after the last item stays free
    // A held ID is reported before fullness.
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.AddItem(Item(7)); }), "#104: Item ID already exists.");
    EXPECT_FALSE(db.ItemExists(5000));
}

TEST_F(DatabaseItems, MarkedItemsStillCountAgainstCapacityUntilSaved)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1499)));
    db.DeleteItem(1);
    EXPECT_THROW(db.AddItem(Item(5000)), EORBLError);
    db.SaveToFile();
    db.AddItem(Item(5000));
    EXPECT_EQ(db.Count(), 1499);
}

TEST_F(DatabaseItems, AddAppendsACopyUnmarked)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)));
    TItem item = Item(-5, "Neg");
    item.Deleted = true;
    db.AddItem(item);
    item.Fields[0] = "changed by the caller";
    const TItem stored = Slot(2);
    EXPECT_EQ(stored.ID, -5);
    EXPECT_EQ(stored.Fields[0], "Neg");
    EXPECT_FALSE(stored.Deleted);
    EXPECT_EQ(db.Count(), 3);
}

// A file of two items of one ID is refused (DatabaseFile), and no command
// makes a second: an add of a held ID is refused, an update keeps its ID.
TEST_F(DatabaseItems, DuplicateIdsNeverEnterTheStore)
{
    TDatabase& db = OpenWith(FileOf({Item(5, "Earlier"), Item(6, "Later")}));
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.AddItem(Item(5, "Again")); }), "#104: Item ID already exists.");
    db.UpdateItem(Item(5, "Updated"));
    db.SaveToFile();
    EXPECT_EQ(db.Count(), 2);
    EXPECT_EQ(Slot(0).Fields[0], "Updated");
    EXPECT_EQ(Slot(1).Fields[0], "Later");
}

TEST_F(DatabaseItems, DeleteMarksAndSaveDropsIt)
{
    TDatabase& db = OpenWith(FileOf(Numbered(3)));
    db.DeleteItem(2);
    EXPECT_TRUE(db.ItemExists(2));
    EXPECT_EQ(db.Count(), 3);
    EXPECT_TRUE(Slot(1).Deleted);
    TItem item;
    db.GetItem(2, -1, item); // still found, with its mark
    EXPECT_TRUE(item.Deleted);
    db.SaveToFile();
    EXPECT_FALSE(db.ItemExists(2));
    EXPECT_EQ(db.Count(), 2);
}

TEST_F(DatabaseItems, UpdateOfAMarkedItemUnmarksItSoItSurvivesTheSave)
{
    TDatabase& db = OpenWith(FileOf(Numbered(3)));
    db.DeleteItem(2);
    TItem item = Item(2, "Kept");
    item.Deleted = true;
    db.UpdateItem(item);
    EXPECT_FALSE(Slot(1).Deleted);
    db.SaveToFile();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Slot(1).Fields[0], "Kept");
}

TEST_F(DatabaseItems, SlotAccessReadsAnySlotOfTheTable)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)));
    TItem item = Item(77, "old");
    db.GetItem(-1, 1499, item);
    EXPECT_EQ(item.ID, 0);
    for (const std::string& field : item.Fields)
        EXPECT_EQ(field, "");
    EXPECT_EQ(db.GetField(-1, 1499, "Book title"), "");
    EXPECT_EQ(db.GetField(-1, 1, "Book title"), "Title 2");
    EXPECT_EQ(db.GetField(2, -1, "Spare two"), "");
}

TEST_F(DatabaseItems, GetFieldIgnoresEmpty)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)) + "\r\n");
    ASSERT_TRUE(db.Empty());
    EXPECT_EQ(db.GetField(2, -1, "Book title"), "Title 2");
    EXPECT_THROW(db.GetField(9, -1, "Book title"), EORBLError);
}

TEST_F(DatabaseItems, LineBreaksInTextsBecomeBlanks)
{
    TDatabase& db = OpenWith("");
    TItem item = Item(1, "two\r\nlines", "cr\ronly", "lf\nonly");
    item.Fields[9] = "ctrl\x1az";
    db.AddItem(item);
    EXPECT_EQ(Slot(0).Fields[0], "two  lines");
    EXPECT_EQ(Slot(0).Fields[1], "cr only");
    EXPECT_EQ(Slot(0).Fields[2], "lf only");
    EXPECT_EQ(Slot(0).Fields[9], "ctrl z");

    db.UpdateItem(Item(1, "up\ndated"));
    EXPECT_EQ(Slot(0).Fields[0], "up dated");
    db.AddItem(Item(2, "after"));
    db.SaveToFile();
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(DatabaseBytes(), FileOf({Item(1, "up dated"), Item(2, "after")}));
}

// Many books put in at once land where InsertItemAt one after the other puts
// them, the table's index of IDs following; a refused batch changes nothing.
TEST_F(DatabaseItems, InsertItemsAtPlacesAsOneAfterTheOther)
{
    const struct {
        const char* What;
        std::vector<int32_t> Slots;
    } cases[] = {{"back where they stood", {0, 2, 4}},
                 {"one slot twice", {1, 1, 1}},
                 {"past the end and before the start", {9, -3, 99}}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.What);
        std::vector<TItem> books{Item(10, "a\nb"), Item(11), Item(12)};
        std::vector<TDatabase::TInsertion> insertions;
        for (size_t k = 0; k < books.size(); ++k)
            insertions.push_back({test.Slots[k], &books[k]});
        OpenWith(FileOf(Numbered(3))).DeleteItem(2);
        for (const TDatabase::TInsertion& insertion : insertions)
            Database->InsertItemAt(insertion.Slot, *insertion.Item);
        const std::vector<int32_t> expected = Ids();
        OpenWith(FileOf(Numbered(3))).DeleteItem(2);
        Database->InsertItemsAt(insertions);
        EXPECT_EQ(Ids(), expected);
        for (int32_t slot = 0; slot < Database->Count(); ++slot)
            EXPECT_EQ(Database->SlotOf(Slot(slot).ID), slot);
        EXPECT_TRUE(Slot(Database->SlotOf(2)).Deleted);
        EXPECT_EQ(Slot(Database->SlotOf(10)).Fields[0], "a b");
    }
    TDatabase& db = OpenWith(FileOf(Numbered(3)));
    const TItem twice = Item(7), taken = Item(3);
    EXPECT_EQ(ErrorOf<EORBLError>([&] {
                  db.InsertItemsAt({{0, &twice}, {1, &twice}});
              }),
              "#104: Item ID already exists.");
    EXPECT_EQ(ErrorOf<EORBLError>([&] {
                  db.InsertItemsAt({{0, &twice}, {1, &taken}});
              }),
              "#104: Item ID already exists.");
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3}));
    std::vector<TItem> many;
    for (int32_t id = 4; id <= TDatabase::MaxItems + 1; ++id)
        many.push_back(Item(id));
    std::vector<TDatabase::TInsertion> all;
    for (const TItem& book : many)
        all.push_back({0, &book});
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.InsertItemsAt(all); }), "#103: Database full.");
    EXPECT_EQ(db.Count(), 3);
    all.pop_back();
    db.InsertItemsAt(all);
    EXPECT_EQ(db.Count(), TDatabase::MaxItems);
    EXPECT_EQ(db.SlotOf(4), TDatabase::MaxItems - 4);
}

} // namespace
