/*
 * Whole-file access: existence, exact reads, and atomic writes that leave the
 * old file whole and no temporary file behind whenever a write fails, be the
 * failure injected at any byte or a real short write under a file size limit.
 */
#include "platform/EInOutError.h"
#include "platform/TextFile.h"
#include "tests/platform/FileSizeLimit.h"
#include "tests/support/FailingWriteStep.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TempWorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

class TextFile : public ::testing::Test {
protected:
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed

    TTempWorkingFolder Folder;
};

std::string AllBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST_F(TextFile, ExistsOnlyForFiles)
{
    Folder.WriteFile("full.txt", "x");
    Folder.WriteFile("empty.txt", "");
    QDir(Folder.Path()).mkdir("folder");
    const struct {
        std::string Path;
        bool Expected;
    } cases[] = {{"full.txt", true},
                 {"empty.txt", true},
                 {"missing.txt", false},
                 {"folder", false},
                 {"folder/none.txt", false},
                 {"", false},
                 {Folder.FilePath("full.txt"), true}};
    for (const auto& c : cases)
        EXPECT_EQ(TTextFile::Exists(c.Path), c.Expected) << c.Path;
}

TEST_F(TextFile, ReadAllGivesEveryByteUnchanged)
{
    const std::string bytes = AllBytes() + "\r\n\r\x1a\n";
    Folder.WriteFile("bytes.bin", bytes);
    EXPECT_EQ(TTextFile::ReadAll("bytes.bin"), bytes);
    Folder.WriteFile("empty.bin", "");
    EXPECT_EQ(TTextFile::ReadAll("empty.bin"), "");
}

TEST_F(TextFile, ReadAllOfWhatCannotBeReadRaisesAFileError)
{
    QDir(Folder.Path()).mkdir("folder");
    for (const std::string path : {"missing.txt", "folder", "nofolder/x.txt"})
        EXPECT_THROW(TTextFile::ReadAll(path), EInOutError) << path;
    try {
        TTextFile::ReadAll("missing.txt");
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

// What is no data file is refused at once, before any byte is read: a FIFO
// without a writer (which would block), a device that never ends, a folder,
// and a file beyond MaxFileSize (sparse here, so it costs no disk).
TEST_F(TextFile, ReadAllRefusesWhatIsNoDataFileAtOnce)
{
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    ASSERT_EQ(mkdir("folder", 0755), 0);
    ASSERT_EQ(symlink("/dev/zero", "zero"), 0);
    Folder.WriteFile("huge", "");
    ASSERT_EQ(truncate("huge", TTextFile::MaxFileSize + 1), 0);
    Folder.WriteFile("largest", "");
    ASSERT_EQ(truncate("largest", TTextFile::MaxFileSize), 0);
    for (const std::string path : {"fifo", "folder", "zero", "huge"})
        EXPECT_THROW(TTextFile::ReadAll(path), EUnusableFile) << path;
    try {
        TTextFile::ReadAll("huge");
        ADD_FAILURE() << "a file over the limit was read";
    } catch (const EFileTooLarge& e) {
        EXPECT_NE(std::string(e.what()).find("holds more than 134217728 bytes"), std::string::npos) << e.what();
    }
    EXPECT_EQ(TTextFile::ReadAll("largest").size(), static_cast<size_t>(TTextFile::MaxFileSize));
}

TEST_F(TextFile, PathsAreWindows1252Text)
{
    // "\xE4iti.txt" is "äiti.txt" in Windows-1252; the file system sees the character, not the byte.
    QFile file(Folder.Path() + QString::fromUtf8("/\xC3\xA4iti.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    EXPECT_TRUE(TTextFile::Exists("\xE4iti.txt"));
    EXPECT_EQ(TTextFile::ReadAll("\xE4iti.txt"), "old");
    TTextFile::WriteAtomically("\xE4iti.txt", "new");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "new");
    EXPECT_EQ(Folder.FileNames().size(), 1u);
}

TEST_F(TextFile, WriteAtomicallyReplacesTheWholeContent)
{
    Folder.WriteFile("data.txt", std::string(5000, 'o'));
    const struct {
        const char* What;
        std::string Content;
    } cases[] = {
        {"shorter", "abc\r\n"}, {"every byte", AllBytes()}, {"empty", ""}, {"longer", std::string(70000, 'n')}};
    for (const auto& c : cases) {
        TTextFile::WriteAtomically("data.txt", c.Content);
        EXPECT_EQ(Folder.ReadFile("data.txt"), c.Content) << c.What;
        EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{"data.txt"}) << c.What;
    }
}

TEST_F(TextFile, WriteIntoAMissingFolderFailsAndMakesNothing)
{
    EXPECT_THROW(TTextFile::WriteAtomically("nofolder/data.txt", "x"), EInOutError);
    EXPECT_TRUE(Folder.FileNames().empty());
    EXPECT_FALSE(QDir(Folder.Path()).exists("nofolder"));
}

// A plain file and one with a second name (a hard link): both are replaced by
// a new file renamed over the name saved, so a fault leaves both names whole.
TEST_F(TextFile, AFaultAtAnyByteLeavesTheOldFileWhole)
{
    const std::string old = "old content\r\nstays\r\n";
    std::string next;
    for (int i = 0; i < 40; ++i)
        next += "line " + std::to_string(i) + "\r\n";
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "hard-linked" : "plain");
        Folder.WriteFile("data.txt", old);
        std::vector<std::string> names{"data.txt"};
        if (hardLinked) {
            ASSERT_EQ(link("data.txt", "other.txt"), 0);
            names.push_back("other.txt");
        }
        for (int64_t n = 0; n <= static_cast<int64_t>(next.size()); ++n) {
            WriteFault.FailAfter(n, true);
            try {
                TTextFile::WriteAtomically("data.txt", next);
                ADD_FAILURE() << "no error with a fault after " << n << " bytes";
            } catch (const EInOutError& e) {
                EXPECT_STREQ(e.what(), "Disk full") << n;
            }
            ASSERT_EQ(Folder.ReadFile("data.txt"), old) << "fault after " << n << " bytes";
            ASSERT_EQ(Folder.FileNames(), names) << "fault after " << n << " bytes";
        }
        // The one-shot fault is spent: the next write goes through.
        TTextFile::WriteAtomically("data.txt", next);
        EXPECT_EQ(Folder.ReadFile("data.txt"), next);
        if (hardLinked) {
            // The other name keeps the old content, as a snapshot made by
            // hard links needs.
            EXPECT_EQ(Folder.ReadFile("other.txt"), old);
            Folder.Remove("other.txt");
        }
    }
}

