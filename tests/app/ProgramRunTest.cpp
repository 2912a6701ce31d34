// Runs the real Volumnia program on the offscreen platform in a prepared
// working folder, ends it the orderly way (SIGTERM, as a session logout
// does) and checks what the normal end of the run wrote back.
#include "tests/support/AppFixture.h"

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
    QThread::msleep(300);
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
// books after it) is refused at start: the program waits at its message, and
// ended there (twice, as two runs of a user would be) it leaves the file, the
// backup of an earlier run and the settings byte for byte as they were.
TEST_F(ProgramRunTest, ADamagedDatabaseFileIsLeftAsItWas)
{
    const std::vector<TItem> before = {Book(1, "Walden", "Thoreau", "Ticknor"), Book(2, "Emma", "Austen", "Murray")};
    WriteFiles({});
    const std::string damaged = DatabaseFile(before) + "\r\n" + DatabaseFile({Book(3, "Dracula", "Stoker", "")});
    Folder.WriteFile("books.orbl", damaged);
    Folder.WriteFile("books.orbl.bak", DatabaseFile(before));
    const std::string settings = SettingsText();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        QProcess program;
        Launch(program);
        QThread::msleep(1500);
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

} // namespace
