// The database file: making the engine from the settings, reading files of
// every odd shape, the Empty flag, FileSize, conversion errors, the slot limit
// on loading, and the exact bytes a save writes.
#include "tests/engine/EngineFixture.h"
#include "tests/support/FailingWriteStep.h"
#include "tests/support/OrdinaryUser.h"

#include <functional>

#include <sys/stat.h>

using namespace EngineTest;

namespace {

class DatabaseFile : public TEngineFixture {};

TEST_F(DatabaseFile, CreateReadsSettingsLoadsAndWritesItemCount)
{
    TDatabase& db = OpenWith(FileOf(Numbered(3)));
    EXPECT_EQ(db.FileName(), "books.orbl");
    EXPECT_EQ(db.Aliases(), Aliases);
    EXPECT_EQ(db.Count(), 3);
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("orbl_itemcount"), 3);
}

TEST_F(DatabaseFile, CreateFailsOnMissingAliasSetting)
{
    std::vector<std::string> lines = SettingsLines();
    // Drop orbl_alias5 (name, value and kind lines).
    const auto at = std::find(lines.begin(), lines.end(), "orbl_alias5");
    ASSERT_NE(at, lines.end());
    lines.erase(at, at + 3);
    WriteSettings(lines);
    WriteDatabase(FileOf(Numbered(1)));
    EXPECT_EQ(ErrorOf<EInvalidParam>([&] { Open(); }), "#105: Supplied value name not found.");
}

TEST_F(DatabaseFile, CreateFailsWithoutDatabaseFile)
{
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Open(); }), "#102: File error.");
    EXPECT_FALSE(Folder.Exists("books.orbl"));
}

TEST_F(DatabaseFile, LoadFromFileOfVanishedFileRaisesAndKeepsStore)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)));
    Folder.Remove("books.orbl");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.LoadFromFile(); }), "#102: File error.");
    EXPECT_EQ(db.Count(), 2);
    EXPECT_EQ(Slot(1).Fields[0], "Title 2");
}

TEST_F(DatabaseFile, SaveWritesTheExactBytesOfTheFormat)
{
    TDatabase& db = OpenWith("");
    db.AddItem(Item(12, "abc"));
    db.SaveToFile();
    std::string expected = {0x31, 0x32, 0x0D, 0x0A, 0x61, 0x62, 0x63, 0x0D, 0x0A};
    for (int i = 0; i < 9; ++i)
        expected += {0x0D, 0x0A};
    ASSERT_EQ(expected.size(), 27u);
    EXPECT_EQ(DatabaseBytes(), expected);
}

TEST_F(DatabaseFile, SaveWritesNegativeIdsAndAllFieldsInOrder)
{
    TDatabase& db = OpenWith("");
    TItem item;
    item.ID = -2147483647 - 1;
    // append, not "f" + std::to_string(f): GCC 12 at -O3 reports a false
    // -Wrestrict inside std::string's operator+ that inserts into a temporary.
    for (int f = 0; f < 10; ++f)
        item.Fields[static_cast<size_t>(f)] = std::string("f").append(std::to_string(f));
    db.AddItem(item);
    db.AddItem(Item(0));
    db.SaveToFile();
    EXPECT_EQ(DatabaseBytes(), CrLfLines({"-2147483648", "f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9"}) +
                                   CrLfLines({"0", "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(Slot(0).ID, item.ID);
    EXPECT_EQ(Slot(0).Fields, item.Fields);
}

TEST_F(DatabaseFile, EmptyStoreSavesZeroBytes)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)));
    db.DeleteItem(1);
    db.DeleteItem(2);
    db.SaveToFile();
    EXPECT_EQ(DatabaseBytes(), "");
    EXPECT_EQ(db.Count(), 0);
}

TEST_F(DatabaseFile, SaveCreatesAMissingFile)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1)));
    Folder.Remove("books.orbl");
    db.SaveToFile();
    EXPECT_EQ(DatabaseBytes(), FileOf(Numbered(1)));
}

// One row per way of writing the lines of a file: what the reader must make of it.
struct TReadCase {
    const char* Name;
    std::string Bytes;
    int32_t Count;
    std::vector<std::string> Titles;         // field 0 of the slots read
    std::vector<std::string> LastItemFields; // all ten fields of the last item, when checked
};
void PrintTo(const TReadCase& c, std::ostream* os)
{
    *os << c.Name;
}

