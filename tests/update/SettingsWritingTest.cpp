// What the splash's activation leaves in "volumnia.kelt": the nine defaults
// written over whatever the installation placed there, and on a failure a
// single error report, the earlier writes kept and the program left running.
#include "tests/update/UpdateTestData.h"

#include "platform/EInOutError.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"
#include "platform/gui/ErrorHandler.h"
#include "settings/KELT.h"
#include "tests/support/FailingWriteStep.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TempWorkingFolder.h"
#include "update/DefaultSettings.h"
#include "update/MainForm.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The full disk a case arranges, for the rest of its test.
std::unique_ptr<TFailingWriteStep>& FullDisk()
{
    static std::unique_ptr<TFailingWriteStep> disk;
    return disk;
}

class SettingsWriting : public ::testing::Test {
protected:
    void SetUp() override
    {
        Window.EndProgram = [this] { ++EndRequests; };
    }
    void TearDown() override { FullDisk().reset(); }

    TTempWorkingFolder Folder;
    TScriptedPlatform Platform;
    TfrmMain Window;
    int EndRequests = 0;
};

struct TRewriteCase {
    const char* Name;
    const char* Before; // fixture placed as volumnia.kelt
    const char* After;  // fixture the file must equal afterwards
    int ValueCount;
};

const TRewriteCase RewriteCases[] = {
    // Nine settings, 27 lines, in the order they are written.
    {"EmptyFileGetsTheNineDefaults", nullptr, "defaults.kelt", 9},
    // Texts replaced in place, kinds become vString, AlwaysOnTop "true" turns
    // "false", every other setting (8-bit text and odd kinds included) kept.
    {"InstalledFileChangesOnlyTheNineTexts", "installed.kelt", "installed-after.kelt", 29},
    // Keys present are updated where they stand (the first of a duplicate
    // only), the missing ones are appended in writing order, and a last line
    // without its end is read whole.
    {"PartialFileKeepsPositionsAndAppendsTheRest", "partial.kelt", "partial-after.kelt", 12},
};

void PrintTo(const TRewriteCase& c, std::ostream* out)
{
    *out << c.Name;
}

class SettingsRewrite : public SettingsWriting, public ::testing::WithParamInterface<TRewriteCase> {};

TEST_P(SettingsRewrite, LeavesExactlyTheExpectedFile)
{
    const TRewriteCase& c = GetParam();
    Folder.WriteFile("volumnia.kelt", c.Before ? UpdateTestData(c.Before) : std::string());

    Window.Activated();

    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join('|').toStdString();
    const std::string expected = UpdateTestData(c.After);
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), expected);
    EXPECT_EQ(CountCrLfLines(expected), 3 * c.ValueCount);
    ASSERT_NE(Window.Settings, nullptr);
    EXPECT_EQ(Window.Settings->ValueCount(), c.ValueCount);
    EXPECT_EQ(Window.Settings->ReadString("AlwaysOnTop"), "false");
    EXPECT_EQ(EndRequests, 1);
    EXPECT_EQ(Window.ExitCode(), 0);
    // QSaveFile must not leave its temporary files behind.
    EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{"volumnia.kelt"});
}

INSTANTIATE_TEST_SUITE_P(Update, SettingsRewrite, ::testing::ValuesIn(RewriteCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SettingsWriting, RunningTwiceGivesTheSameFile)
{
    Folder.WriteFile("volumnia.kelt", UpdateTestData("installed.kelt"));
    Window.Activated();
    {
        TfrmMain second;
        second.EndProgram = [] {};
        second.Activated();
    }
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), UpdateTestData("installed-after.kelt"));
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

// A store holding as many values as it may: AlwaysOnTop is held, the other
// eight names are not and find no room.
std::string FullSettingsFile(const char* alwaysOnTop)
{
    std::vector<std::string> lines{"AlwaysOnTop", alwaysOnTop, "vString"};
    for (int n = 1; n < TRFileSystem::MaxAdded; ++n) {
        lines.push_back("Key" + std::to_string(n));
        lines.push_back(std::to_string(n));
        lines.push_back("vInteger");
    }
    return CrLfLines(lines);
}