TEST_F(TextFile, ALastingFaultFailsEveryWriteUntilCleared)
{
    Folder.WriteFile("data.txt", "old");
    WriteFault.FailAfter(2, false);
    EXPECT_THROW(TTextFile::WriteAtomically("data.txt", "new content"), EInOutError);
    EXPECT_THROW(TTextFile::WriteAtomically("data.txt", "new content"), EInOutError);
    EXPECT_EQ(Folder.ReadFile("data.txt"), "old");
    WriteFault.Clear();
    TTextFile::WriteAtomically("data.txt", "new content");
    EXPECT_EQ(Folder.ReadFile("data.txt"), "new content");
}

TEST_F(TextFile, AFaultBeyondTheContentDoesNotFire)
{
    Folder.WriteFile("data.txt", "old");
    WriteFault.FailAfter(100, true);
    TTextFile::WriteAtomically("data.txt", "short");
    EXPECT_EQ(Folder.ReadFile("data.txt"), "short");
    // Still armed: a longer content meets it.
    EXPECT_THROW(TTextFile::WriteAtomically("data.txt", std::string(200, 'y')), EInOutError);
    EXPECT_EQ(Folder.ReadFile("data.txt"), "short");
}

// Steps stack: the inner one writes through the outer one while it lives and
// gives the saves back to it when it goes; the error a step reports is the
// save's error.
TEST_F(TextFile, AWriteStepWritesThroughTheOneBeforeItAndPutsItBack)
{
    Folder.WriteFile("data.txt", "old");
    WriteFault.FailAfter(8, false);
    {
        TFailingWriteStep inner(4, true);
        EXPECT_EQ(&TTextFile::WriteStep(), &inner);
        EXPECT_THROW(TTextFile::WriteAtomically("data.txt", "short"), EInOutError);
        TTextFile::WriteAtomically("data.txt", "short"); // inner spent, outer not reached
        EXPECT_THROW(TTextFile::WriteAtomically("data.txt", "long enough"), EInOutError);
    }
    EXPECT_EQ(&TTextFile::WriteStep(), &WriteFault);
    EXPECT_THROW(TTextFile::WriteAtomically("data.txt", "long enough"), EInOutError);
    EXPECT_EQ(Folder.ReadFile("data.txt"), "short");

    struct : IWriteStep {
        int Write(int, const char*, int64_t, int64_t) override { return EIO; }
    } broken;
    IWriteStep* const before = TTextFile::SetWriteStep(&broken);
    EXPECT_EQ(before, &WriteFault);
    try {
        TTextFile::WriteAtomically("data.txt", "x");
        ADD_FAILURE() << "a failing write step went unnoticed";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), EInOutError::FromErrno(EIO).what());
    }
    EXPECT_EQ(TTextFile::SetWriteStep(before), &broken);
    EXPECT_EQ(Folder.ReadFile("data.txt"), "short");
    EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{"data.txt"});
}

