// Start-up and the end of the run: the messages for missing files, what is
// (and is not) written back, the status bar and the always-on-top mark.
#include "app/ApplicationWindows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/SearchBooksDialog.h"
#include "engine/Covers.h"
#include "engine/DetailsFile.h"
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "platform/WriteStep.h"
#include "settings/SettingsKeys.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "widgets/BookGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <sys/inotify.h>
#include <unistd.h>
#include <deque>

namespace {

const std::vector<TItem> ThreeBooks = {
    Book(7, "Walden", "Thoreau", "Ticknor"),
    Book(3, "Emma", "Austen", "Murray", "1815", "Ann", "1.2.2004"),
    Book(9, "Dracula", "Stoker", "Constable"),
};

class StartupTest : public TAppFixture {};

// Tells which file each write of a save goes to ('S' the settings, 'D' the
// database, the backup left out), and whether the main window still stood.
class TWriteRecorder final : public IWriteStep {
public:
    TWriteRecorder() : Inner(TTextFile::WriteStep()), Previous(TTextFile::SetWriteStep(this)) {}
    ~TWriteRecorder() override { TTextFile::SetWriteStep(Previous); }
    int Write(int fd, const char* bytes, int64_t count, int64_t offset) override
    {
        const QString name = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd))).fileName();
        const char file = name.startsWith("volumnia.kelt") ? 'S' : name.startsWith("books.orbl.bak") ? 0 : 'D';
        if (file && (Files.empty() || Files.back() != file))
            Files += file;
        WindowStood = WindowStood || frmMain != nullptr;
        return Inner.Write(fd, bytes, count, offset);
    }
    std::string Files;
    bool WindowStood = false;

private:
    IWriteStep& Inner;
    IWriteStep* Previous;
};

// Details kept for a book that was retitled outside the program are said at
// start, and stay in their file, not shown as that book's.
TEST_F(StartupTest, DetailsThatNoLongerMatchTheirBookAreSaidOnceAtStart)
{
    WriteFiles(ThreeBooks);
    TDetails details;
    details.Set("rating", "5");
    const std::string file = DetailsFile::Format({{ThreeBooks[0].ID, "00000000", details}});
    Folder.WriteFile("books.orbl.details", file);
    ASSERT_TRUE(Start());
    ASSERT_EQ(Platform.Messages.Texts().size(), 1);
    EXPECT_TRUE(Platform.Messages.Texts()[0].contains("no longer match")) << Platform.Messages.Texts()[0].toStdString();
    EXPECT_EQ(Catalogue().StrayDetails().size(), 1u);
    Stop();
    EXPECT_EQ(Folder.ReadFile("books.orbl.details"), file);
}

// A start opens no cover file, whatever the books hold: the Book details
// window reads the cover of the book it shows when it is opened.
TEST_F(StartupTest, AStartReadsNoCoverUntilAWindowShowsOne)
{
    WriteFiles(ThreeBooks);
    std::vector<TDetailsRow> rows;
    for (const TItem& book : ThreeBooks) {
        TDetails details;
        details.Set("cover", Covers::Store("books.orbl", book.ID, "picture of " + std::to_string(book.ID)));
        rows.push_back({book.ID, DetailsFile::Fingerprint(book), details});
    }
    Folder.WriteFile("books.orbl.details", DetailsFile::Format(rows));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, Folder.FilePath("books.orbl.covers").c_str(), IN_OPEN), 0);
    const auto opened = [watch] {
        char events[4096];
        bool any = false;
        while (::read(watch, events, sizeof events) > 0)
            any = true;
        return any;
    };
    ASSERT_TRUE(Start());
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened());
    frmMain->mnuView_BookDetailsClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(opened()) << "the window shows the cover of the book shown";
    ::close(watch);
}

TEST_F(StartupTest, NoSettingsFileReportsCorruptedAndCreatesNothing)
{
    Folder.WriteFile("books.orbl", DatabaseFile(ThreeBooks));
    EXPECT_FALSE(Start());
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{"106-5: KELT -error. File corrupted."});
    EXPECT_EQ(Platform.Messages.Boxes.at(0).Kind, TRecordedBox::Information);
    EXPECT_EQ(Platform.Messages.Boxes.at(0).Title, "Volumnia");
    EXPECT_EQ(frmBookBrowser, nullptr) << "no other window is made after a failed start";
    EXPECT_EQ(dlgAbout.Get(), nullptr) << "nor any dialog later";
    Stop();
    EXPECT_FALSE(Folder.Exists("volumnia.kelt"));
}