struct TFailureCase {
    const char* Name;
    std::function<void(TTempWorkingFolder&)> Arrange;
    std::string Message;                                   // as the error box shows it
    std::function<std::optional<std::string>()> FileAfter; // nullopt: no file at all
};

std::string FirstDefaults(int count)
{
    const std::string all = UpdateTestData("defaults.kelt");
    size_t end = 0;
    for (int line = 0; line < 3 * count; ++line)
        end = all.find("\r\n", end) + 2;
    return all.substr(0, end);
}

// The lock a running Volumnia holds on the test's folder, while a case needs it.
std::unique_ptr<TWorkingFolderLock>& HeldByVolumnia()
{
    static std::unique_ptr<TWorkingFolderLock> lock;
    return lock;
}

const std::vector<TFailureCase>& FailureCases()
{
    static const std::vector<TFailureCase> cases{
        {"VolumniaRunningOnTheFolderWritesNothing",
         [](TTempWorkingFolder& folder) {
             folder.WriteFile("volumnia.kelt", UpdateTestData("installed.kelt"));
             HeldByVolumnia() =
                 std::make_unique<TWorkingFolderLock>(folder.Path(), TSettingsKeys::FileName, "Volumnia");
             ASSERT_EQ(HeldByVolumnia()->TryLock(), TWorkingFolderLock::TResult::Locked);
         },
         TErrorHandler::DisplayText(TfrmMain::VolumniaRunningMessage), [] { return UpdateTestData("installed.kelt"); }},
        {"AnImportHoldingTheFolderIsNamed",
         [](TTempWorkingFolder& folder) {
             folder.WriteFile("volumnia.kelt", UpdateTestData("installed.kelt"));
             HeldByVolumnia() = std::make_unique<TWorkingFolderLock>(folder.Path(), TSettingsKeys::FileName,
                                                                     "an import (volumnia-csv)");
             ASSERT_EQ(HeldByVolumnia()->TryLock(), TWorkingFolderLock::TResult::Locked);
         },
         "These files are in use by an import (volumnia-csv) (process " + std::to_string(getpid()) +
             ") (./volumnia.kelt.lock). Only one program at a time may work on them: end it, and try again.",
         [] { return UpdateTestData("installed.kelt"); }},
        {"EntriesAfterACtrlZAreADamagedFile",
         [](TTempWorkingFolder& folder) {
             folder.WriteFile("volumnia.kelt", "MF_X\r\n300\r\nvInteger\r\n\x1a"
                                               "MF_Y\r\n300\r\nvInteger\r\n");
         },
         "#102: File corrupted.",
         [] {
             return std::string("MF_X\r\n300\r\nvInteger\r\n\x1a"
                                "MF_Y\r\n300\r\nvInteger\r\n");
         }},
        {"MissingFileIsReportedAndNotCreated", [](TTempWorkingFolder&) {}, "#103: File does not exist.",
         [] { return std::nullopt; }},
        {"KindWordInLowerCaseIsCorrupt",
         [](TTempWorkingFolder& folder) { folder.WriteFile("volumnia.kelt", UpdateTestData("bad-kind.kelt")); },
         "#102: File corrupted.", [] { return UpdateTestData("bad-kind.kelt"); }},
        {"EntryWithoutKindLineIsCorrupt",
         [](TTempWorkingFolder& folder) { folder.WriteFile("volumnia.kelt", "MF_X\r\n300\r\n"); },
         "#102: File corrupted.", [] { return std::string("MF_X\r\n300\r\n"); }},
        // The nine go in one save: a store without room for the new ones
        // changes none, not even the ones it holds.
        {"FullStoreRefusesTheDefaultsAndChangesNothing",
         [](TTempWorkingFolder& folder) { folder.WriteFile("volumnia.kelt", FullSettingsFile("true")); },
         "#107: Cannot add value. Too many values.", [] { return FullSettingsFile("true"); }},
        {"DiskFullKeepsTheOldFileWhole",
         [](TTempWorkingFolder& folder) {
             folder.WriteFile("volumnia.kelt", "");
             // Any write longer than the file after three settings fails, so
             // the one save of all nine does.
             FullDisk() = std::make_unique<TFailingWriteStep>(static_cast<int64_t>(FirstDefaults(3).size()) + 1, false);
         },
         TErrorHandler::DisplayText(EInOutError::FromErrno(ENOSPC).what()), [] { return std::string(); }},
    };
    return cases;
}