TEST_F(TextFile, ARealShortWriteLeavesTheOldFileWhole)
{
    const std::string old(1000, 'o');
    Folder.WriteFile("data.txt", old);
    const std::string next(256 * 1024, 'n');
    const int code = RunUnderFileSizeLimit(4096, [&] {
        try {
            TTextFile::WriteAtomically("data.txt", next);
            return 1;
        } catch (const EInOutError& e) {
            return std::string(e.what()) == "Disk full" ? 0 : 2;
        }
    });
    EXPECT_EQ(code, 0) << "1: the write passed, 2: another message";
    EXPECT_EQ(Folder.ReadFile("data.txt"), old);
    EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{"data.txt"});
}

TEST_F(TextFile, AReadOnlyFileIsNotReplaced)
{
    OrdinaryUser::Run([] {
        TTempWorkingFolder own;
        own.WriteFile("data.txt", "old");
        QFile::setPermissions(QString::fromStdString(own.FilePath("data.txt")), QFile::ReadOwner);
        try {
            TTextFile::WriteAtomically("data.txt", "new");
            ADD_FAILURE() << "a read-only file was replaced";
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), "File access denied");
        }
        EXPECT_EQ(own.ReadFile("data.txt"), "old");
        EXPECT_EQ(own.FileNames(), std::vector<std::string>{"data.txt"});
    });
}

TEST_F(TextFile, LeftoverOfASaveKilledHalfWayIsGoneAfterTheNextSave)
{
    Folder.WriteFile("data.txt", "old");
    Folder.WriteFile("data.txt.saving", "half of the new cont");
    TTextFile::WriteAtomically(Folder.FilePath("data.txt"), "new content");
    EXPECT_EQ(Folder.ReadFile("data.txt"), "new content");
    EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{"data.txt"});
}

TEST_F(TextFile, ReplacedFileKeepsItsPermissions)
{
    Folder.WriteFile("data.txt", "old");
    const QString path = QString::fromStdString(Folder.FilePath("data.txt"));
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));
    TTextFile::WriteAtomically(Folder.FilePath("data.txt"), "new");
    // Owner, group and others; the "user" flags only mirror the owner's for us.
    EXPECT_EQ(QFile::permissions(path) & 0xF0FF, mode & 0xF0FF);
}

TEST_F(TextFile, AFolderInThePlaceOfTheFileIsNotReplaced)
{
    QDir(Folder.Path()).mkdir("data.txt");
    EXPECT_THROW(TTextFile::WriteAtomically(Folder.FilePath("data.txt"), "new"), EInOutError);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Folder.FilePath("data.txt"))).isDir());
    EXPECT_EQ(Folder.FileNames(), std::vector<std::string>{});
}