TEST_F(StartupTest, ASecondVolumniaOnTheFolderIsRefusedAndTheFirstKeepsItsBook)
{
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    TfrmMain* const first = frmMain;
    const std::string settings = SettingsText();
    const std::string books = DatabaseText();
    {
        TApplicationWindows second;
        EXPECT_FALSE(second.Started());
    }
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{TApplicationWindows::AlreadyRunningMessage});
    EXPECT_EQ(frmMain, first) << "the refused run touched no window of the first";
    EXPECT_EQ(SettingsText(), settings);
    EXPECT_EQ(DatabaseText(), books);

    Catalogue().Add(Book(4, "Walden", "Thoreau", "Ticknor"));
    Stop();
    EXPECT_NE(DatabaseText().find("Walden"), std::string::npos);
    EXPECT_TRUE(Start()) << "the folder is free once the first run has ended";
}

// Who holds the files is named: an import is not "Volumnia already running";
// the database's own lock holds when another folder names the same database.
TEST_F(StartupTest, AHeldLockNamesItsHolder)
{
    WriteFiles(ThreeBooks);
    const std::string books = DatabaseText();
    {
        TWorkingFolderLock import(Folder.Path(), TSettingsKeys::FileName, "an import (volumnia-csv)");
        ASSERT_EQ(import.TryLock(), TWorkingFolderLock::TResult::Locked);
        EXPECT_FALSE(Start());
        ASSERT_EQ(Platform.Messages.Texts().size(), 1);
        EXPECT_TRUE(Platform.Messages.Texts()[0].startsWith("These files are in use by an import (volumnia-csv)"))
            << Platform.Messages.Texts()[0].toStdString();
    }
    Platform.Messages.Boxes.clear();
    {
        TWorkingFolderLock other = TWorkingFolderLock::ForFile(Folder.FilePath("books.orbl"), "Volumnia");
        ASSERT_EQ(other.TryLock(), TWorkingFolderLock::TResult::Locked);
        EXPECT_FALSE(Start());
        EXPECT_NE(Platform.Messages.Texts().join("|").indexOf("These files are in use by Volumnia (process"), -1)
            << Platform.Messages.Texts().join("|").toStdString();
    }
    EXPECT_EQ(DatabaseText(), books);
    EXPECT_FALSE(Folder.Exists("books.orbl.lock"));
}

// A lock that a sync tool brought from another computer, of the folder or of
// the database: the user is told which computer holds it and since when, and
// looks read-only, takes it over after a second question, or ends the run.
TEST_F(StartupTest, ALockOfAnotherComputerIsNamedAndTheUserChooses)
{
    const struct {
        const char* What;
        const char* LockFile;
        std::deque<bool> Answers;
        bool Started, ReadOnly;
    } cases[] = {
        {"read-only", "volumnia.kelt.lock", {true}, true, true},
        {"taken over", "volumnia.kelt.lock", {false, true}, true, false},
        {"ended", "volumnia.kelt.lock", {false, false}, false, false},
        {"the database's lock taken over", "books.orbl.lock", {false, true}, true, false},
    };
    const std::string laptops = "pid=12\nhost=laptop\nprogram=Volumnia\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        WriteFiles(ThreeBooks);
        Folder.WriteFile(c.LockFile, laptops);
        // A read-only run merges no conflict copy: it stays for a run that may write.
        const std::string copy = "books.sync-conflict-20261208-101010-ABCDEFG.orbl";
        if (c.ReadOnly)
            Folder.WriteFile(copy, DatabaseFile({Book(1, "Kim", "Kipling", "Macmillan")}));
        const std::string settings = SettingsText(), books = DatabaseText();
        Platform.Messages.Boxes.clear();
        Platform.Messages.Answers = c.Answers;
        ASSERT_EQ(Start(), c.Started) << Platform.Messages.Texts().join("|").toStdString();
        ASSERT_EQ(Platform.Messages.Boxes.size(), c.Answers.size());
        EXPECT_TRUE(Platform.Messages.Boxes[0].Text.contains("Volumnia (process 12) on the computer laptop since "))
            << Platform.Messages.Boxes[0].Text.toStdString();
        if (c.Started) {
            EXPECT_EQ(Folder.ReadFile(c.LockFile) == laptops, c.ReadOnly);
            if (c.ReadOnly)
                EXPECT_THROW(Catalogue().Add(Book(0, "Kim", "Kipling", "Macmillan")), EInOutError);
            else
                Catalogue().Add(Book(0, "Kim", "Kipling", "Macmillan"));
            Stop();
        }
        EXPECT_EQ(DatabaseText().find("Kim") != std::string::npos, c.Started && !c.ReadOnly);
        if (!c.Started || c.ReadOnly) {
            EXPECT_EQ(SettingsText(), settings);
            EXPECT_EQ(DatabaseText(), books);
            EXPECT_EQ(Folder.ReadFile(c.LockFile), laptops) << "another computer's lock stays unless taken over";
        }
        if (c.ReadOnly) {
            EXPECT_TRUE(Folder.Exists(copy));
        }
        Folder.Remove(copy);
        Folder.Remove(c.LockFile);
    }
}

