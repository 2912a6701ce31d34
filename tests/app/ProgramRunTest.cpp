// Runs the real Volumnia program on the offscreen platform in a prepared
// working folder, ends it the orderly way (SIGTERM, as a session logout
// does) and checks what the normal end of the run wrote back.
#include "tests/support/AppFixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

namespace {

class ProgramRunTest : public TAppFixture {};

TEST_F(ProgramRunTest, StartsAndEndsNormally)
{
    Overrides["SortMethod"] = "ByAuthor";
    Overrides["CurrentIndex"] = "17";
    WriteFiles({Book(1, "Walden", "Thoreau", "Ticknor"), Book(2, "Emma", "Austen", "Murray")});
    Folder.WriteFile("volumnia.kelt", SettingsText());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(Folder.Path());
    program.start(QStringLiteral(VOLUMNIA_BINARY_DIR "/app/Volumnia"), {});
    ASSERT_TRUE(program.waitForStarted(10000));

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

} // namespace