// Two users share a folder: the second user (the ordinary user of these
// tests) saves "shared/data", which the first user's run or file left there.
TEST(TextFileShared, ASecondUsersSaveInASharedFolder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "two accounts need the superuser";
    const uid_t first = OrdinaryUser::SecondUser;
    const struct {
        const char* What;
        mode_t FolderMode;
        std::function<void()> Arrange; // as the superuser, beside "shared/data"
        std::function<void(const std::string& outcome)> Check;
    } cases[] = {
        {"the first user's leftover temporary file in a setgid folder is removed", 02777,
         [first] {
             ASSERT_EQ(chown("shared/data", 65534, static_cast<gid_t>(-1)), 0);
             std::FILE* leftover = std::fopen("shared/data.saving", "w");
             ASSERT_NE(leftover, nullptr);
             std::fclose(leftover);
             ASSERT_EQ(chown("shared/data.saving", first, 65534), 0);
             ASSERT_EQ(chmod("shared/data.saving", 0600), 0);
         },
         [](const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             EXPECT_NE(access("shared/data.saving", F_OK), 0);
         }},
        {"the owner keeps their access by an ACL entry", 0777,
         [first] {
             ASSERT_EQ(chown("shared/data", first, 65534), 0);
             ASSERT_EQ(chmod("shared/data", 0640), 0);
             ASSERT_EQ(std::system("setfacl -m u:65534:rw shared/data"), 0) << "setfacl (package acl)";
         },
         [first](const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             const std::string owner = "user:" + std::to_string(first) + ":rw-";
             EXPECT_EQ(std::system(("getfacl -n shared/data | grep -qx " + owner).c_str()), 0);
             EXPECT_EQ(std::system("getfacl -n shared/data | grep -qx mask::rw-"), 0);
         }},
        {"a sticky folder refuses before anything is written, naming the folder", 01777,
         [first] {
             ASSERT_EQ(chown("shared/data", first, 65534), 0);
             ASSERT_EQ(chmod("shared/data", 0666), 0);
         },
         [](const std::string& outcome) {
             EXPECT_NE(outcome.find("its folder "), std::string::npos) << outcome;
             EXPECT_NE(outcome.find("/shared is sticky"), std::string::npos) << outcome;
             EXPECT_NE(access("shared/data.saving", F_OK), 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTempWorkingFolder folder;
        ASSERT_EQ(chmod(folder.Path().toLocal8Bit().constData(), 0755), 0);
        ASSERT_EQ(mkdir("shared", 0777), 0);
        ASSERT_EQ(chmod("shared", c.FolderMode), 0);
        folder.WriteFile("shared/data", "old");
        c.Arrange();
        const bool saved = c.FolderMode != 01777;
        OrdinaryUser::Run([&] {
            std::string outcome = "saved";
            try {
                TTextFile::WriteAtomically("shared/data", "new");
            } catch (const EInOutError& e) {
                outcome = e.what();
            }
            c.Check(outcome);
            EXPECT_EQ(folder.ReadFile("shared/data"), saved ? "new" : "old");
        });
    }
}

// Two users share a setgid folder: the first, under umask 077, makes the
// database's history; the second can append to it as to the database. A
// history only its maker may write is said before anything is written.
TEST(TextFileShared, ASideFileMadeByOneUserIsWrittenByTheOther)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "two accounts need the superuser";
    TTempWorkingFolder folder;
    ASSERT_EQ(chmod(folder.Path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(mkdir("shared", 0777), 0);
    ASSERT_EQ(chown("shared", 0, OrdinaryUser::SharedGroup()), 0);
    ASSERT_EQ(chmod("shared", 02777), 0);
    folder.WriteFile("shared/books.orbl", "books");
    ASSERT_EQ(chown("shared/books.orbl", OrdinaryUser::SecondUser, OrdinaryUser::SharedGroup()), 0);
    ASSERT_EQ(chmod("shared/books.orbl", 0664), 0);
    std::fflush(nullptr);
    const pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        ::umask(077);
        bool made = false;
        if (OrdinaryUser::BecomeSecondUser())
            try {
                TTextFile::WriteSideFile("shared/books.orbl.history", "one\r\n", "shared/books.orbl");
                made = true;
            } catch (const EInOutError&) {
            }
        _exit(made ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(first, &status, 0), first);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the first user made no history";
    OrdinaryUser::Run([] {
        EXPECT_EQ(TTextFile::SideFileProblem("shared/books.orbl.history"), "");
        TTextFile::Append("shared/books.orbl.history", "two\r\n");
    });
    EXPECT_EQ(folder.ReadFile("shared/books.orbl.history"), "one\r\ntwo\r\n");
    ASSERT_EQ(chmod("shared/books.orbl.history", 0644), 0);
    OrdinaryUser::Run([] {
        const std::string said = TTextFile::SideFileProblem("shared/books.orbl.history");
        EXPECT_EQ(said.substr(0, said.find(" (")), "shared/books.orbl.history: File access denied");
    });
}

} // namespace

namespace {

// An append makes the file, starts a cut last line's successor on a line of
// its own, and never writes through a symbolic link.
TEST_F(TextFile, AppendAddsLinesAndFollowsNoLink)
{
    TTextFile::Append("log.txt", "one\r\n");
    Folder.WriteFile("log.txt", Folder.ReadFile("log.txt") + "cu");
    TTextFile::Append("log.txt", "two\r\n");
    EXPECT_EQ(Folder.ReadFile("log.txt"), "one\r\ncu\r\ntwo\r\n");
    Folder.WriteFile("target.txt", "kept");
    ASSERT_EQ(::symlink("target.txt", QString(Folder.Path() + "/link.txt").toLocal8Bit().constData()), 0);
    EXPECT_THROW(TTextFile::Append("link.txt", "x\r\n"), EInOutError);
    EXPECT_EQ(Folder.ReadFile("target.txt"), "kept");
}

// What stands at a side file's name: the whole write and the append alike
// never write through a link and say what is in the way in words, and a hard
// link's other name keeps its content.
TEST_F(TextFile, ASideFileIsNeverWrittenThroughALinkAndWhatIsInTheWayIsSaid)
{
    const std::string own = "the user's own file\r\n";
    const struct {
        const char* What;
        std::function<int()> Arrange; // puts it at "books.orbl.history"; 0 when done
        std::string Said;             // "" where the write goes ahead
    } cases[] = {
        {"a symbolic link", [] { return symlink("thesis.txt", "books.orbl.history"); },
         "books.orbl.history is a symbolic link"},
        {"a dangling symbolic link", [] { return symlink("none.txt", "books.orbl.history"); },
         "books.orbl.history is a symbolic link"},
        {"a folder", [] { return mkdir("books.orbl.history", 0777); }, "books.orbl.history is a folder"},
        {"a FIFO", [] { return mkfifo("books.orbl.history", 0666); }, "books.orbl.history is a FIFO"},
        {"a hard link", [] { return link("thesis.txt", "books.orbl.history"); }, ""},
    };
    Folder.WriteFile("books.orbl", "books");
    for (const auto& c : cases)
        for (const bool append : {false, true}) {
            SCOPED_TRACE(std::string(c.What) + (append ? ", appended to" : ", written whole"));
            Folder.WriteFile("thesis.txt", own);
            ASSERT_EQ(c.Arrange(), 0);
            EXPECT_EQ(TTextFile::SideFileProblem("books.orbl.history").substr(0, c.Said.size()), c.Said);
            std::string outcome = "written";
            try {
                if (append)
                    TTextFile::Append("books.orbl.history", "line\r\n");
                else
                    TTextFile::WriteSideFile("books.orbl.history", "line\r\n", "books.orbl");
            } catch (const EInOutError& e) {
                outcome = e.what();
            }
            if (c.Said.empty()) {
                EXPECT_EQ(outcome, "written");
                EXPECT_EQ(Folder.ReadFile("books.orbl.history"), append ? own + "line\r\n" : "line\r\n");
            } else {
                EXPECT_EQ(outcome.substr(0, c.Said.size()), c.Said);
            }
            EXPECT_EQ(Folder.ReadFile("thesis.txt"), own);
            EXPECT_FALSE(Folder.Exists("books.orbl.history.saving"));
            if (::rmdir("books.orbl.history") != 0) {
                ASSERT_EQ(::unlink("books.orbl.history"), 0);
            }
        }
}

// A side file saved keeps its own mode, group, ACL and attributes; one made
// new takes the database's mode, group and ACL, not the umask.
TEST_F(TextFile, ASideFileKeepsItsOwnAttributesAndANewOneTakesTheDatabases)
{
    OrdinaryUser::Run([] {
        TTempWorkingFolder own;
        const auto acl = [](const char* file) {
            std::string text;
            if (std::FILE* out = ::popen((std::string("getfacl -n --omit-header ") + file).c_str(), "r")) {
                char buffer[256];
                while (std::fgets(buffer, sizeof buffer, out))
                    text += buffer;
                ::pclose(out);
            }
            return text;
        };
        own.WriteFile("books.orbl", "books");
        own.WriteFile("books.orbl.due", "old");
        ASSERT_EQ(chown("books.orbl", static_cast<uid_t>(-1), OrdinaryUser::SharedGroup()), 0);
        ASSERT_EQ(chmod("books.orbl", 0664), 0);
        ASSERT_EQ(chmod("books.orbl.due", 0600), 0);
        ASSERT_EQ(std::system("setfacl -m u:65533:rw books.orbl && setfacl -m u:65533:r books.orbl.due"), 0)
            << "setfacl (package acl)";
        ASSERT_EQ(::setxattr("books.orbl.due", "user.kept", "yes", 3, 0), 0);
        struct stat before = {}, after = {}, database = {}, made = {};
        ASSERT_EQ(stat("books.orbl.due", &before), 0);
        const std::string dueAcl = acl("books.orbl.due");
        ::umask(077);
        TTextFile::WriteSideFile("books.orbl.due", "new", "books.orbl");
        TTextFile::WriteSideFile("books.orbl.history", "made", "books.orbl");
        EXPECT_EQ(own.ReadFile("books.orbl.due"), "new");
        ASSERT_EQ(stat("books.orbl.due", &after), 0);
        EXPECT_NE(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(acl("books.orbl.due"), dueAcl);
        char value[8] = {};
        EXPECT_EQ(::getxattr("books.orbl.due", "user.kept", value, sizeof value), 3);
        ASSERT_EQ(stat("books.orbl", &database), 0);
        ASSERT_EQ(stat("books.orbl.history", &made), 0);
        EXPECT_EQ(made.st_mode & 0777, database.st_mode & 0777);
        EXPECT_EQ(made.st_gid, OrdinaryUser::SharedGroup());
        EXPECT_EQ(acl("books.orbl.history"), acl("books.orbl"));
    });
}

// Side files stand beside the file a symbolic link at the database's name
// leads to; a dangling link leaves them beside the name.
TEST_F(TextFile, SideFilesStandBesideTheFileALinkAtTheDatabasesNameLeadsTo)
{
    ASSERT_TRUE(QDir(Folder.Path()).mkdir("real"));
    Folder.WriteFile("real/books.orbl", "books");
    Folder.WriteFile("plain.orbl", "books");
    ASSERT_EQ(symlink("real/books.orbl", "books.orbl"), 0);
    ASSERT_EQ(symlink("real", "alias"), 0);
    ASSERT_EQ(symlink("none.orbl", "dangling.orbl"), 0);
    char* here = ::realpath(".", nullptr);
    ASSERT_NE(here, nullptr);
    const std::string folder = here;
    std::free(here);
    const struct {
        std::string Database, Side;
    } cases[] = {{"plain.orbl", "plain.orbl.due"},
                 {"books.orbl", folder + "/real/books.orbl.due"},
                 {"alias/books.orbl", "alias/books.orbl.due"},
                 {"dangling.orbl", "dangling.orbl.due"},
                 {"missing.orbl", "missing.orbl.due"}};
    for (const auto& c : cases)
        EXPECT_EQ(TTextFile::SideFileName(c.Database, ".due"), c.Side) << c.Database;
}

// What the file system says is given in words, never as a bare number.
TEST(InOutError, AnErrorNumberIsSaidInWords)
{
    const struct {
        int Error;
        std::string Said;
    } cases[] = {{ELOOP, "The file is a symbolic link, which is never written through"},
                 {EISDIR, "The file is a folder"},
                 {ENXIO, "The file is a FIFO or a device that nothing reads"},
                 {EPROTO, "I/O error " + std::to_string(EPROTO) + " (Protocol error)"}};
    for (const auto& c : cases)
        EXPECT_EQ(EInOutError::FromErrno(c.Error).what(), c.Said);
}

} // namespace