TEST_F(StartupTest, ADialogIsMadeOnItsFirstUseAndKeptUntilTheEnd)
{
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    EXPECT_FALSE(dlgSearchBooks.Made()) << "start-up makes no dialog";
    TdlgSearchBooks* const made = dlgSearchBooks;
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(dlgSearchBooks.Made());
    EXPECT_EQ(dlgSearchBooks.Get(), made) << "one dialog for the whole run";
    Stop();
    EXPECT_FALSE(dlgSearchBooks.Made());
    EXPECT_EQ(dlgSearchBooks.Get(), nullptr) << "no dialog is made once the windows are gone";
}

TEST_F(StartupTest, ADamagedDatabaseIsCalledDamagedNotMissing)
{
    WriteFiles(ThreeBooks);
    Folder.WriteFile("books.orbl", DatabaseFile(ThreeBooks) + "\x1a" + DatabaseFile(ThreeBooks));
    EXPECT_FALSE(Start());
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{"107-2: ORBL -error. File corrupted."});
}

TEST_F(StartupTest, MissingDatabaseReportsItAndLeavesTheSettingsAlone)
{
    WriteFiles(ThreeBooks);
    Folder.Remove("books.orbl");
    const std::string before = SettingsText();
    EXPECT_FALSE(Start());
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{"107-2: ORBL -error. File not found or corrupted."});
    Stop();
    EXPECT_EQ(SettingsText(), before);
    EXPECT_FALSE(Folder.Exists("books.orbl"));
}

TEST_F(StartupTest, BadKindWordInSettingsIsReportedAsCorrupted)
{
    WriteFiles(ThreeBooks);
    Folder.WriteFile("volumnia.kelt", SettingsText() + "Broken\r\nvalue\r\nvstring\r\n");
    EXPECT_FALSE(Start());
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{"106-5: KELT -error. File corrupted."});
}

TEST_F(StartupTest, MissingAliasEndsTheRunWithoutUsingAMissingDatabase)
{
    Removed = {"orbl_alias5"};
    WriteFiles(ThreeBooks);
    const std::string settings = SettingsText();
    const std::string books = DatabaseText();
    EXPECT_FALSE(Start());
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Supplied value name not found."});
    Stop();
    EXPECT_EQ(SettingsText(), settings);
    EXPECT_EQ(DatabaseText(), books);
}

TEST_F(StartupTest, MissingCurrentIndexIsReportedAndTheRunGoesOn)
{
    Removed = {"CurrentIndex"};
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Supplied value name not found."});
    EXPECT_EQ(Catalogue().CurrentIndex(), 0);
    EXPECT_TRUE(frmMain->Ui.StatusPanels[3]->text().isEmpty());
    EXPECT_FALSE(frmMain->Ui.mnuView_AlwaysOnTop->isChecked());
    Stop();
    std::string value;
    ASSERT_TRUE(SettingOnDisk("CurrentIndex", value));
    EXPECT_EQ(value, "0");
}

