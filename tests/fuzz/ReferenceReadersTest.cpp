// The fuzz harnesses judge the real readers by the reference readings, so those
// must be right themselves: a wrong reference either floods the fuzzer with
// false findings or, worse, agrees with a faulty engine. Checked here against
// hand-made files whose content is known.
#include "fuzzing/ReferenceReaders.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace ReferenceReaders;
using namespace std::string_literals;

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string ItemOf(const std::string& id, const std::string& title, const std::string& end = "\r\n")
{
    return id + end + title + end + Repeat(end, 9);
}

std::string Items(int count, const std::string& end = "\n")
{
    std::string out;
    // A named number: "T" + std::to_string(i) inserts into a temporary, where
    // GCC 12 at -O3 reports a false -Wrestrict inside std::string's operator+.
    for (int i = 1; i <= count; ++i) {
        const std::string id = std::to_string(i);
        out += ItemOf(id, "T" + id, end);
    }
    return out;
}

TEST(ReferenceReaders, LinesFollowTheReadingRules)
{
    struct TRow {
        std::string Bytes;
        std::vector<std::string> Lines;
    };
    const std::vector<TRow> rows = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"a\rb\r\n", {"ab"}},
        {"\r", {""}},
        {"a\n\r", {"a", ""}},
        {"a\x1a\nb", {"a"}},
        {"\x1a\r\nb\r\n", {}},
        {"x\0y\r\n"s, {"x\0y"s}},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(Lines(row.Bytes), row.Lines) << ::testing::PrintToString(row.Bytes);
}

