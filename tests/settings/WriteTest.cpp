/*
 * Reading and writing values: lookups and their errors, writes that reach the
 * file at once, kinds, duplicates, the capacity limit, and names or values
 * carrying bytes the file format cannot hold.
 */
#include "tests/settings/SettingsFixture.h"

#include <optional>

namespace {

using namespace SettingsTest;

using Values = std::vector<TValue>;

class SettingsWrite : public TSettingsFixture {};

TEST_F(SettingsWrite, AnEmptyStoreHasNoValuesUntilTheFirstWrite)
{
    TRFileSystem& store = OpenWith("");
    EXPECT_FALSE(store.ValueExists("AlwaysOnTop"));
    EXPECT_FALSE(store.ValueExists(""));
    EXPECT_EQ(ErrorOf<EInvalidParam>([&] { store.ReadString("AlwaysOnTop"); }), "#104: No values saved.");
    EXPECT_EQ(ErrorOf<EInvalidParam>([&] { store.ReadInteger("MF_X"); }), "#104: No values saved.");

    store.WriteString("AlwaysOnTop", "false");
    EXPECT_EQ(FileBytes(), "AlwaysOnTop\r\nfalse\r\nvString\r\n");
    EXPECT_EQ(store.ReadString("AlwaysOnTop"), "false");
}

TEST_F(SettingsWrite, NamesMatchExactly)
{
    TRFileSystem& store = OpenWith(CrLfLines({"MF_X", "300", "vInteger"}));
    for (const std::string name : {"mf_x", "Mf_X", "MF_X ", " MF_X", "MF_", "MF_XX", ""}) {
        EXPECT_FALSE(store.ValueExists(name)) << name;
        EXPECT_EQ(ErrorOf<EInvalidParam>([&] { store.ReadString(name); }), "#105: Supplied value name not found.")
            << name;
    }
    EXPECT_TRUE(store.ValueExists("MF_X"));
    std::string value;
    store.GetValue("MF_X", value);
    EXPECT_EQ(value, "300");
}

TEST_F(SettingsWrite, WritesReachTheFileBeforeTheyReturn)
{
    OpenWith(CrLfLines({"AlwaysOnTop", "false", "vString"}));
    Store->WriteInteger("MF_X", 300);
    Store->WriteString("AlwaysOnTop", "true");
    Store->WriteInteger("MF_Y", 0);
    EXPECT_EQ(FileBytes(),
              CrLfLines({"AlwaysOnTop", "true", "vString", "MF_X", "300", "vInteger", "MF_Y", "0", "vInteger"}));
    // The next run finds them, in the same order.
    const Values written = Held();
    Open();
    EXPECT_EQ(Held(), written);
    EXPECT_EQ(Store->ReadInteger("MF_X"), 300);
}

TEST_F(SettingsWrite, AWriteReplacesTheFileWithTheStore)
{
    TRFileSystem& store = OpenWith(CrLfLines({"SortMethod", "ByName", "vString"}));
    // Another program added an entry since the store was read; an unchanged write still rewrites the file.
    WriteLines({"SortMethod", "ByName", "vString", "Intruder", "x", "vString"});
    store.WriteString("SortMethod", "ByName");
    EXPECT_EQ(FileBytes(), CrLfLines({"SortMethod", "ByName", "vString"}));
    EXPECT_FALSE(store.ValueExists("Intruder"));
}

TEST_F(SettingsWrite, AWriteSetsTheKindOfTheEntry)
{
    TRFileSystem& store = OpenWith("");
    store.WriteInteger("MF_X", -5);
    EXPECT_EQ(Held(), (Values{{"MF_X", "-5", TValueKind::vInteger}}));
    EXPECT_EQ(store.ReadInteger("MF_X"), -5);
    store.WriteString("MF_X", "7");
    EXPECT_EQ(Held(), (Values{{"MF_X", "7", TValueKind::vString}}));
    EXPECT_EQ(store.ReadInteger("MF_X"), 7);
    EXPECT_EQ(FileBytes(), "MF_X\r\n7\r\nvString\r\n");
    store.WriteInteger("MF_X", INT32_MIN);
    EXPECT_EQ(FileBytes(), "MF_X\r\n-2147483648\r\nvInteger\r\n");
}

TEST_F(SettingsWrite, ReadIntegerConvertsAnyKindsText)
{
    const struct {
        std::string Text;
        std::string Kind;
        std::optional<int32_t> Expected;
    } cases[] = {
        {" 12", "vString", 12},         {"$1F", "vString", 31},
        {"-5", "vInteger", -5},         {"x80000000", "vInteger", INT32_MIN},
        {"42", "vFloat", 42},           {"1", "vBoolean", 1},
        {"12 ", "vInteger", {}},        {"", "vInteger", {}},
        {"1.5", "vFloat", {}},          {"true", "vBoolean", {}},
        {"2147483648", "vInteger", {}},
    };
    for (const auto& c : cases) {
        TRFileSystem& store = OpenWith(CrLfLines({"n", c.Text, c.Kind}));
        EXPECT_EQ(store.ReadString("n"), c.Text);
        if (c.Expected)
            EXPECT_EQ(store.ReadInteger("n"), *c.Expected) << c.Text;
        else
            EXPECT_EQ(ErrorOf<EConvertError>([&] { store.ReadInteger("n"); }),
                      "'" + c.Text + "' is not a valid integer value");
    }
}

TEST_F(SettingsWrite, KindsFromTheFileAreWrittenBackUnchanged)
{
    const std::string file =
        CrLfLines({"Zoom", "1.5", "vFloat", "Splash", "True", "vBoolean", "MF_X", "1", "vInteger"});
    TRFileSystem& store = OpenWith(file);
    store.WriteInteger("MF_X", 1);
    EXPECT_EQ(FileBytes(), file);
}

TEST_F(SettingsWrite, OnlyTheFirstOfTwoEntriesOfANameIsReadAndWritten)
{
    TRFileSystem& store =
        OpenWith(CrLfLines({"MF_X", "1", "vInteger", "MF_Y", "5", "vInteger", "MF_X", "2", "vInteger"}));
    EXPECT_EQ(store.ReadInteger("MF_X"), 1);
    store.WriteInteger("MF_X", 9);
    EXPECT_EQ(FileBytes(), CrLfLines({"MF_X", "9", "vInteger", "MF_Y", "5", "vInteger", "MF_X", "2", "vInteger"}));
    EXPECT_EQ(store.ValueCount(), 3);
}

TEST_F(SettingsWrite, TheStoreTakesAtMost1499ValuesByAdding)
{
    const struct {
        int Held;
        bool NewNameAccepted;
    } cases[] = {{1497, true}, {1498, true}, {1499, false}, {1500, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Held);
        TRFileSystem& store = OpenWith(NumberedFile(c.Held));
        const std::string before = FileBytes();
        if (c.NewNameAccepted) {
            store.WriteString("AlwaysOnTop", "false");
            EXPECT_EQ(store.ValueCount(), c.Held + 1);
            EXPECT_EQ(FileBytes(), before + CrLfLines({"AlwaysOnTop", "false", "vString"}));
            continue;
        }
        EXPECT_EQ(ErrorOf<EKELTError>([&] { store.WriteString("AlwaysOnTop", "false"); }),
                  "#107: Cannot add value. Too many values.");
        EXPECT_EQ(ErrorOf<EKELTError>([&] { store.WriteInteger("MF_X", 1); }),
                  "#107: Cannot add value. Too many values.");
        EXPECT_EQ(store.ValueCount(), c.Held);
        EXPECT_FALSE(store.ValueExists("AlwaysOnTop"));
        EXPECT_EQ(FileBytes(), before);
        // A name already held is still written.
        store.WriteInteger("key7", 77);
        EXPECT_EQ(store.ReadInteger("key7"), 77);
        EXPECT_EQ(store.ValueCount(), c.Held);
    }
}

TEST_F(SettingsWrite, UpdatingANameNotHeldDoesNothing)
{
    TRFileSystem& store = OpenWith(CrLfLines({"MF_X", "1", "vInteger"}));
    // With the file gone, any save would raise: so no save is tried.
    Folder.Remove(FileName);
    store.UpdateValue({"MF_Y", "2", TValueKind::vInteger});
    EXPECT_FALSE(store.ValueExists("MF_Y"));
    EXPECT_EQ(store.ValueCount(), 1);
    EXPECT_FALSE(Folder.Exists(FileName));
}

TEST_F(SettingsWrite, UnsavedEntriesNeverReachTheFile)
{
    TRFileSystem& store = OpenWith(CrLfLines({"a", "1", "vString", "b", "2", "vString"}));
    store.AddValue({"scratch", "x", TValueKind::vUnsaved});
    EXPECT_EQ(FileBytes(), CrLfLines({"a", "1", "vString", "b", "2", "vString"}));
    EXPECT_FALSE(store.ValueExists("scratch")) << "the reload reads back what was saved";

    store.UpdateValue({"a", "1", TValueKind::vUnsaved});
    EXPECT_EQ(FileBytes(), CrLfLines({"b", "2", "vString"}));
    EXPECT_EQ(Held(), (Values{{"b", "2", TValueKind::vString}}));
}

TEST_F(SettingsWrite, LineBreaksInNamesAndValuesBecomeBlanks)
{
    const struct {
        const char* What;
        std::string Name, Value;
        std::string StoredName, StoredValue;
    } cases[] = {
        {"LF in the value", "Note", "two\nlines", "Note", "two lines"},
        {"CR LF in the value", "Note", "two\r\nlines", "Note", "two  lines"},
        {"lone CR in the value", "Note", "a\rb", "Note", "a b"},
        {"Ctrl+Z in the value", "Note",
         "a\x1a"
         "b",
         "Note", "a b"},
        {"value of breaks only", "Note", "\r\n\x1a", "Note", "   "},
        {"LF in the name", "Long\nname", "v", "Long name", "v"},
        {"Ctrl+Z in the name", "\x1a", "v", " ", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TRFileSystem& store = OpenWith(CrLfLines({"First", "1", "vString"}));
        store.WriteString(c.Name, c.Value);
        const Values expected{{"First", "1", TValueKind::vString}, {c.StoredName, c.StoredValue, TValueKind::vString}};
        EXPECT_EQ(Held(), expected);
        EXPECT_EQ(FileBytes(), CrLfLines({"First", "1", "vString", c.StoredName, c.StoredValue, "vString"}));
        // The name as the caller wrote it finds the entry, and writing it again updates, not adds.
        EXPECT_EQ(store.ReadString(c.Name), c.StoredValue);
        store.WriteInteger(c.Name, 5);
        EXPECT_EQ(store.ValueCount(), 2);
        EXPECT_EQ(store.ReadInteger(c.StoredName), 5);
        // The next run reads the same store.
        Open();
        EXPECT_EQ(Store->ReadInteger(c.StoredName), 5);
    }
}

TEST_F(SettingsWrite, AddAndUpdateCleanTheEntryToo)
{
    TRFileSystem& store = OpenWith(CrLfLines({"a", "1", "vString"}));
    store.AddValue({"b\r\n", "x\ny", TValueKind::vFloat});
    store.UpdateValue({"a", "p\rq", TValueKind::vBoolean});
    EXPECT_EQ(FileBytes(), CrLfLines({"a", "p q", "vBoolean", "b  ", "x y", "vFloat"}));
}

} // namespace
