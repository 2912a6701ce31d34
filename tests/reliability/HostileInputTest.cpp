/*
 * Files and texts no installation would write, fed to both stores: a UTF-8
 * byte-order mark, NUL and other binary bytes, single lines of ten megabytes,
 * ten megabytes of line ends, mixed line ends, cut-off records, an extra line
 * that shifts every record after it, 1500 and 10 000 records, and line breaks
 * given through the API. Each has one documented outcome: the error (class and
 * message) or the store it makes; a refused file changes nothing in memory,
 * and nothing may crash, hang or reach past the 1500 slots of a table.
 */
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "tests/reliability/DatabaseModel.h"
#include "tests/reliability/StoreFolder.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace {

using namespace Reliability;

constexpr size_t TenMegabytes = 10 * 1024 * 1024;

std::string Lines(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// One item's eleven lines.
std::string Record(const std::string& id, const std::string& title = {}, const std::string& last = {})
{
    return Lines({id, title, "", "", "", "", "", "", "", "", last});
}

std::string Records(int count)
{
    std::string bytes;
    for (int i = 1; i <= count; ++i)
        bytes += Record(std::to_string(i), "Title " + std::to_string(i));
    return bytes;
}

std::string Repeated(const std::string& piece, size_t atLeast)
{
    std::string bytes;
    bytes.reserve(atLeast + piece.size());
    while (bytes.size() < atLeast)
        bytes += piece;
    return bytes;
}

// Every byte but the three that end lines or data.
std::string BinaryText()
{
    std::string text;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n' && b != 26)
            text.push_back(static_cast<char>(b));
    return text;
}

std::string NotAnInteger(const std::string& text)
{
    return NotAnIntegerMessage(text);
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    std::unique_ptr<TTempWorkingFolder> FolderOnRam = RamFolder();
    TTempWorkingFolder& Folder = *FolderOnRam;
};

// --- The database file -----------------------------------------------------

struct TDatabaseCase {
    const char* What;
    std::function<std::string()> Bytes;
    TOutcome Outcome;
    int32_t Count;
    bool Empty;
    // Further checks of the engine after the load; the file's bytes are given.
    std::function<void(TDatabase&, const std::string&)> Check;
};

// The three items the engine held before the load are still in place.
void HoldsTheStartItems(TDatabase& db, const std::string&)
{
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(db.GetField(-1, i, "Book title"), "Start " + std::to_string(i + 1));
}

// A file refused whole changes nothing, not even FileSize.
void RefusedWhole(TDatabase& db, const std::string& bytes)
{
    HoldsTheStartItems(db, bytes);
    EXPECT_EQ(db.FileSize(), 1);
}

// The store's save writes back exactly the bytes it read.
void SavesTheSameBytes(TDatabase& db, const std::string& bytes)
{
    db.SaveToFile();
    EXPECT_TRUE(TTextFile::ReadAll("books.orbl") == bytes) << "the save changed the file";
}

TEST_F(HostileInput, DatabaseFiles)
{
    const std::string binary = BinaryText();
    const std::string bigText(TenMegabytes, 'x');
    const std::string bigNumber(TenMegabytes, '7');
    const TDatabaseCase cases[] = {
        {"an empty file", [] { return std::string(); }, NoError(), 0, false, nullptr},
        {"only a Ctrl+Z", [] { return std::string("\x1a"); }, NoError(), 0, false, nullptr},
        // append, not "\x1a" + Record(...): GCC 12 at -O3 reports a false
        // -Wrestrict inside std::string's operator+ that inserts into a temporary.
        {"books after a Ctrl+Z",
         [] { return std::string("\x1a").append(Record("1", "One")); },
         {"EDatabaseError", "#114: Database file corrupted."},
         3,
         false,
         RefusedWhole},
        {"a UTF-8 byte-order mark before the first ID",
         [] { return "\xEF\xBB\xBF" + Record("1", "One"); },
         {"EConvertError", NotAnInteger("\xEF\xBB\xBF"
                                        "1")},
         3,
         false,
         HoldsTheStartItems},
        {"every byte value in the texts",
         [&] { return Record("1", binary, binary) + Record("2", std::string("\0", 1)); }, NoError(), 2, false,
         [&](TDatabase& db, const std::string& bytes) {
             EXPECT_TRUE(db.GetField(1, -1, "Book title") == binary);
             EXPECT_TRUE(db.GetField(2, -1, "Book title") == std::string("\0", 1));
             SavesTheSameBytes(db, bytes);
         }},
        {"a NUL in an ID line",
         [] { return Record(std::string("1\0", 2), "One"); },
         {"EConvertError", NotAnInteger(std::string("1\0", 2))},
         3,
         false,
         HoldsTheStartItems},
        {"a text line of ten megabytes without a line end: cut off, damaged",
         [&] { return "7\r\n" + bigText; },
         {"EDatabaseError", "#114: Database file corrupted."},
         3,
         false,
         RefusedWhole},
        {"a text line of ten megabytes", [&] { return "7\r\n" + bigText + "\r\n"; }, NoError(), 1, false,
         [&](TDatabase& db, const std::string&) {
             EXPECT_EQ(db.GetField(7, -1, "Book title").size(), TenMegabytes);
             EXPECT_EQ(db.GetField(7, -1, "Book author"), "");
             EXPECT_EQ(db.FileSize(), static_cast<int32_t>((TenMegabytes + 5) / 128));
             db.SaveToFile();
             EXPECT_EQ(TTextFile::ReadAll("books.orbl").size(), 3 + TenMegabytes + 20);
         }},
        {"an ID line of ten megabytes of digits",
         [&] { return bigNumber + "\r\n"; },
         {"EConvertError", NotAnInteger(bigNumber)},
         3,
         false,
         HoldsTheStartItems},
        {"ten megabytes of LF alone", [] { return std::string(TenMegabytes, '\n'); }, NoError(), 3, true, nullptr},
        {"ten megabytes of one-line records",
         [] { return Repeated("1\n", TenMegabytes); },
         {"EDatabaseError", "#113: Too many items in the database file."},
         3,
         false,
         RefusedWhole},
        {"CR LF, LF and lone CRs mixed", [] { return std::string("5\nA\r\nB\rC\r\r\n\n\n\n\n\n\n\nZ\r6\r\n6\r\r\n"); },
         NoError(), 2, false,
         [](TDatabase& db, const std::string&) {
             TItem item;
             db.GetItem(5, -1, item);
             EXPECT_EQ(item.Fields[0], "A");
             EXPECT_EQ(item.Fields[1], "BC");
             EXPECT_EQ(item.Fields[2], "");
             EXPECT_EQ(item.Fields[9], "Z6");
             EXPECT_TRUE(db.ItemExists(6));
         }},
        // Loaded, the cut text would be saved as whole: a damaged file.
        {"a record cut off inside a text",
         [] { return Record("1", "One") + "2\r\nTw"; },
         {"EDatabaseError", "#114: Database file corrupted."},
         3,
         false,
         RefusedWhole},
        {"a record cut off after a line end", [] { return Record("1", "One") + "2\r\nTwo\r\n"; }, NoError(), 2, false,
         [](TDatabase& db, const std::string&) {
             EXPECT_EQ(db.GetField(2, -1, "Book title"), "Two");
             EXPECT_EQ(db.GetField(2, -1, "Book author"), "");
         }},
        {"two records of one ID",
         [] { return Record("1", "One") + Record("1", "Again"); },
         {"EDatabaseError", "#114: Database file corrupted."},
         3,
         false,
         RefusedWhole},
        {"one line too many shifts the records after it",
         [] { return Record("1", "One") + "an extra line\r\n" + Record("2", "Two"); },
         {"EConvertError", NotAnInteger("an extra line")},
         1,
         false,
         [](TDatabase& db, const std::string&) { EXPECT_EQ(db.GetField(-1, 0, "Book title"), "One"); }},
        {"1500 records", [] { return Records(1500); }, NoError(), 1500, false,
         [](TDatabase& db, const std::string&) {
             EXPECT_EQ(db.GetField(-1, 1499, "Book title"), "Title 1500");
             EXPECT_EQ(Capture([&] {
                           db.AddItem(TItem{99999, {}, false});
                       }),
                       (TOutcome{"EORBLError", "#103: Database full."}));
         }},
        {"10 000 records",
         [] { return Records(10000); },
         {"EDatabaseError", "#113: Too many items in the database file."},
         3,
         false,
         RefusedWhole},
        {"the widest IDs in every spelling",
         [] { return Record("-2147483648") + Record("$FFFFFFFF") + Record(" 2147483647") + Record("0x80000001"); },
         NoError(), 4, false,
         [](TDatabase& db, const std::string&) {
             for (int32_t id : {INT32_MIN, -1, INT32_MAX, INT32_MIN + 1})
                 EXPECT_TRUE(db.ItemExists(id)) << id;
         }},
    };
    for (const TDatabaseCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::string start;
        for (int i = 1; i <= 3; ++i)
            start += Record(std::to_string(i), "Start " + std::to_string(i), std::string(40, 'p'));
        ASSERT_EQ(start.size() / 128, 1u);
        Folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl"));
        Folder.WriteFile("books.orbl", start);
        TRFileSystem settings("volumnia.kelt");
        TDatabase db(settings);

        const std::string bytes = c.Bytes();
        Folder.WriteFile("books.orbl", bytes);
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(Capture([&] { db.LoadFromFile(); }), c.Outcome);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10)) << "the load took too long";
        EXPECT_EQ(db.Count(), c.Count);
        EXPECT_EQ(db.Empty(), c.Empty);
        if (c.Check)
            c.Check(db, bytes);
        // A program started on the file meets the same outcome.
        EXPECT_EQ(Capture([&] { TDatabase fresh(settings); }), c.Outcome);
    }
}