class DatabaseRead : public TEngineFixture, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(DatabaseRead, ReadsLinesByTheFileRules)
{
    const TReadCase& c = GetParam();
    TDatabase& db = OpenWith(c.Bytes);
    ASSERT_EQ(db.Count(), c.Count);
    for (size_t i = 0; i < c.Titles.size(); ++i)
        EXPECT_EQ(Slot(static_cast<int32_t>(i)).Fields[0], c.Titles[i]) << "slot " << i;
    if (!c.LastItemFields.empty()) {
        const TItem last = Slot(c.Count - 1);
        for (size_t f = 0; f < 10; ++f)
            EXPECT_EQ(last.Fields[f], c.LastItemFields[f]) << "field " << f;
    }
    EXPECT_FALSE(db.Empty());
}

std::string Lf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const std::vector<std::string> TwoItemLines = {"1", "One", "a", "", "", "", "", "", "", "", "z",
                                               "2", "Two", "b", "", "", "", "", "", "", "", "y"};

INSTANTIATE_TEST_SUITE_P(
    Shapes, DatabaseRead,
    ::testing::Values(
        TReadCase{"CrLf", CrLfLines(TwoItemLines), 2, {"One", "Two"}, {"Two", "b", "", "", "", "", "", "", "", "y"}},
        TReadCase{"LfOnly", Lf(TwoItemLines), 2, {"One", "Two"}, {"Two", "b", "", "", "", "", "", "", "", "y"}},
        TReadCase{
            "LoneCrDropped", "1\r\nO\rne\r\r\n" + CrLfLines({"", "", "", "", "", "", "", "", ""}), 1, {"One"}, {}},
        TReadCase{"MissingLastLineEnd",
                  CrLfLines(TwoItemLines).substr(0, CrLfLines(TwoItemLines).size() - 2),
                  2,
                  {"One", "Two"},
                  {"Two", "b", "", "", "", "", "", "", "", "y"}},
        TReadCase{"CtrlZEndsData", CrLfLines(TwoItemLines) + "\x1a", 2, {"One", "Two"}, {}},
        TReadCase{"CtrlZThenLineEnds", CrLfLines(TwoItemLines) + "\x1a\r\n\n\x1a", 2, {"One", "Two"}, {}},
        TReadCase{"CtrlZAfterAShortLastItem",
                  CrLfLines({"1", "On"}) + "\x1a",
                  1,
                  {"On"},
                  {"On", "", "", "", "", "", "", "", "", ""}},
        TReadCase{"CutOffLastItem",
                  CrLfLines({"1", "One", "a", "", "", "", "", "", "", "", "z", "2", "Two", "b"}),
                  2,
                  {"One", "Two"},
                  {"Two", "b", "", "", "", "", "", "", "", ""}},
        TReadCase{"IdLineOnly", "7\r\n", 1, {""}, {"", "", "", "", "", "", "", "", "", ""}},
        TReadCase{"LongLine", CrLfLines({"1", std::string(100000, 'x')}), 1, {std::string(100000, 'x')}, {}},
        TReadCase{"BlanksAndSignInId", CrLfLines({"  +5", "A"}), 1, {"A"}, {}},
        TReadCase{"HexId", CrLfLines({"$1F", "A"}), 1, {"A"}, {}}),
    [](const ::testing::TestParamInfo<TReadCase>& info) { return std::string(info.param.Name); });

TEST_F(DatabaseFile, IdLinesConvertLikeTheSettingsIntegers)
{
    OpenWith(CrLfLines({"  +5", "", "", "", "", "",   "", "", "", "", "", "$1F", "", "", "", "", "",
                        "",     "", "", "", "", "-0", "", "", "", "", "", "",    "", "", "", ""}));
    EXPECT_EQ(Ids(), (std::vector<int32_t>{5, 31, 0}));
}

TEST_F(DatabaseFile, ZeroByteFileGivesNoItemsAndLeavesEmptyClear)
{
    TDatabase& db = OpenWith("");
    EXPECT_EQ(db.Count(), 0);
    EXPECT_FALSE(db.Empty());
    TItem item;
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.GetItem(0, -1, item); }), "#108: Item does not exist in this database .");
}

