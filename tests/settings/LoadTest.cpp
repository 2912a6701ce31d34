/*
 * Reading the settings file: which files make which store, which are corrupt,
 * how many entries a file may hold, and what a failed reload leaves in memory.
 */
#include "tests/settings/SettingsFixture.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace {

using namespace SettingsTest;

using Values = std::vector<TValue>;

const TValue AlwaysOnTop{"AlwaysOnTop", "false", TValueKind::vString};
const TValue MfX{"MF_X", "300", TValueKind::vInteger};

class SettingsLoad : public TSettingsFixture {};

TEST_F(SettingsLoad, WellFormedFilesMakeTheseStores)
{
    const struct {
        const char* What;
        std::string Bytes;
        Values Expected;
    } cases[] = {
        {"empty file", "", {}},
        {"one entry", "AlwaysOnTop\r\nfalse\r\nvString\r\n", {AlwaysOnTop}},
        {"two entries, the example file",
         "AlwaysOnTop\r\nfalse\r\nvString\r\nMF_X\r\n300\r\nvInteger\r\n",
         {AlwaysOnTop, MfX}},
        {"LF line ends", "AlwaysOnTop\nfalse\nvString\n", {AlwaysOnTop}},
        {"last line without its end", "AlwaysOnTop\r\nfalse\r\nvString", {AlwaysOnTop}},
        {"kind words of every kind",
         "a\r\n1\r\nvString\r\nb\r\n2\r\nvInteger\r\nc\r\n3.5\r\nvFloat\r\nd\r\nTrue\r\nvBoolean\r\n",
         {{"a", "1", TValueKind::vString},
          {"b", "2", TValueKind::vInteger},
          {"c", "3.5", TValueKind::vFloat},
          {"d", "True", TValueKind::vBoolean}}},
        {"empty name and value", "\r\n\r\nvString\r\n", {{"", "", TValueKind::vString}}},
        {"blanks around the value are kept", "n\r\n  x  \r\nvString\r\n", {{"n", "  x  ", TValueKind::vString}}},
        {"8-bit text",
         "Owner\x95\r\nJyv\xE4skyl\xE4\r\nvString\r\n",
         {{"Owner\x95", "Jyv\xE4skyl\xE4", TValueKind::vString}}},
        {"lone CRs are dropped", "Always\rOnTop\r\nfa\rlse\r\nvStr\ring\r\n", {AlwaysOnTop}},
        {"Ctrl+Z after the last entry ends the data", "AlwaysOnTop\r\nfalse\r\nvString\r\n\x1a", {AlwaysOnTop}},
        {"Ctrl+Z followed by line ends only", "AlwaysOnTop\r\nfalse\r\nvString\r\n\x1a\r\n\x1a\n", {AlwaysOnTop}},
        {"Ctrl+Z as the only byte", "\x1a", {}},
        {"the same name twice",
         "MF_X\r\n1\r\nvInteger\r\nMF_X\r\n2\r\nvString\r\n",
         {{"MF_X", "1", TValueKind::vInteger}, {"MF_X", "2", TValueKind::vString}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        OpenWith(c.Bytes);
        EXPECT_EQ(Held(), c.Expected);
        EXPECT_EQ(Store->FileName(), FileName);
    }
}

TEST_F(SettingsLoad, CorruptFilesAreRefused)
{
    const struct {
        const char* What;
        std::string Bytes;
    } cases[] = {
        {"stops after the name", "AlwaysOnTop\r\n"},
        {"stops after the value", "AlwaysOnTop\r\nfalse\r\n"},
        {"stops after the value without a line end", "AlwaysOnTop\r\nfalse"},
        {"an empty line after a complete entry", "AlwaysOnTop\r\nfalse\r\nvString\r\n\r\n"},
        {"kind word in lower case", "AlwaysOnTop\r\nfalse\r\nvstring\r\n"},
        {"kind word in capitals", "AlwaysOnTop\r\nfalse\r\nVSTRING\r\n"},
        {"kind word with a trailing blank", "AlwaysOnTop\r\nfalse\r\nvString \r\n"},
        {"kind word with a leading blank", "AlwaysOnTop\r\nfalse\r\n vString\r\n"},
        {"the unsaved kind has no word", "AlwaysOnTop\r\nfalse\r\nvUnsaved\r\n"},
        {"an empty kind line", "AlwaysOnTop\r\nfalse\r\n\r\n"},
        {"a lone CR is one empty line", "\r"},
        {"Ctrl+Z inside an entry", "AlwaysOnTop\r\n\x1a"
                                   "false\r\nvString\r\n"},
        {"Ctrl+Z where an entry begins, entries after it", "AlwaysOnTop\r\nfalse\r\nvString\r\n\x1a"
                                                           "MF_X\r\n300\r\nvInteger\r\n"},
        {"Ctrl+Z as the first byte, an entry after it", "\x1a"
                                                        "AlwaysOnTop\r\nfalse\r\nvString\r\n"},
        {"Ctrl+Z, a line end, then text", "AlwaysOnTop\r\nfalse\r\nvString\r\n\x1a\r\nx"},
        {"the second entry is bad", "AlwaysOnTop\r\nfalse\r\nvString\r\nMF_X\r\n300\r\nInteger\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf<EKELTError>([&] { OpenWith(c.Bytes); }), "#102: File corrupted.") << c.What;
}

TEST_F(SettingsLoad, AMissingFileIsRefusedAndNotMade)
{
    EXPECT_EQ(ErrorOf<EKELTError>([&] { Open(); }), "#103: File does not exist.");
    EXPECT_FALSE(Folder.Exists(FileName));
    // A folder of that name is no settings file either.
    ASSERT_TRUE(QDir(Folder.Path()).mkdir(QString::fromStdString(FileName)));
    EXPECT_EQ(ErrorOf<EKELTError>([&] { Open(); }), "#103: File does not exist.");
}

TEST_F(SettingsLoad, AFileMayHoldUpToFifteenHundredEntries)
{
    TRFileSystem& store = OpenWith(NumberedFile(1500));
    EXPECT_EQ(store.ValueCount(), 1500);
    EXPECT_EQ(store.ReadInteger("key1499"), 1499);
    EXPECT_EQ(store.ReadInteger("key0"), 0);

    for (int n : {1501, 3000}) {
        WriteBytes(NumberedFile(n));
        EXPECT_EQ(ErrorOf<EKELTError>([&] { Open(); }), "#108: Too many values in the file.") << n;
    }
}

TEST_F(SettingsLoad, AFailedReloadLeavesTheStoreAsItWas)
{
    const std::string original = NumberedFile(3);
    const struct {
        const char* What;
        std::string Bytes;
        std::string Message;
    } cases[] = {
        // Other names than those held, so an entry copied in before the refusal would show.
        {"corrupt in its fifth entry", NumberedFile(4, "other") + CrLfLines({"other4", "4", "vinteger"}),
         "#102: File corrupted."},
        {"too many entries", NumberedFile(1501, "other"), "#108: Too many values in the file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TRFileSystem& store = OpenWith(original);
        const Values before = Held();
        WriteBytes(c.Bytes);
        EXPECT_EQ(ErrorOf<EKELTError>([&] { store.LoadFromFile(); }), c.Message);
        EXPECT_EQ(Held(), before);
        EXPECT_EQ(store.ReadString("key2"), "2");
        EXPECT_EQ(ErrorOf<EInvalidParam>([&] { store.ReadString("key3"); }), "#105: Supplied value name not found.");
    }
}

TEST_F(SettingsLoad, AReloadReplacesWhatIsHeld)
{
    TRFileSystem& store = OpenWith(NumberedFile(5));
    WriteLines({"MF_X", "300", "vInteger", "key1", "changed", "vString"});
    store.LoadFromFile();
    EXPECT_EQ(Held(), (Values{MfX, {"key1", "changed", TValueKind::vString}}));
    EXPECT_FALSE(store.ValueExists("key4")) << "an entry past the new count was found";

    // A file deleted since is refused; what is held stays.
    Folder.Remove(FileName);
    EXPECT_EQ(ErrorOf<EKELTError>([&] { store.LoadFromFile(); }), "#103: File does not exist.");
    EXPECT_EQ(store.ValueCount(), 2);
}

TEST_F(SettingsLoad, AnEmptyFileKeepsTheCountHeld)
{
    TRFileSystem& store = OpenWith(NumberedFile(2));
    for (const std::string empty : {"", "\x1a", "\x1a\r\n"}) {
        WriteBytes(empty);
        store.LoadFromFile();
        EXPECT_EQ(store.ValueCount(), 2);
        EXPECT_EQ(store.ReadString("key1"), "1");
    }
}

TEST_F(SettingsLoad, AnInstalledFileSurvivesARewriteByteForByte)
{
    QFile data(QStringLiteral(VOLUMNIA_TEST_DATA "/settings/installed.kelt"));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    const std::string installed = data.readAll().toStdString();
    TRFileSystem& store = OpenWith(installed);
    ASSERT_EQ(store.ValueCount(), 35);
    EXPECT_EQ(store.ValueAt(24).Kind, TValueKind::vFloat);
    EXPECT_EQ(store.ValueAt(25).Kind, TValueKind::vBoolean);
    EXPECT_EQ(store.ReadInteger("MF_X"), 300) << "the first of two entries of a name counts";
    EXPECT_EQ(store.ReadString(""), "unnamed");

    // Writing a value unchanged rewrites the file: every entry, kind word and byte comes back as it was.
    store.WriteString("AlwaysOnTop", "false");
    EXPECT_EQ(FileBytes(), installed);
    store.SaveToFile();
    EXPECT_EQ(FileBytes(), installed);
}

} // namespace
