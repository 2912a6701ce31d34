/*
 * Saves that fail: a settings file deleted while the program runs, a write
 * that stops at any byte, a real short write under a file size limit. The
 * file on disk must stay exactly as it was, with no temporary file left, while
 * the value written stays readable from memory.
 */
#include "platform/TextFile.h"
#include "tests/platform/FileSizeLimit.h"
#include "tests/settings/SettingsFixture.h"
#include "tests/support/FailingWriteStep.h"
#include "tests/support/OrdinaryUser.h"

#include <QFile>

#include <functional>
#include <unistd.h>

namespace {

using namespace SettingsTest;

const std::vector<std::string> Installed = {"AlwaysOnTop", "false", "vString",    "MF_X",   "300",
                                            "vInteger",    "pcol1", "Book title", "vString"};

class SettingsSaveFailure : public TSettingsFixture {
protected:
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed

    void ExpectFileUntouched(const std::string& before)
    {
        EXPECT_EQ(FileBytes(), before);
        EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{FileName}) << "a temporary file was left";
    }
};

TEST_F(SettingsSaveFailure, ADeletedFileIsNotMadeAgain)
{
    const struct {
        const char* What;
        std::function<void(TRFileSystem&)> Write;
        std::string Name, Expected;
    } cases[] = {
        {"update by string", [](TRFileSystem& s) { s.WriteString("AlwaysOnTop", "true"); }, "AlwaysOnTop", "true"},
        {"update by integer", [](TRFileSystem& s) { s.WriteInteger("MF_X", 12); }, "MF_X", "12"},
        {"add by string", [](TRFileSystem& s) { s.WriteString("SortMethod", "ByAuthor"); }, "SortMethod", "ByAuthor"},
        {"add by integer", [](TRFileSystem& s) { s.WriteInteger("LV_X", 100); }, "LV_X", "100"},
        {"plain save", [](TRFileSystem& s) { s.SaveToFile(); }, "MF_X", "300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TRFileSystem& store = OpenWith(CrLfLines(Installed));
        Folder.Remove(FileName);
        EXPECT_EQ(ErrorOf<EKELTError>([&] { c.Write(store); }), "#101: File does not exist.");
        EXPECT_FALSE(Folder.Exists(FileName));
        EXPECT_TRUE(Folder.FileNames().empty());
        EXPECT_EQ(store.ReadString(c.Name), c.Expected);
        // Every later write fails the same way.
        EXPECT_EQ(ErrorOf<EKELTError>([&] { store.WriteString("MF_Y", "1"); }), "#101: File does not exist.");
        EXPECT_EQ(store.ReadString("MF_Y"), "1");
    }
}

TEST_F(SettingsSaveFailure, AFaultAtAnyByteLeavesTheOldFile)
{
    const std::string before = CrLfLines(Installed);
    const struct {
        const char* What;
        std::function<void(TRFileSystem&)> Write;
        size_t NewSize;
    } cases[] = {
        {"update", [](TRFileSystem& s) { s.WriteString("pcol1", "Book author"); }, before.size() + 1},
        {"add", [](TRFileSystem& s) { s.WriteInteger("LV_Y", 100); }, before.size() + 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TRFileSystem& store = OpenWith(before);
        for (size_t n = 0; n <= c.NewSize; ++n) {
            WriteFault.FailAfter(static_cast<int64_t>(n), true);
            EXPECT_EQ(ErrorOf<EInOutError>([&] { c.Write(store); }), "Disk full") << n;
            ExpectFileUntouched(before);
            if (HasFailure())
                return;
        }
        // The changed entry is held; the next write without a fault brings the file up to date.
        const int32_t count = store.ValueCount();
        c.Write(store);
        EXPECT_EQ(store.ValueCount(), count);
        Open();
        EXPECT_EQ(Store->ValueCount(), count);
        EXPECT_EQ(FileBytes().size(), c.NewSize);
    }
}

TEST_F(SettingsSaveFailure, AFailedSaveKeepsTheChangeInMemoryOnly)
{
    TRFileSystem& store = OpenWith(CrLfLines(Installed));
    const std::string before = FileBytes();
    WriteFault.FailAfter(3, true);
    EXPECT_THROW(store.WriteString("AlwaysOnTop", "true"), EInOutError);
    EXPECT_EQ(store.ReadString("AlwaysOnTop"), "true");
    ExpectFileUntouched(before);
    // A program started now still finds the old value.
    TRFileSystem other(FileName);
    EXPECT_EQ(other.ReadString("AlwaysOnTop"), "false");
}

TEST_F(SettingsSaveFailure, ARealShortWriteLeavesTheOldFile)
{
    const std::string before = CrLfLines(Installed);
    TRFileSystem& store = OpenWith(before);
    const std::string longValue(64 * 1024, 'v');
    const int code = RunUnderFileSizeLimit(before.size() + 16, [&] {
        try {
            store.WriteString("orbl_databasefile", longValue);
            return 1;
        } catch (const EInOutError& e) {
            if (std::string(e.what()) != "Disk full")
                return 2;
            return store.ReadString("orbl_databasefile") == longValue ? 0 : 3;
        }
    });
    EXPECT_EQ(code, 0) << "1: the write passed, 2: another message, 3: the value was not held";
    ExpectFileUntouched(before);
}

TEST_F(SettingsSaveFailure, AnUnreadableFileReportsThePlatformError)
{
    OrdinaryUser::Run([] {
        TTempWorkingFolder own;
        own.WriteFile(FileName, CrLfLines(Installed));
        QFile::setPermissions(QString::fromStdString(own.FilePath(FileName)), QFileDevice::WriteOwner);
        EXPECT_EQ(ErrorOf<EInOutError>([&] { TRFileSystem store(FileName); }), "File access denied");
    });
}

} // namespace

namespace {

using namespace SettingsTest;

// Several values in one save: updates in place and adds in order, as single
// writes would; a failure at any byte leaves the old file whole (never some of
// them), the values kept in memory; too many new names change nothing.
TEST_F(SettingsSaveFailure, SeveralValuesReachTheFileTogetherOrNotAtAll)
{
    const std::string before = CrLfLines({"MF_X", "1", "vInteger", "AlwaysOnTop", "true", "vString"});
    const std::vector<TValue> batch = {TRFileSystem::IntegerValue("MF_X", 300),
                                       TRFileSystem::StringValue("pcol1", "Book title"),
                                       TRFileSystem::StringValue("AlwaysOnTop", "false")};
    const std::string after =
        CrLfLines({"MF_X", "300", "vInteger", "AlwaysOnTop", "false", "vString", "pcol1", "Book title", "vString"});
    for (int64_t failAt = 0; failAt < static_cast<int64_t>(after.size()); failAt += 7) {
        TRFileSystem& store = OpenWith(before);
        {
            TFailingWriteStep disk(failAt, true);
            EXPECT_THROW(store.WriteValues(batch), EInOutError) << failAt;
        }
        EXPECT_EQ(FileBytes(), before) << failAt;
        EXPECT_EQ(store.ReadString("pcol1"), "Book title");
        store.SaveToFile();
        EXPECT_EQ(FileBytes(), after);
    }
    TRFileSystem& full = OpenWith(NumberedFile(1498));
    EXPECT_EQ(ErrorOf<EKELTError>([&] { full.WriteValues(batch); }), "#107: Cannot add value. Too many values.");
    EXPECT_FALSE(full.ValueExists("MF_X"));
    EXPECT_EQ(FileBytes(), NumberedFile(1498));
}

} // namespace