TEST_F(DatabaseFile, SingleEmptyLineSetsEmptyUntilAnAdd)
{
    TDatabase& db = OpenWith("\r\n");
    EXPECT_EQ(db.Count(), 0);
    EXPECT_TRUE(db.Empty());
    // While Empty is set GetItem copies nothing and raises nothing.
    TItem item = Item(99, "kept");
    for (auto [id, index] :
         std::initializer_list<std::pair<int32_t, int32_t>>{{-1, 0}, {-1, 5000}, {42, -1}, {-1, -7}}) {
        db.GetItem(id, index, item);
        EXPECT_EQ(item.ID, 99);
        EXPECT_EQ(item.Fields[0], "kept");
    }
    db.AddItem(Item(1, "first"));
    EXPECT_FALSE(db.Empty());
    EXPECT_EQ(Slot(0).Fields[0], "first");
}

TEST_F(DatabaseFile, EmptyIdLineFollowedOnlyByEmptyLinesStopsReading)
{
    TDatabase& db = OpenWith(FileOf(Numbered(3)) + "\r\n\r\n\r\r\n");
    EXPECT_EQ(db.Count(), 3);
    EXPECT_TRUE(db.Empty());
    db.SaveToFile();
    EXPECT_EQ(DatabaseBytes(), FileOf(Numbered(3)));
    EXPECT_FALSE(db.Empty());
}

// Text after an empty ID line or after a Ctrl+Z (a hand edit, a sync tool)
// would be lost at the next save: such a file is refused whole and the store
// stays as it was.
TEST_F(DatabaseFile, TextAfterAnEmptyIdLineIsRefusedAsDamaged)
{
    const std::string cases[] = {
        FileOf(Numbered(3)) + "\r\n" + FileOf({Item(4, "Lost")}),
        "\r\n" + FileOf(Numbered(5)),
        FileOf(Numbered(1)) + "\n\n\n" + "x",
        FileOf(Numbered(3)) + "\x1a" + FileOf({Item(4, "Lost")}),
        "\x1a" + FileOf(Numbered(5)),
        FileOf(Numbered(1)) + "\x1a\r\n\r\n" + "x",
        CrLfLines({"1", "On"}) + "\x1a" + "e\r\n",
    };
    for (const std::string& bytes : cases) {
        TDatabase& db = OpenWith(FileOf(Numbered(2)));
        WriteDatabase(bytes);
        EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.LoadFromFile(); }), "#114: Database file corrupted.") << bytes;
        EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
        EXPECT_FALSE(db.Empty());
        EXPECT_EQ(DatabaseBytes(), bytes);
    }
}

TEST_F(DatabaseFile, ZeroByteReloadKeepsEmptyAsItWas)
{
    TDatabase& db = OpenWith("\r\n");
    ASSERT_TRUE(db.Empty());
    WriteDatabase("");
    db.LoadFromFile();
    EXPECT_TRUE(db.Empty());
    WriteDatabase("\x1a\r\n");
    db.LoadFromFile();
    EXPECT_TRUE(db.Empty());
    EXPECT_EQ(db.Count(), 0);
}

TEST_F(DatabaseFile, EmptyFirstIdLineLeavesTheStoreAsItWas)
{
    TDatabase& db = OpenWith(FileOf(Numbered(2)));
    WriteDatabase("\r\n\r\n");
    db.LoadFromFile();
    EXPECT_EQ(db.Count(), 2);
    EXPECT_TRUE(db.Empty());
}

TEST_F(DatabaseFile, FileSizeCountsWhole128ByteBlocksAtEachLoad)
{
    struct Row {
        size_t Bytes;
        int32_t Blocks;
    };
    for (const Row& row : {Row{1000, 7}, Row{127, 0}, Row{128, 1}, Row{0, 0}, Row{256, 2}}) {
        // One item whose title pads the file to the size wanted.
        std::string bytes;
        if (row.Bytes > 0) {
            const std::string frame = FileOf({Item(1)});
            bytes = "1\r\n" + std::string(row.Bytes - frame.size(), 'x') + frame.substr(3);
            ASSERT_EQ(bytes.size(), row.Bytes);
        }
        WriteDatabase(bytes);
        TDatabase& db = Database ? *Database : Open();
        db.LoadFromFile();
        EXPECT_EQ(db.FileSize(), row.Blocks) << row.Bytes << " bytes";
    }
}

