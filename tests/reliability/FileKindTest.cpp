/*
 * The two data files as they are found on a real desktop: reached through a
 * symbolic or a hard link, shared with a group, made read-only, replaced by a
 * FIFO, a device or a folder, in a folder that takes no new file, or with a
 * link planted at the save's temporary name. Every kind is tried on both
 * stores, run as an ordinary user (permissions do not bind root): what
 * becomes of the data, the link's target, the link, and the file's metadata.
 */
#include "engine/ORBL.h"
#include "settings/KELT.h"
#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using namespace Reliability;

// One store under test: its data file in the folder "data", the file's bytes
// before and after one change, and what opening it says of a path that is no
// data file (a FIFO or a device: %s names which) and of a folder.
struct TStore {
    const char* Name;
    std::string Base;
    std::string Before, After;
    std::string NotAFile, AFolder;
    std::function<void(TTempWorkingFolder&)> Prepare; // the other files it needs
    std::function<void()> OpenAndChange;              // opens the store and saves one change
    std::string File() const { return "data/" + Base; }
    std::string NotAFileSaid(const std::string& kind) const
    {
        const size_t at = NotAFile.find("%s");
        return at == std::string::npos ? NotAFile : NotAFile.substr(0, at) + kind + NotAFile.substr(at + 2);
    }
};

TItem Book(int32_t id, const std::string& title)
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    return item;
}

std::vector<TStore> Stores()
{
    return {
        {"settings", "volumnia.kelt", CrLfLines({"MF_X", "300", "vInteger"}), CrLfLines({"MF_X", "777", "vInteger"}),
         "#109: data/volumnia.kelt is %s, not a file.", "#103: File does not exist.", [](TTempWorkingFolder&) {},
         [] {
             TRFileSystem settings("data/volumnia.kelt");
             settings.WriteInteger("MF_X", 777);
         }},
        {"database", "books.orbl", DatabaseFile({Book(1, "Emma")}), DatabaseFile({Book(1, "Emma"), Book(2, "Walden")}),
         "#102: File error.", "#102: File error.",
         [](TTempWorkingFolder& folder) { folder.WriteFile("volumnia.kelt", DatabaseSettings("data/books.orbl")); },
         [] {
             TRFileSystem settings("volumnia.kelt");
             TDatabase database(settings);
             database.AddItem(Book(2, "Walden"));
             database.SaveToFile();
         }},
    };
}

std::string Outcome(const std::function<void()>& run)
{
    try {
        run();
        return "saved";
    } catch (const std::exception& e) {
        return e.what();
    }
}