TEST_F(StartupTest, StatusBarShowsDateTimeEngineAndDatabaseSize)
{
    std::vector<TItem> books;
    for (int i = 1; i <= 40; ++i)
        books.push_back(Book(i, "A title of some length " + std::to_string(i), "An author", "A publisher"));
    Overrides["orbl_databasefile"] = Folder.FilePath("books.orbl");
    WriteFiles(books);
    const size_t size = DatabaseText().size();
    ASSERT_TRUE(Start());
    EXPECT_EQ(frmMain->Ui.StatusPanels[0]->text(), "05/03/2004");
    EXPECT_EQ(frmMain->Ui.StatusPanels[1]->text(), "14:30:15");
    EXPECT_EQ(frmMain->Ui.StatusPanels[2]->text(), "Quenfir ORBL");
    EXPECT_EQ(frmMain->Ui.StatusPanels[3]->text(), QString("books.orbl (%1kt)").arg(size / 128));
    EXPECT_EQ(frmMain->windowTitle(), "Quenfir Volumnia 2.1");
}

TEST_F(StartupTest, AlwaysOnTopOnlyRestoresTheCheckMarkForExactlyTrue)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"true", true}, {"True", false}, {"TRUE", false}, {"false", false}, {"yes", false}};
    for (const auto& [text, checked] : cases) {
        SCOPED_TRACE(text);
        Overrides["AlwaysOnTop"] = text;
        WriteFiles(ThreeBooks);
        ASSERT_TRUE(Start());
        EXPECT_EQ(frmMain->Ui.mnuView_AlwaysOnTop->isChecked(), checked);
        EXPECT_FALSE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        Stop();
    }
}

TEST_F(StartupTest, NormalEndWritesPositionIndexAndBothFiles)
{
    Overrides["CurrentIndex"] = "41";
    Overrides["SortMethod"] = "ByAuthor";
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    frmMain->move(123, 45);
    Catalogue().SetCurrentIndex(44);
    TWriteRecorder writes;
    Stop();
    // The settings in one save, then the database, once no window is left.
    EXPECT_EQ(writes.Files, "SD");
    EXPECT_FALSE(writes.WindowStood);
    std::string value;
    ASSERT_TRUE(SettingOnDisk("MF_X", value));
    EXPECT_EQ(value, "123");
    ASSERT_TRUE(SettingOnDisk("MF_Y", value));
    EXPECT_EQ(value, "45");
    ASSERT_TRUE(SettingOnDisk("CurrentIndex", value));
    EXPECT_EQ(value, "44");
    ASSERT_TRUE(SettingOnDisk("orbl_itemcount", value));
    EXPECT_EQ(value, "3");
    // The browser sorted by author at start; the end of the run saves that order.
    EXPECT_EQ(DatabaseText(), DatabaseFile({ThreeBooks[1], ThreeBooks[2], ThreeBooks[0]}));
}

TEST_F(StartupTest, SettingsFileGoneAtTheEndGivesItsMessageAndKeepsTheDatabase)
{
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    Folder.Remove("volumnia.kelt");
    Folder.WriteFile("books.orbl", "");
    Stop();
    EXPECT_EQ(Platform.Messages.Texts().back(), "108-7: KELT -error. File full or corrupted.");
    EXPECT_FALSE(Folder.Exists("volumnia.kelt"));
    EXPECT_EQ(DatabaseText(), "") << "the database is not written after 108-7";
}

TEST_F(StartupTest, WindowPositionComesFromTheSettingsAtFirstActivation)
{
    Overrides["MF_X"] = "250";
    Overrides["MF_Y"] = "120";
    Overrides["LV_X"] = "40";
    Overrides["LV_Y"] = "60";
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    EXPECT_EQ(frmMain->pos(), QPoint(250, 120));
    EXPECT_EQ(frmBookBrowser->pos(), QPoint(40, 60));
    EXPECT_TRUE(frmMain->PositionRestored);
    frmMain->move(10, 10);
    frmMain->FormActivate();
    EXPECT_EQ(frmMain->pos(), QPoint(10, 10)) << "later activations do not move the window";
}

TEST_F(StartupTest, BadPositionIsReportedOnceAndNotRetried)
{
    Overrides["MF_X"] = "left";
    Removed = {"LV_Y"};
    WriteFiles(ThreeBooks);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Platform.Messages.Errors(),
              (QStringList{"#105: Supplied value name not found.", "'left' is not a valid integer value."}));
    // Both windows stay where their first show put them: centred on the screen.
    for (const QWidget* window : {static_cast<QWidget*>(frmMain), static_cast<QWidget*>(frmBookBrowser)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        const QPoint offset = window->frameGeometry().center() - window->screen()->availableGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2);
    }
    frmMain->FormActivate();
    EXPECT_EQ(Platform.Messages.Errors().size(), 2);
}

} // namespace