TEST(ReferenceReaders, IntegerTakesExactlyTheFileNumberForms)
{
    struct TRow {
        std::string Text;
        std::optional<int32_t> Value;
    };
    const std::vector<TRow> rows = {
        {"12", 12},
        {"  12", 12},
        {"+7", 7},
        {"-0", 0},
        {"000000000000012", 12},
        {"-2147483648", INT_MIN},
        {"2147483647", INT_MAX},
        {"$1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0x10", 16},
        {"0X10", 16},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {" $7fffffff", INT_MAX},
        {"2147483648", {}},
        {"-2147483649", {}},
        {"99999999999999999999", {}},
        {"$123456789", {}},
        {"$", {}},
        {"0x", {}},
        {"-$1", {}},
        {"+0x1", {}},
        {"12 ", {}},
        {"", {}},
        {"   ", {}},
        {"+", {}},
        {"1e3", {}},
        {"\t5", {}},
        {"FF", {}},
        {"00x1", {}},
        {"$1G", {}},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(Integer(row.Text), row.Value) << '"' << row.Text << '"';
}

TEST(ReferenceReaders, ExpectedDatabaseEndsWhereTheFileSays)
{
    using TOutcome = TExpectedDatabase::TOutcome;
    struct TRow {
        const char* Name;
        std::string Bytes;
        TOutcome Outcome;
        size_t Count;
        bool Empty;
    };
    // append, not "\x1a" + ItemOf(...): the same false -Wrestrict as in Items.
    const std::vector<TRow> rows = {
        {"no bytes", "", TOutcome::Loaded, 0, false},
        {"Ctrl+Z first, an item after it", "\x1a"s.append(ItemOf("1", "A")), TOutcome::TextAfterCtrlZ, 0, false},
        {"Ctrl+Z after the items, line ends after it", ItemOf("1", "A") + "\x1a\r\n\x1a", TOutcome::Loaded, 1, false},
        {"one empty line", "\r\n", TOutcome::Loaded, 0, true},
        {"one item", ItemOf("12", "abc"), TOutcome::Loaded, 1, false},
        {"empty ID line after three, empty lines after it", Items(3) + "\n\r\n\n", TOutcome::Loaded, 3, true},
        {"empty ID line after three, items after it", Items(3) + "\n" + Items(2), TOutcome::TextAfterEmptyIdLine, 3,
         true},
        {"last item cut inside a line", ItemOf("1", "A") + "2\r\nB", TOutcome::CutInsideALine, 2, false},
        {"last item short of lines, with its line end", ItemOf("1", "A") + "2\r\nB\r\n", TOutcome::Loaded, 2, false},
        {"two items of one ID", ItemOf("1", "A") + ItemOf("1", "B"), TOutcome::TwoOfOneId, 2, false},
        {"bad ID after one", ItemOf("1", "A") + ItemOf("12a", "B"), TOutcome::BadIdLine, 1, false},
        {"full table", Items(1500), TOutcome::Loaded, 1500, false},
        {"full table, then an empty line", Items(1500) + "\n", TOutcome::Loaded, 1500, true},
        {"one item too many", Items(1501), TOutcome::TooManyItems, 1500, false},
        {"bad ID beyond the table", Items(1500) + ItemOf("x", ""), TOutcome::TooManyItems, 1500, false},
    };
    for (const TRow& row : rows) {
        const TExpectedDatabase expected = ExpectedDatabase(row.Bytes);
        EXPECT_EQ(expected.Outcome, row.Outcome) << row.Name;
        EXPECT_EQ(expected.Items.size(), row.Count) << row.Name;
        EXPECT_EQ(expected.Empty, row.Empty) << row.Name;
    }
}

TEST(ReferenceReaders, ExpectedDatabaseReadsItemsWholeAndWritesThemCanonically)
{
    const std::string oneItem = "12\r\nabc\r\n" + Repeat("\r\n", 9);
    ASSERT_EQ(oneItem.size(), 27u);
    const TExpectedDatabase one = ExpectedDatabase(oneItem);
    ASSERT_EQ(one.Items.size(), 1u);
    EXPECT_EQ(one.Items[0].ID, 12);
    EXPECT_EQ(one.Items[0].Fields[0], "abc");
    EXPECT_EQ(DatabaseFileOf(one.Items), oneItem);

    // LF ends, a lone CR, a number form and a cut-off item all come out in the
    // one form a save writes.
    const TExpectedDatabase mixed = ExpectedDatabase(" $1F\nT\ri\nA\n" + Repeat("\n", 8) + "-5\r\nLast\n");
    ASSERT_EQ(mixed.Items.size(), 2u);
    EXPECT_EQ(mixed.Items[0].ID, 31);
    EXPECT_EQ(mixed.Items[0].Fields[0], "Ti");
    EXPECT_EQ(mixed.Items[0].Fields[1], "A");
    EXPECT_EQ(mixed.Items[1].Fields[0], "Last");
    EXPECT_EQ(DatabaseFileOf(mixed.Items),
              "31\r\nTi\r\nA\r\n" + Repeat("\r\n", 8) + "-5\r\nLast\r\n" + Repeat("\r\n", 9));

    const TExpectedDatabase bad = ExpectedDatabase(ItemOf("1", "A") + " 12a\r\n");
    EXPECT_EQ(bad.BadLine, " 12a");
}

TEST(ReferenceReaders, ExpectedSettingsEndsWhereTheFileSays)
{
    using TOutcome = TExpectedSettings::TOutcome;
    const std::string entry = "MF_X\r\n300\r\nvInteger\r\n";
    std::string full;
    for (int i = 0; i < 1500; ++i)
        full += "k\nv\nvString\n";
    struct TRow {
        const char* Name;
        std::string Bytes;
        TOutcome Outcome;
        size_t Count;
    };
    const std::vector<TRow> rows = {
        {"no bytes", "", TOutcome::Loaded, 0},
        {"one entry", entry, TOutcome::Loaded, 1},
        {"last line without its end", "MF_Y\r\n300\r\nvInteger", TOutcome::Loaded, 1},
        {"Ctrl+Z before an entry", entry + "\x1a" + entry, TOutcome::Corrupted, 0},
        {"Ctrl+Z and line ends after the last entry", entry + "\x1a\n", TOutcome::Loaded, 1},
        {"stops after the name", entry + "B\r\n", TOutcome::Corrupted, 1},
        {"stops after the value", entry + "B\r\n2\r\n", TOutcome::Corrupted, 1},
        {"one extra empty line", entry + "\r\n", TOutcome::Corrupted, 1},
        {"kind word in lower case", "A\r\n1\r\nvstring\r\n", TOutcome::Corrupted, 0},
        {"all four kind words", "a\n\nvString\nb\n\nvInteger\nc\n\nvFloat\nd\n\nvBoolean\n", TOutcome::Loaded, 4},
        {"full table", full, TOutcome::Loaded, 1500},
        {"one value too many", full + entry, TOutcome::TooManyValues, 1500},
    };
    for (const TRow& row : rows) {
        const TExpectedSettings expected = ExpectedSettings(row.Bytes);
        EXPECT_EQ(expected.Outcome, row.Outcome) << row.Name;
        EXPECT_EQ(expected.Values.size(), row.Count) << row.Name;
    }
}

TEST(ReferenceReaders, ExpectedSettingsKeepsTextsAndKindsAndWritesThemCanonically)
{
    const TExpectedSettings read = ExpectedSettings("s\n pad \nvString\nf\n1.5\r\nvFloat\nb\r\ntr\rue\nvBoolean");
    ASSERT_EQ(read.Values.size(), 3u);
    EXPECT_EQ(read.Values[0].Value, " pad ");
    EXPECT_EQ(read.Values[1].Kind, TValueKind::vFloat);
    EXPECT_EQ(read.Values[2].Kind, TValueKind::vBoolean);
    EXPECT_EQ(read.Values[2].Value, "true");
    EXPECT_EQ(SettingsFileOf(read.Values), "s\r\n pad \r\nvString\r\nf\r\n1.5\r\nvFloat\r\nb\r\ntrue\r\nvBoolean\r\n");
    // A value of the kind that is never saved leaves no lines.
    EXPECT_EQ(SettingsFileOf({TValue{"gone", "x", TValueKind::vUnsaved}}), "");
}

} // namespace