struct stat Lstat(const std::string& path)
{
    struct stat info = {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
}

std::string LinkTarget(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

struct TKind {
    const char* Name;
    // Makes the store's file (its bytes are s.Before) in this kind.
    std::function<void(TTempWorkingFolder&, const TStore&)> Arrange;
    std::function<void(TTempWorkingFolder&, const TStore&, const std::string& outcome)> Check;
};

void PlainFile(TTempWorkingFolder& folder, const TStore& s)
{
    folder.WriteFile(s.File(), s.Before);
}

const std::vector<TKind>& Kinds()
{
    static const std::vector<TKind> kinds{
        {"symbolic link: the target gets the content, the link stays",
         [](TTempWorkingFolder& folder, const TStore& s) {
             ASSERT_EQ(mkdir("elsewhere", 0755), 0);
             folder.WriteFile("elsewhere/" + s.Base, s.Before);
             ASSERT_EQ(symlink(folder.FilePath("elsewhere/" + s.Base).c_str(), s.File().c_str()), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             EXPECT_TRUE(S_ISLNK(Lstat(s.File()).st_mode));
             EXPECT_EQ(folder.ReadFile("elsewhere/" + s.Base), s.After);
             EXPECT_EQ(EntriesOf("data"), std::vector<std::string>{s.Base});
             EXPECT_EQ(EntriesOf("elsewhere"), std::vector<std::string>{s.Base});
         }},
        {"hard link: the name saved gets a new file, the other name keeps the old content",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(link(s.File().c_str(), "data/second-name"), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             EXPECT_EQ(folder.ReadFile(s.File()), s.After);
             EXPECT_EQ(folder.ReadFile("data/second-name"), s.Before);
             EXPECT_EQ(Lstat(s.File()).st_nlink, 1u);
             EXPECT_EQ(Lstat("data/second-name").st_nlink, 1u);
         }},
        {"group-shared 0660: mode and group kept",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(chown(s.File().c_str(), static_cast<uid_t>(-1), OrdinaryUser::SharedGroup()), 0);
             ASSERT_EQ(chmod(s.File().c_str(), 0660), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             EXPECT_EQ(folder.ReadFile(s.File()), s.After);
             const struct stat info = Lstat(s.File());
             EXPECT_EQ(info.st_mode & 07777, 0660u);
             EXPECT_EQ(info.st_gid, OrdinaryUser::SharedGroup());
             EXPECT_EQ(info.st_uid, geteuid());
         }},
        {"an ACL and a user attribute: both kept, the ACL's mask never the group's grant",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(chmod(s.File().c_str(), 0640), 0);
             // A named user with write access widens the mask to rw-; the
             // owning group keeps r--.
             ASSERT_EQ(std::system(("setfacl -m u:4321:rw " + s.File()).c_str()), 0) << "setfacl (package acl)";
             ASSERT_EQ(setxattr(s.File().c_str(), "user.note", "kept", 4, 0), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, "saved");
             EXPECT_EQ(folder.ReadFile(s.File()), s.After);
             const std::string acl = CommandOutput("getfacl -n --omit-header " + s.File());
             EXPECT_NE(acl.find("user:4321:rw-"), std::string::npos) << acl;
             EXPECT_NE(acl.find("group::r--"), std::string::npos) << acl;
             EXPECT_NE(acl.find("mask::rw-"), std::string::npos) << acl;
             char note[16] = {};
             EXPECT_EQ(getxattr(s.File().c_str(), "user.note", note, sizeof note), 4);
             EXPECT_STREQ(note, "kept");
         }},
        {"read-only 0444: refused, nothing changes",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(chmod(s.File().c_str(), 0444), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, "File access denied");
             EXPECT_EQ(folder.ReadFile(s.File()), s.Before);
             EXPECT_EQ(Lstat(s.File()).st_mode & 07777, 0444u);
             EXPECT_EQ(EntriesOf("data"), std::vector<std::string>{s.Base});
         }},
        {"FIFO: refused at once, never replaced",
         [](TTempWorkingFolder&, const TStore& s) { ASSERT_EQ(mkfifo(s.File().c_str(), 0644), 0); },
         [](TTempWorkingFolder&, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, s.NotAFileSaid("a FIFO"));
             EXPECT_TRUE(S_ISFIFO(Lstat(s.File()).st_mode));
         }},
        {"device: refused at once, never replaced",
         [](TTempWorkingFolder&, const TStore& s) { ASSERT_EQ(symlink("/dev/zero", s.File().c_str()), 0); },
         [](TTempWorkingFolder&, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, s.NotAFileSaid("a device"));
             EXPECT_EQ(LinkTarget(s.File()), "/dev/zero");
         }},
        {"folder: refused, stays a folder",
         [](TTempWorkingFolder&, const TStore& s) { ASSERT_EQ(mkdir(s.File().c_str(), 0755), 0); },
         [](TTempWorkingFolder&, const TStore& s, const std::string& outcome) {
             EXPECT_EQ(outcome, s.AFolder);
             EXPECT_TRUE(S_ISDIR(Lstat(s.File()).st_mode));
         }},
        {"folder that takes no new file: refused up front saying why, nothing written",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(chmod("data", 0555), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_NE(outcome.find(s.Base + " was not saved: its folder does not let a new file be made"),
                       std::string::npos)
                 << outcome;
             EXPECT_EQ(folder.ReadFile(s.File()), s.Before);
             EXPECT_EQ(EntriesOf("data"), std::vector<std::string>{s.Base});
             chmod("data", 0755);
         }},
        {"own leftover temporary file in a folder that takes no new file: the folder is named, not the leftover",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             folder.WriteFile(s.File() + ".saving", "half a save");
             ASSERT_EQ(chmod("data", 0555), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_NE(outcome.find("its folder does not let a new file be made"), std::string::npos) << outcome;
             EXPECT_EQ(folder.ReadFile(s.File()), s.Before);
             chmod("data", 0755);
         }},
        {"link at the temporary name: refused naming it, the link's target untouched",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             folder.WriteFile("victim.txt", "not ours");
             ASSERT_EQ(symlink("../victim.txt", (s.File() + ".saving").c_str()), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_NE(outcome.find(s.Base + ".saving is in the way"), std::string::npos) << outcome;
             EXPECT_EQ(folder.ReadFile(s.File()), s.Before);
             EXPECT_EQ(folder.ReadFile("victim.txt"), "not ours");
             EXPECT_EQ(LinkTarget(s.File() + ".saving"), "../victim.txt");
         }},
        {"folder at the temporary name: refused naming it, the folder stays",
         [](TTempWorkingFolder& folder, const TStore& s) {
             PlainFile(folder, s);
             ASSERT_EQ(mkdir((s.File() + ".saving").c_str(), 0755), 0);
         },
         [](TTempWorkingFolder& folder, const TStore& s, const std::string& outcome) {
             EXPECT_NE(outcome.find(s.Base + ".saving is in the way"), std::string::npos) << outcome;
             EXPECT_EQ(folder.ReadFile(s.File()), s.Before);
             EXPECT_TRUE(S_ISDIR(Lstat(s.File() + ".saving").st_mode));
         }},
    };
    return kinds;
}