TEST_F(DatabaseFile, ConversionErrorKeepsTheItemsReadBeforeIt)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1)));
    WriteDatabase(FileOf({Item(7, "Seven"), Item(8, "Eight")}) + CrLfLines({"12a", "Bad"}) + FileOf({Item(9)}));
    EXPECT_EQ(ErrorOf<EConvertError>([&] { db.LoadFromFile(); }), "'12a' is not a valid integer value");
    EXPECT_EQ(db.Count(), 2);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{7, 8}));
    EXPECT_FALSE(db.Empty());
}

TEST_F(DatabaseFile, ConversionErrorOnTheFirstLineLeavesTheCount)
{
    TDatabase& db = OpenWith("\r\n");
    ASSERT_TRUE(db.Empty());
    db.AddItem(Item(1, "held"));
    db.AddItem(Item(2, "held too"));
    WriteDatabase(CrLfLines({" 1 ", "x"}));
    EXPECT_EQ(ErrorOf<EConvertError>([&] { db.LoadFromFile(); }), "' 1 ' is not a valid integer value");
    EXPECT_EQ(db.Count(), 2);
    EXPECT_EQ(Slot(0).Fields[0], "held");
    EXPECT_FALSE(db.Empty());
}

TEST_F(DatabaseFile, ConversionErrorFailsCreate)
{
    WriteDatabase(CrLfLines({"abc"}));
    EXPECT_EQ(ErrorOf<EConvertError>([&] { Open(); }), "'abc' is not a valid integer value");
}

TEST_F(DatabaseFile, ShrinkingReloadLeavesHigherSlotsAsTheyWere)
{
    TDatabase& db = OpenWith(FileOf(Numbered(3)));
    WriteDatabase(FileOf({Item(9, "Nine")}));
    db.LoadFromFile();
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(Slot(0).ID, 9);
    EXPECT_EQ(Slot(2).Fields[0], "Title 3");
    EXPECT_EQ(Slot(1499).ID, 0);
}

// Two books of one ID, or a last book cut inside a line (a copy that
// stopped): loaded, the second book could never be reached by its ID, the cut
// text would be saved as whole. Refused as damaged; nothing changes.
TEST_F(DatabaseFile, DuplicateIdsAndACutInsideALineAreRefusedAsDamaged)
{
    const std::string cases[] = {
        FileOf({Item(5, "Earlier"), Item(5, "Later")}),
        FileOf({Item(1, "One"), Item(2, "Two"), Item(1, "One again")}),
        FileOf(Numbered(1)) + "2\r\nTw",
        FileOf(Numbered(1)) + "2",
        FileOf(Numbered(1)) + "2\r\nTwo\r\n\r\n\r",
        FileOf(Numbered(1)) + "2\r\nTw\x1a",
    };
    for (const std::string& bytes : cases) {
        TDatabase& db = OpenWith(FileOf(Numbered(2)));
        WriteDatabase(bytes);
        EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.LoadFromFile(); }), "#114: Database file corrupted.") << bytes;
        EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
        EXPECT_EQ(DatabaseBytes(), bytes);
    }
}

TEST_F(DatabaseFile, SaveDropsMarkedItemsAndKeepsTheOrder)
{
    TDatabase& db = OpenWith(FileOf(Numbered(5)));
    db.DeleteItem(2);
    db.DeleteItem(4);
    EXPECT_TRUE(db.ItemExists(2));
    EXPECT_EQ(db.Count(), 5);
    db.SaveToFile();
    EXPECT_FALSE(db.ItemExists(2));
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 3, 5}));
    for (int32_t i = 0; i < db.Count(); ++i)
        EXPECT_FALSE(Slot(i).Deleted);
    EXPECT_EQ(DatabaseBytes(), FileOf({Numbered(5)[0], Numbered(5)[2], Numbered(5)[4]}));
}

TEST_F(DatabaseFile, SaveAndReloadKeepEveryByteOfTheTexts)
{
    TDatabase& db = OpenWith("");
    TItem item = Item(1, std::string("nul\0inside", 10), "\x95 loaned \xE4\xF6\xFF", "  blanks  ");
    item.Fields[9] = "last";
    db.AddItem(item);
    db.SaveToFile();
    EXPECT_EQ(Slot(0).Fields, item.Fields);
}