// --- The settings file -----------------------------------------------------

struct TSettingsCase {
    const char* What;
    std::function<std::string()> Bytes;
    TOutcome Outcome;
    int32_t Count;
    std::function<void(TRFileSystem&, const std::string&)> Check;
};

void HoldsTheStartValues(TRFileSystem& store, const std::string&)
{
    EXPECT_EQ(store.ReadString("AlwaysOnTop"), "false");
    EXPECT_EQ(store.ReadInteger("MF_X"), 300);
}

void WritesTheSameBytes(TRFileSystem& store, const std::string& bytes)
{
    store.SaveToFile();
    EXPECT_TRUE(TTextFile::ReadAll("volumnia.kelt") == bytes) << "the save changed the file";
}

std::string Entries(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += Lines({"key" + std::to_string(i), std::to_string(i), "vInteger"});
    return bytes;
}

TEST_F(HostileInput, SettingsFiles)
{
    const std::string binary = BinaryText();
    const std::string big(TenMegabytes, 'v');
    const TOutcome corrupted{"EKELTError", "#102: File corrupted."};
    const TOutcome tooMany{"EKELTError", "#108: Too many values in the file."};
    const TSettingsCase cases[] = {
        {"an empty file", [] { return std::string(); }, NoError(), 2, HoldsTheStartValues},
        {"a UTF-8 byte-order mark before the first name",
         [] {
             return "\xEF\xBB\xBF" + Lines({"AlwaysOnTop", "true", "vString"});
         },
         NoError(), 1,
         [](TRFileSystem& store, const std::string&) {
             EXPECT_EQ(store.ReadString("\xEF\xBB\xBF"
                                        "AlwaysOnTop"),
                       "true");
             EXPECT_EQ(Capture([&] { store.ReadString("AlwaysOnTop"); }),
                       (TOutcome{"EInvalidParam", "#105: Supplied value name not found."}));
         }},
        {"every byte value in a name and a value",
         [&] {
             return Lines({binary, binary, "vString", std::string("\0", 1), "", "vBoolean"});
         },
         NoError(), 2,
         [&](TRFileSystem& store, const std::string& bytes) {
             EXPECT_TRUE(store.ReadString(binary) == binary);
             EXPECT_TRUE(store.ValueExists(std::string("\0", 1)));
             EXPECT_FALSE(store.ValueExists(""));
             WritesTheSameBytes(store, bytes);
         }},
        {"a NUL after a kind word",
         [] {
             return Lines({"a", "1", std::string("vString\0", 8)});
         },
         corrupted, 2, HoldsTheStartValues},
        {"a single line of ten megabytes", [&] { return big; }, corrupted, 2, HoldsTheStartValues},
        {"a value of ten megabytes",
         [&] {
             return Lines({"orbl_databasefile", big, "vString"});
         },
         NoError(), 1,
         [&](TRFileSystem& store, const std::string& bytes) {
             EXPECT_EQ(store.ReadString("orbl_databasefile").size(), TenMegabytes);
             WritesTheSameBytes(store, bytes);
             // A write saves and reads the whole file back, ten megabytes included.
             store.WriteInteger("MF_X", 1);
             EXPECT_EQ(TTextFile::ReadAll("volumnia.kelt").size(), bytes.size() + 19);
         }},
        {"ten megabytes of line ends", [] { return std::string(TenMegabytes, '\n'); }, corrupted, 2,
         HoldsTheStartValues},
        {"ten megabytes of entries", [] { return Repeated("a\nb\nvString\n", TenMegabytes); }, tooMany, 2,
         HoldsTheStartValues},
        {"CR LF, LF and lone CRs mixed",
         [] { return std::string("Al\rways\nfa\r\rlse\r\r\nvInteger\nMF_X\r\n-7\r\nvStr\ring"); }, NoError(), 2,
         [](TRFileSystem& store, const std::string&) {
             EXPECT_EQ(store.ReadString("Always"), "false");
             EXPECT_EQ(store.ValueAt(0).Kind, TValueKind::vInteger);
             EXPECT_EQ(store.ReadInteger("MF_X"), -7);
             EXPECT_EQ(store.ValueAt(1).Kind, TValueKind::vString);
         }},
        {"a last entry cut off after its name",
         [] {
             return Lines({"a", "1", "vString"}) + "b";
         },
         corrupted, 2, HoldsTheStartValues},
        {"a Ctrl+Z inside a value",
         [] {
             return std::string("a\r\nb\x1a"
                                "c\r\nvString\r\n");
         },
         corrupted, 2, HoldsTheStartValues},
        {"1500 entries", [] { return Entries(1500); }, NoError(), 1500,
         [](TRFileSystem& store, const std::string&) {
             EXPECT_EQ(store.ReadInteger("key1499"), 1499);
             EXPECT_EQ(Capture([&] { store.WriteString("new", "x"); }),
                       (TOutcome{"EKELTError", "#107: Cannot add value. Too many values."}));
             store.WriteString("key1499", "still writable");
             EXPECT_EQ(store.ValueCount(), 1500);
         }},
        {"10 000 entries", [] { return Entries(10000); }, tooMany, 2, HoldsTheStartValues},
    };
    for (const TSettingsCase& c : cases) {
        SCOPED_TRACE(c.What);
        Folder.WriteFile("volumnia.kelt", Lines({"AlwaysOnTop", "false", "vString", "MF_X", "300", "vInteger"}));
        TRFileSystem store("volumnia.kelt");

        const std::string bytes = c.Bytes();
        Folder.WriteFile("volumnia.kelt", bytes);
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(Capture([&] { store.LoadFromFile(); }), c.Outcome);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10)) << "the load took too long";
        EXPECT_EQ(store.ValueCount(), c.Count);
        if (c.Check)
            c.Check(store, bytes);
        // A program started on the file meets the same outcome.
        EXPECT_EQ(Capture([&] { TRFileSystem fresh("volumnia.kelt"); }), c.Outcome);
    }
}