class SettingsFailure : public SettingsWriting, public ::testing::WithParamInterface<size_t> {};

TEST_P(SettingsFailure, IsReportedOnceAndTheProgramStaysOpen)
{
    const TFailureCase& c = FailureCases()[GetParam()];
    c.Arrange(Folder);

    Window.Activated();
    // Closing the report activates the splash again; nothing more may happen.
    Window.Activated();
    Window.Activated();
    FullDisk().reset();

    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u) << Platform.Messages.Texts().join('|').toStdString();
    const TRecordedBox& box = Platform.Messages.Boxes.front();
    EXPECT_EQ(box.Kind, TRecordedBox::Error);
    EXPECT_EQ(box.Text.toStdString(), c.Message);
    // No title of its own: the program file's name, as the platform gives it.
    EXPECT_EQ(box.Title, QFileInfo(QCoreApplication::applicationFilePath()).baseName());

    const std::optional<std::string> expected = c.FileAfter();
    if (expected)
        EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), *expected);
    else
        EXPECT_TRUE(Folder.FileNames().empty());
    EXPECT_EQ(EndRequests, 0);
    EXPECT_EQ(Window.ExitCode(), 1);
    HeldByVolumnia().reset();
}

INSTANTIATE_TEST_SUITE_P(Update, SettingsFailure, ::testing::Range<size_t>(0, FailureCases().size()),
                         [](const auto& info) { return std::string(FailureCases()[info.param].Name); });

// The writes are tried once a run: a settings file that appears after the
// report is left alone until the program is started again.
TEST_F(SettingsWriting, AfterAFailureLaterActivationsWriteNothing)
{
    Window.Activated();
    Folder.WriteFile("volumnia.kelt", "");
    Window.Activated();

    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#103: File does not exist."});
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), "");
    EXPECT_EQ(Window.ExitCode(), 1);
}

TEST_F(SettingsWriting, FormActivateItselfRaisesAndWritesAgainWhenCalledAgain)
{
    EXPECT_THROW(Window.FormActivate(), EKELTError);
    EXPECT_EQ(Window.Settings, nullptr);

    Folder.WriteFile("volumnia.kelt", "");
    Window.FormActivate();
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), UpdateTestData("defaults.kelt"));
    EXPECT_EQ(EndRequests, 1);
}

// update killed at any moment of its writes leaves the settings it found or
// the nine defaults written over them, never a mix (the print windows cannot
// read old aliases with new print columns). A child writes the defaults over
// the installed file again and again, each time from a store read afresh.
TEST(UpdateKilled, LeavesTheOldOrTheNewSettingsNeverAMix)
{
    TTempWorkingFolder folder;
    const std::string before = UpdateTestData("installed.kelt");
    const std::string after = UpdateTestData("installed-after.kelt");
    const auto cycle = [&] {
        TTextFile::WriteAtomically("volumnia.kelt", before);
        TRFileSystem store("volumnia.kelt");
        TDefaultSettings::Write(store);
    };
    // The kills fall anywhere in the first two cycles of the child.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i)
        cycle();
    const auto twoCycles =
        std::chrono::duration_cast<std::chrono::microseconds>((std::chrono::steady_clock::now() - start) * 2 / 3);
    std::mt19937 random(20261208);
    int old = 0, written = 0;
    for (int kill = 0; kill < 100; ++kill) {
        folder.WriteFile("volumnia.kelt", before);
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;)
                    cycle();
            } catch (...) {
                _exit(3);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (twoCycles.count() + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "a write failed in the child";
        const std::string found = folder.ReadFile("volumnia.kelt");
        ASSERT_TRUE(found == before || found == after) << "kill " << kill << " left a mix:\n" << found;
        (found == before ? old : written) += 1;
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(written, 0);
}

} // namespace
