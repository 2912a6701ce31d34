// Runs the real Volumnia program on the offscreen platform in a prepared
// working folder, ends it the orderly way (SIGTERM, as a session logout
// does) and checks what the normal end of the run wrote back.
#include "tests/support/AppFixture.h"
#include "tests/support/WaitUntilItWaits.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

namespace {

class ProgramRunTest : public TAppFixture {
protected:
    void Launch(QProcess& program)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(Folder.Path());
        program.start(QStringLiteral(VOLUMNIA_BINARY_DIR "/app/Volumnia"), {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }
};

TEST_F(ProgramRunTest, StartsAndEndsNormally)
{
    Overrides["SortMethod"] = "ByAuthor";
    Overrides["CurrentIndex"] = "17";
    WriteFiles({Book(1, "Walden", "Thoreau", "Ticknor"), Book(2, "Emma", "Austen", "Murray")});
    Folder.WriteFile("volumnia.kelt", SettingsText());

    QProcess program;
    Launch(program);

    // The database engine writes orbl_itemcount as it is made: the program is up.
    std::string count;
    for (int i = 0; i < 200 && !SettingOnDisk("orbl_itemcount", count); ++i)
        QThread::msleep(50);
    ASSERT_EQ(count, "2");
    WaitUntilItWaits(program);
    EXPECT_EQ(program.state(), QProcess::Running);

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    std::string value;
    ASSERT_TRUE(SettingOnDisk("CurrentIndex", value));
    EXPECT_EQ(value, "17");
    ASSERT_TRUE(SettingOnDisk("MF_X", value));
    EXPECT_EQ(value, "300");
    // Sorted by author at start, saved in that order at the end.
    EXPECT_EQ(DatabaseText(),
              DatabaseFile({Book(2, "Emma", "Austen", "Murray"), Book(1, "Walden", "Thoreau", "Ticknor")}));
}

// A database file damaged by a hand edit (an empty line where an ID is due,
// or a Ctrl+Z, books after it) is refused at start: the program waits at its
// message, and ended there (twice, as two runs of a user would be) it leaves
// the file, the backup of an earlier run and the settings byte for byte as
// they were.
class DamagedDatabase : public ProgramRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DamagedDatabase, IsLeftAsItWas)
{
    const std::vector<TItem> before = {Book(1, "Walden", "Thoreau", "Ticknor"), Book(2, "Emma", "Austen", "Murray")};
    WriteFiles({});
    const std::string damaged = DatabaseFile(before) + GetParam() + DatabaseFile({Book(3, "Dracula", "Stoker", "")});
    Folder.WriteFile("books.orbl", damaged);
    Folder.WriteFile("books.orbl.bak", DatabaseFile(before));
    const std::string settings = SettingsText();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        QProcess program;
        Launch(program);
        WaitUntilItWaits(program);
        EXPECT_EQ(program.state(), QProcess::Running) << "the start-up message waits for its OK";
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(DatabaseText(), damaged);
        EXPECT_EQ(Folder.ReadFile("books.orbl.bak"), DatabaseFile(before));
        EXPECT_EQ(SettingsText(), settings);
        EXPECT_EQ(Folder.FileNames(), (std::vector<std::string>{"books.orbl", "books.orbl.bak", "volumnia.kelt"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Marks, DamagedDatabase, ::testing::Values("\r\n", "\x1a"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[0] == '\r' ? "EmptyIdLine" : "CtrlZ");
                         });

// SIGTERM's end of the run never waits on a box: the note that the backup
// copy could not be written (a folder stands at its name) goes to the
// standard error stream, and the books are saved.
TEST_F(ProgramRunTest, ATerminationNeverWaitsOnAMessage)
{
    Overrides["SortMethod"] = "ByAuthor";
    WriteFiles({Book(1, "Walden", "Thoreau", "Ticknor"), Book(2, "Emma", "Austen", "Murray")});
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("books.orbl.bak"));
    QProcess program;
    Launch(program);
    std::string count;
    for (int i = 0; i < 200 && !SettingOnDisk("orbl_itemcount", count); ++i)
        QThread::msleep(50);
    WaitUntilItWaits(program);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000)) << "the end waits on a message box";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.readAllStandardError().indexOf("The backup copy books.orbl.bak could not be written"), -1);
    EXPECT_EQ(DatabaseText(),
              DatabaseFile({Book(2, "Emma", "Austen", "Murray"), Book(1, "Walden", "Thoreau", "Ticknor")}));
}

} // namespace