TEST(FileKinds, EachKindOfFileOnBothStoresAsAnOrdinaryUser)
{
    OrdinaryUser::Run([] {
        for (const TStore& store : Stores()) {
            for (const TKind& kind : Kinds()) {
                SCOPED_TRACE(std::string(store.Name) + ", " + kind.Name);
                TTempWorkingFolder folder;
                ASSERT_EQ(mkdir("data", 0755), 0);
                store.Prepare(folder);
                kind.Arrange(folder, store);
                kind.Check(folder, store, Outcome(store.OpenAndChange));
            }
        }
    });
}

// The real volumnia-csv in a folder that takes no new file: the import is
// refused up front, saying why, and neither file changes. Its locks live in
// the runtime folder meanwhile.
TEST(FileKinds, AnImportIntoAFolderThatTakesNoNewFileIsRefusedUpFront)
{
    OrdinaryUser::Run([] {
        TTempWorkingFolder outer;
        ASSERT_EQ(mkdir("runtime", 0700), 0);
        ASSERT_EQ(mkdir("work", 0755), 0);
        const std::string runtime = outer.FilePath("runtime");
        const std::string settings = DatabaseSettings("books.orbl") + "CurrentIndex\r\n1\r\nvInteger\r\n";
        const std::string books = DatabaseFile({Book(1, "Emma")});
        outer.WriteFile("work/volumnia.kelt", settings);
        outer.WriteFile("work/books.orbl", books);
        outer.WriteFile("work/in.csv", "Book title\nWalden\n");
        ASSERT_EQ(chmod("work", 0555), 0);
        const std::string output = outer.FilePath("output.txt");
        const std::string command = "cd work && XDG_RUNTIME_DIR='" + runtime +
                                    "' '" VOLUMNIA_BINARY_DIR "/csv/volumnia-csv' import in.csv >'" + output + "' 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_NE(status, 0);
        const std::string said = outer.ReadFile("output.txt");
        EXPECT_NE(said.find("was not saved: its folder does not let a new file be made"), std::string::npos) << said;
        EXPECT_EQ(outer.ReadFile("work/volumnia.kelt"), settings);
        EXPECT_EQ(outer.ReadFile("work/books.orbl"), books);
        EXPECT_EQ(EntriesOf("work"), (std::vector<std::string>{"books.orbl", "in.csv", "volumnia.kelt"}));
        EXPECT_TRUE(EntriesOf("runtime/volumnia").empty()) << "the locks are gone with the import";
        chmod("work", 0755);
    });
}

// Root may give the new file the old one's owner: a file of another account
// that root saves stays that account's.
TEST(FileKinds, ASaveByTheSuperuserKeepsTheFilesOwner)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser may give a file to another account";
    for (const TStore& store : Stores()) {
        SCOPED_TRACE(store.Name);
        TTempWorkingFolder folder;
        ASSERT_EQ(mkdir("data", 0755), 0);
        store.Prepare(folder);
        PlainFile(folder, store);
        ASSERT_EQ(chown(store.File().c_str(), 4321, 4322), 0);
        EXPECT_EQ(Outcome(store.OpenAndChange), "saved");
        EXPECT_EQ(folder.ReadFile(store.File()), store.After);
        const struct stat info = Lstat(store.File());
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
    }
}

} // namespace