// --- Line breaks given through the API --------------------------------------

TEST_F(HostileInput, LineBreaksThroughTheApiNeverBreakTheFileFormat)
{
    const std::string breaks = Repeated("\r\n\x1a\n\r", 1024 * 1024);
    const std::string blanks(breaks.size(), ' ');

    Folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl"));
    Folder.WriteFile("books.orbl", Record("1", "One"));
    TRFileSystem settings("volumnia.kelt");
    TDatabase db(settings);
    TItem item{2, {}, false};
    for (std::string& field : item.Fields)
        field = std::string("a").append(breaks, 0, 7).append("b"); // the same false -Wrestrict as above
    item.Fields[0] = breaks;
    db.AddItem(item);
    db.UpdateItem(TItem{1, {"\n", "\r", "\x1a", "x\r\ny"}, false});
    db.ReplaceFieldValue("Book author", " ", "\r\n");
    db.SaveToFile();
    // Eleven lines a record, the two records only.
    const std::string file = TTextFile::ReadAll("books.orbl");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 22);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 22);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\x1a'), 0);
    ASSERT_EQ(db.Count(), 2);
    EXPECT_EQ(db.GetField(2, -1, "Book title"), blanks);
    EXPECT_EQ(db.GetField(2, -1, "Book author"), "a       b");
    EXPECT_EQ(db.GetField(1, -1, "Book title"), " ");
    EXPECT_EQ(db.GetField(1, -1, "Book author"), "  "); // its blank replaced by CR LF, made two blanks
    EXPECT_EQ(db.GetField(1, -1, "Year published"), "x  y");

    TRFileSystem store("volumnia.kelt");
    const int32_t count = store.ValueCount();
    store.WriteString("big" + breaks.substr(0, 3), breaks);
    store.WriteString("\r\n", "\n");
    EXPECT_EQ(store.ValueCount(), count + 2);
    EXPECT_EQ(store.ReadString("big   "), blanks);
    EXPECT_EQ(store.ReadString("  "), " ");
    // The same name with line breaks finds the entry stored under blanks.
    store.WriteInteger("big\n\r\n", 5);
    EXPECT_EQ(store.ValueCount(), count + 2);
    const std::string kelt = TTextFile::ReadAll("volumnia.kelt");
    EXPECT_EQ(std::count(kelt.begin(), kelt.end(), '\n'), 3 * store.ValueCount());
    EXPECT_EQ(TRFileSystem("volumnia.kelt").ReadInteger("big   "), 5);
}

} // namespace