TEST_F(DatabaseFile, FileOfExactly1500ItemsLoads)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1500)));
    EXPECT_EQ(db.Count(), 1500);
    EXPECT_EQ(Slot(1499).Fields[0], "Title 1500");
    // Full beyond the limit of adding: no add goes through, a save keeps all.
    EXPECT_EQ(ErrorOf<EORBLError>([&] { db.AddItem(Item(5000)); }), "#103: Database full.");
    db.SaveToFile();
    EXPECT_EQ(db.Count(), 1500);
}

TEST_F(DatabaseFile, FileOf1500ItemsAndATrailingEmptyLineLoadsAndSetsEmpty)
{
    TDatabase& db = OpenWith(FileOf(Numbered(1500)) + "\r\n");
    EXPECT_EQ(db.Count(), 1500);
    EXPECT_TRUE(db.Empty());
}

TEST_F(DatabaseFile, FileOfMoreThan1500ItemsIsRefusedWithoutChange)
{
    TDatabase& db = OpenWith(FileOf(Numbered(4)));
    db.DeleteItem(3);
    const int32_t sizeBefore = db.FileSize();
    for (int count : {1501, 3000}) {
        WriteDatabase(FileOf(Numbered(count)));
        EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.LoadFromFile(); }), "#113: Too many items in the database file.");
        EXPECT_EQ(db.Count(), 4);
        EXPECT_EQ(Slot(0).Fields[0], "Title 1");
        EXPECT_TRUE(Slot(2).Deleted);
        EXPECT_EQ(Slot(4).ID, 0);
        EXPECT_EQ(db.FileSize(), sizeBefore);
    }
    // The refused loads leave their texts in the load buffer; a smaller file
    // loaded next must take none of them over.
    const std::vector<TItem> next = {Item(7, "Seven"), Item(8)};
    WriteDatabase(FileOf(next));
    db.LoadFromFile();
    EXPECT_EQ(db.Count(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Slot(i).ID, next[static_cast<size_t>(i)].ID);
        EXPECT_EQ(Slot(i).Fields, next[static_cast<size_t>(i)].Fields);
    }
    EXPECT_EQ(Slot(2).Fields[0], "Title 3");
}

TEST_F(DatabaseFile, OverFullFileFailsCreate)
{
    WriteDatabase(FileOf(Numbered(1501)));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Open(); }), "#113: Too many items in the database file.");
}

} // namespace

// Reading never depends on writing: a settings file that cannot take the item
// count (read-only, a full disk) still opens the catalogue; the store keeps
// the count and its next save writes it.
TEST(DatabaseItemCount, ACountThatCannotBeWrittenDoesNotStopTheOpen)
{
    const struct {
        const char* What;
        std::function<std::unique_ptr<TFailingWriteStep>()> Arrange; // as an ordinary user
        std::function<void()> Mend;
    } cases[] = {
        {"a read-only settings file",
         [] {
             chmod("volumnia.kelt", 0444);
             return nullptr;
         },
         [] { chmod("volumnia.kelt", 0644); }},
        {"a full disk", [] { return std::make_unique<TFailingWriteStep>(0, false); }, [] {}},
    };
    OrdinaryUser::Run([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.What);
            TTempWorkingFolder folder;
            std::vector<std::string> lines{"orbl_databasefile", "books.orbl", "vString",
                                           "orbl_itemcount",    "1",          "vInteger"};
            for (size_t i = 0; i < Aliases.size(); ++i)
                lines.insert(lines.end(), {"orbl_alias" + std::to_string(i), Aliases[i], "vString"});
            const std::string settings = CrLfLines(lines);
            folder.WriteFile("volumnia.kelt", settings);
            folder.WriteFile("books.orbl", FileOf(Numbered(3)));
            std::unique_ptr<TFailingWriteStep> disk = c.Arrange();
            TRFileSystem store("volumnia.kelt");
            std::unique_ptr<TDatabase> database;
            ASSERT_NO_THROW(database = std::make_unique<TDatabase>(store));
            EXPECT_EQ(database->Count(), 3);
            EXPECT_EQ(folder.ReadFile("volumnia.kelt"), settings);
            EXPECT_EQ(store.ReadInteger("orbl_itemcount"), 3);
            disk.reset();
            c.Mend();
            store.WriteString("MF_X", "1");
            EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("orbl_itemcount"), 3);
        }
    });
}
