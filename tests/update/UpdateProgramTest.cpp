// The real update binary, run as the installation runs it: in a folder holding
// "volumnia.kelt", no arguments, on the offscreen platform. It must end by
// itself with exit code 0 and leave the defaults in the file; without a
// settings file it must stay open (showing its error) and create nothing.
#include "tests/update/UpdateTestData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

class UpdateProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Folder.isValid()); }

    void Place(const std::string& bytes)
    {
        QFile file(Folder.filePath(QStringLiteral("volumnia.kelt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    }

    std::string Settings() const
    {
        QFile file(Folder.filePath(QStringLiteral("volumnia.kelt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<no file>");
    }

    void Start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        Program.setProcessEnvironment(environment);
        Program.setWorkingDirectory(Folder.path());
        Program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Program.start(QStringLiteral(VOLUMNIA_UPDATE_PROGRAM), QStringList{});
        ASSERT_TRUE(Program.waitForStarted(10000)) << Program.errorString().toStdString();
    }

    void TearDown() override
    {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(5000);
        }
    }

    QTemporaryDir Folder;
    QProcess Program;
};

struct TRunCase {
    const char* Name;
    const char* Before; // nullptr: an empty file
    const char* After;
};

const TRunCase RunCases[] = {
    {"EmptySettingsFile", nullptr, "defaults.kelt"},
    {"InstalledSettingsFileWithAlwaysOnTopTrue", "installed.kelt", "installed-after.kelt"},
};

void PrintTo(const TRunCase& c, std::ostream* out)
{
    *out << c.Name;
}

class UpdateProgramRun : public UpdateProgram, public ::testing::WithParamInterface<TRunCase> {};

TEST_P(UpdateProgramRun, EndsByItselfWithExitCodeZeroAndLeavesTheDefaults)
{
    Place(GetParam().Before ? UpdateTestData(GetParam().Before) : std::string());
    Start();
    ASSERT_TRUE(Program.waitForFinished(30000)) << "update did not end by itself";
    EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Program.exitCode(), 0);
    EXPECT_EQ(Settings(), UpdateTestData(GetParam().After));
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"volumnia.kelt"});
}

INSTANTIATE_TEST_SUITE_P(Update, UpdateProgramRun, ::testing::ValuesIn(RunCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(UpdateProgram, WithoutSettingsFileStaysOpenAndCreatesNothing)
{
    Start();
    EXPECT_FALSE(Program.waitForFinished(2000)) << "update ended with code " << Program.exitCode();
    EXPECT_EQ(Program.state(), QProcess::Running);
    EXPECT_TRUE(QDir(Folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
