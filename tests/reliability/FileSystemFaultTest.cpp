/*
 * Saves of both stores that the file system refuses: an injected fault after
 * every possible number of bytes, once and lasting; a real full disk (a small
 * tmpfs mounted in a private mount namespace); and a folder mounted read-only,
 * where no file can be made. Each time the old file must stay byte for byte,
 * the error must reach the caller, no other file may be left, memory must hold
 * what it held (for the settings: the change just written), and the next save
 * that can succeed must write exactly what the reference model says.
 */
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "tests/reliability/ChildProcess.h"
#include "tests/reliability/DatabaseModel.h"
#include "tests/reliability/SettingsModel.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/FailingWriteStep.h"

#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace Reliability;

const TOutcome DiskFull{"EInOutError", "Disk full"};
const TOutcome AccessDenied{"EInOutError", "File access denied"};

TItem Book(int32_t id, const std::string& title, const std::string& author = {})
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = author;
    return item;
}

// Everything a caller can see of a database engine: count, marks, FileSize
// and every slot of the table.
std::string EngineState(const TDatabase& db)
{
    std::string state = std::to_string(db.Count()) + (db.Empty() ? " empty " : " ") + std::to_string(db.FileSize());
    for (int32_t i = 0; i < TDatabaseModel::Slots; ++i) {
        TItem item;
        db.GetItem(-1, i, item);
        state += Describe(item);
    }
    return state;
}

std::string SettingsState(const TRFileSystem& store)
{
    std::string state = std::to_string(store.ValueCount());
    for (int32_t i = 0; i < store.ValueCount(); ++i) {
        const TValue& value = store.ValueAt(i);
        state += "|" + value.Name + "=" + value.Value + ":" + std::to_string(static_cast<int>(value.Kind));
    }
    return state;
}

std::string ModelState(const TSettingsModel& model)
{
    std::string state = std::to_string(model.Values().size());
    for (const TValue& value : model.Values())
        state += "|" + value.Name + "=" + value.Value + ":" + std::to_string(static_cast<int>(value.Kind));
    return state;
}

// The same calls made on a database engine and on its model.
struct TDatabaseScript {
    std::function<void(TDatabase&)> OnEngine;
    std::function<void(TDatabaseModel&)> OnModel;
};

// A store whose next save differs from its file in every way a save can:
// extreme and negative IDs, 8-bit texts and a NUL byte, an update, an add
// with a line break in it, a mark and a sort.
const std::vector<TItem> StartItems = {Book(5, "Zebra", "Ann"), Book(-7, "\xC4pfel"), Book(6, "second five"),
                                       Book(INT32_MAX, "max"), Book(0, std::string("nul\0byte", 8), "\x95")};
const TDatabaseScript Changes = {[](TDatabase& db) {
                                     db.UpdateItem(Book(-7, "\xE4pfel", "B\xF6ll"));
                                     db.AddItem(Book(42, "two\r\nlines", "x"));
                                     db.AddItem(Book(INT32_MIN, "min"));
                                     db.DeleteItem(5);
                                     db.SortBy("Book title");
                                 },
                                 [](TDatabaseModel& model) {
                                     model.Update(Book(-7, "\xE4pfel", "B\xF6ll"));
                                     model.Add(Book(42, "two\r\nlines", "x"));
                                     model.Add(Book(INT32_MIN, "min"));
                                     model.Delete(5);
                                     // The order the engine must reach: by title, the marked item last.
                                     std::vector<TItem> sorted;
                                     for (int32_t slot : {1, 3, 6, 4, 2, 5, 0})
                                         sorted.push_back(model.Slot(slot));
                                     EXPECT_EQ(model.CheckSort("Book title", sorted), "");
                                 }};

class FileSystemFault : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed

    // An engine on "data/books.orbl" holding StartItems, then changed; the
    // model of it goes along.
    TDatabase& OpenChangedDatabase()
    {
        QDir(Folder.Path()).mkdir("data");
        Folder.WriteFile("volumnia.kelt", DatabaseSettings("data/books.orbl"));
        Folder.WriteFile("data/books.orbl", DatabaseFile(StartItems));
        Settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        Database = std::make_unique<TDatabase>(*Settings);
        TDatabaseModel::TFileLoad file;
        file.Items = StartItems;
        file.Bytes = DatabaseFile(StartItems).size();
        Model.Loaded(file);
        Changes.OnEngine(*Database);
        Changes.OnModel(Model);
        return *Database;
    }

    void ExpectFreshEngineReadsTheModel()
    {
        TRFileSystem settings("volumnia.kelt");
        TDatabase fresh(settings);
        ASSERT_EQ(fresh.Count(), Model.Count());
        for (int32_t i = 0; i < Model.Count(); ++i) {
            TItem item;
            fresh.GetItem(-1, i, item);
            EXPECT_TRUE(SameItem(item, Model.Slot(i))) << "slot " << i << ": " << Describe(item);
        }
    }

    // On a RAM file system: the sweeps save a thousand times, each with a flush to disk.
    std::unique_ptr<TTempWorkingFolder> FolderOnRam = RamFolder();
    TTempWorkingFolder& Folder = *FolderOnRam;
    std::unique_ptr<TRFileSystem> Settings;
    std::unique_ptr<TDatabase> Database;
    TDatabaseModel Model{Aliases};
};

TEST_F(FileSystemFault, DatabaseSaveFailingAfterAnyByteOnceOrLastingLosesNothing)
{
    TDatabase& db = OpenChangedDatabase();
    const std::string oldFile = Folder.ReadFile("data/books.orbl");
    const std::string memory = EngineState(db);
    const std::string content = Model.FileContent();
    ASSERT_NE(content, oldFile);
    int cases = 0;
    for (const bool once : {true, false}) {
        for (size_t n = 0; n <= content.size(); ++n, ++cases) {
            SCOPED_TRACE((once ? "once, after " : "lasting, after ") + std::to_string(n) + " bytes");
            WriteFault.FailAfter(static_cast<int64_t>(n), once);
            EXPECT_EQ(Capture([&] { db.SaveToFile(); }), DiskFull);
            // A lasting fault meets the next save as well; a spent one does not.
            if (!once) {
                EXPECT_EQ(Capture([&] { db.SaveToFile(); }), DiskFull);
            }
            WriteFault.Clear();
            ASSERT_EQ(Folder.ReadFile("data/books.orbl"), oldFile);
            ASSERT_EQ(EntriesOf(Folder.FilePath("data")), std::vector<std::string>{"books.orbl"});
            ASSERT_EQ(EngineState(db), memory);
        }
    }
    std::cout << "[ faults   ] database: " << cases << " failing saves (0 to " << content.size()
              << " bytes, once and lasting)\n";

    EXPECT_EQ(Capture([&] { db.SaveToFile(); }), NoError());
    Model.Saved();
    EXPECT_EQ(Folder.ReadFile("data/books.orbl"), content);
    EXPECT_EQ(EntriesOf(Folder.FilePath("data")), std::vector<std::string>{"books.orbl"});
    ExpectFreshEngineReadsTheModel();
}

// One write of the settings store, made on the store and on its model.
struct TSettingsWrite {
    const char* What;
    std::function<void(TRFileSystem&)> OnStore;
    std::function<TOutcome(TSettingsModel&, TSettingsModel::TDisk)> OnModel;
};

const std::string SettingsFile = "AlwaysOnTop\r\nfalse\r\nvString\r\n"
                                 "MF_X\r\n300\r\nvInteger\r\n"
                                 "Ratio\r\n0.5\r\nvFloat\r\n"
                                 "MF_X\r\n-1\r\nvString\r\n"
                                 "Shown\r\nTrue\r\nvBoolean\r\n"
                                 "\r\n\r\nvString\r\n";

TSettingsModel SettingsModelOfFile()
{
    TSettingsModel model;
    TSettingsModel::TFileLoad file;
    file.Entries = {{"AlwaysOnTop", "false", TValueKind::vString}, {"MF_X", "300", TValueKind::vInteger},
                    {"Ratio", "0.5", TValueKind::vFloat},          {"MF_X", "-1", TValueKind::vString},
                    {"Shown", "True", TValueKind::vBoolean},       {"", "", TValueKind::vString}};
    model.Loaded(file);
    return model;
}

TEST_F(FileSystemFault, SettingsWriteFailingAfterAnyByteOnceOrLastingKeepsTheOldFile)
{
    using TDisk = TSettingsModel::TDisk;
    const TSettingsWrite writes[] = {
        {"a new name", [](TRFileSystem& s) { s.WriteString("LV_X", "12"); },
         [](TSettingsModel& m, TDisk d) { return m.WriteString("LV_X", "12", d); }},
        {"a held name turned integer", [](TRFileSystem& s) { s.WriteInteger("MF_X", INT32_MIN); },
         [](TSettingsModel& m, TDisk d) { return m.WriteInteger("MF_X", INT32_MIN, d); }},
        {"the empty name, with line breaks in the value", [](TRFileSystem& s) { s.WriteString("", "a\r\nb\x1a"); },
         [](TSettingsModel& m, TDisk d) { return m.WriteString("", "a\r\nb\x1a", d); }},
        {"a float entry made a string", [](TRFileSystem& s) { s.WriteString("Ratio", "0,75"); },
         [](TSettingsModel& m, TDisk d) { return m.WriteString("Ratio", "0,75", d); }},
    };
    int cases = 0;
    for (const TSettingsWrite& write : writes) {
        SCOPED_TRACE(write.What);
        TSettingsModel changed = SettingsModelOfFile();
        ASSERT_EQ(write.OnModel(changed, TDisk::Writable), NoError());
        const std::string content = changed.FileContent();
        for (const bool once : {true, false}) {
            for (size_t n = 0; n <= content.size(); ++n, ++cases) {
                SCOPED_TRACE((once ? "once, after " : "lasting, after ") + std::to_string(n) + " bytes");
                Folder.WriteFile("volumnia.kelt", SettingsFile);
                TRFileSystem store("volumnia.kelt");
                WriteFault.FailAfter(static_cast<int64_t>(n), once);
                TSettingsModel model = SettingsModelOfFile();
                EXPECT_EQ(Capture([&] { write.OnStore(store); }), write.OnModel(model, TDisk::WriteFails));
                if (!once) { // the change is held, and the next save fails too
                    EXPECT_EQ(Capture([&] { store.SaveToFile(); }), DiskFull);
                }
                WriteFault.Clear();
                ASSERT_EQ(Folder.ReadFile("volumnia.kelt"), SettingsFile);
                ASSERT_EQ(Folder.FileNames(), std::vector<std::string>{"volumnia.kelt"});
                ASSERT_EQ(SettingsState(store), ModelState(model)) << "the change is not held as written";
                // The next save that goes through writes the change.
                EXPECT_EQ(Capture([&] { store.SaveToFile(); }), NoError());
                ASSERT_EQ(Folder.ReadFile("volumnia.kelt"), content);
            }
        }
    }
    std::cout << "[ faults   ] settings: " << cases
              << " failing writes (every byte of four writes, once and lasting)\n";
}

// --- A real full disk -------------------------------------------------------

// Mounts a tmpfs of the given size on folder (in the child's own namespace).
std::string MountSmallDisk(const std::string& folder, const char* size)
{
    std::string why;
    if (!EnterPrivateMountNamespace(why))
        return "SKIP: " + why;
    const std::string options = std::string("size=") + size + ",mode=0755";
    if (mount("volumnia-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        return std::string("SKIP: cannot mount a tmpfs (") + std::strerror(errno) + ")";
    return {};
}

// Fills the disk holding path, then frees `room` bytes of it again.
std::string FillDisk(const std::string& path, off_t room)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return "cannot make the filler file";
    const std::string block(4096, 'f');
    off_t size = 0;
    for (;;) {
        const ssize_t n = write(fd, block.data(), block.size());
        if (n <= 0)
            break;
        size += n;
    }
    const bool full = errno == ENOSPC;
    const int cut = ftruncate(fd, size > room ? size - room : 0);
    close(fd);
    if (!full || cut != 0)
        return "the disk did not fill up";
    return {};
}

// Runs the body in a child with a 64 KiB tmpfs on "disk", and reports.
void RunOnSmallDisk(TTempWorkingFolder& folder, const std::function<std::string(const std::string&)>& body)
{
    QDir(folder.Path()).mkdir("disk");
    const std::string disk = folder.FilePath("disk");
    const TChildResult result = RunInChild([&]() -> std::string {
        const std::string mounted = MountSmallDisk(disk, "64k");
        if (!mounted.empty())
            return mounted;
        return body(disk);
    });
    if (result.Report.rfind("SKIP: ", 0) == 0)
        GTEST_SKIP() << "could not run the full disk test: " << result.Report.substr(6);
    ASSERT_TRUE(result.Exited) << "the child ended by signal " << result.Signal;
    EXPECT_EQ(result.Report, "");
}

std::string Check(bool ok, const std::string& what)
{
    return ok ? std::string() : what + "; ";
}

TEST_F(FileSystemFault, DatabaseSaveOnAFullDiskKeepsTheOldFile)
{
    RunOnSmallDisk(Folder, [&](const std::string& disk) -> std::string {
        std::vector<TItem> start;
        for (int32_t id = 1; id <= 40; ++id)
            start.push_back(Book(id, "Title " + std::to_string(id)));
        const std::string oldFile = DatabaseFile(start);
        Folder.WriteFile("disk/books.orbl", oldFile);
        Folder.WriteFile("volumnia.kelt", DatabaseSettings("disk/books.orbl"));
        TRFileSystem settings("volumnia.kelt");
        TDatabase db(settings);
        TDatabaseModel model(Aliases);
        TDatabaseModel::TFileLoad file;
        file.Items = start;
        file.Bytes = oldFile.size();
        model.Loaded(file);
        // About 40 KiB more than the file held.
        for (int32_t id = 100; id < 300; ++id) {
            db.AddItem(Book(id, std::string(200, 'n')));
            model.Add(Book(id, std::string(200, 'n')));
        }
        db.DeleteItem(3);
        model.Delete(3);
        std::string problem = FillDisk(disk + "/filler", 8192);
        if (!problem.empty())
            return problem;
        const std::string memory = EngineState(db);

        const TOutcome full = Capture([&] { db.SaveToFile(); });
        problem +=
            Check(full == DiskFull, "the save on a full disk gave " + (full.Raised() ? full.Message : "no error"));
        problem += Check(Folder.ReadFile("disk/books.orbl") == oldFile, "the old file changed");
        problem += Check(EntriesOf(disk) == std::vector<std::string>{"books.orbl", "filler"}, "a file was left");
        problem += Check(EngineState(db) == memory, "the store in memory changed");

        // With room again the same save goes through.
        unlink((disk + "/filler").c_str());
        const std::string content = model.FileContent();
        const TOutcome saved = Capture([&] { db.SaveToFile(); });
        problem += Check(saved == NoError(), "the save with room failed: " + saved.Message);
        problem += Check(Folder.ReadFile("disk/books.orbl") == content, "the file does not hold the store");
        problem += Check(EntriesOf(disk) == std::vector<std::string>{"books.orbl"}, "a file was left after the save");
        return problem;
    });
}

TEST_F(FileSystemFault, SettingsWriteOnAFullDiskKeepsTheOldFile)
{
    RunOnSmallDisk(Folder, [&](const std::string& disk) -> std::string {
        if (chdir(disk.c_str()) != 0)
            return "cannot enter the small disk";
        Folder.WriteFile("disk/volumnia.kelt", SettingsFile);
        TRFileSystem store("volumnia.kelt");
        TSettingsModel model = SettingsModelOfFile();
        std::string problem = FillDisk(disk + "/filler", 4096);
        if (!problem.empty())
            return problem;

        const std::string big(20000, 'v');
        const TOutcome full = Capture([&] { store.WriteString("orbl_databasefile", big); });
        model.WriteString("orbl_databasefile", big, TSettingsModel::TDisk::WriteFails);
        problem +=
            Check(full == DiskFull, "the write on a full disk gave " + (full.Raised() ? full.Message : "no error"));
        problem += Check(Folder.ReadFile("disk/volumnia.kelt") == SettingsFile, "the old file changed");
        problem += Check(EntriesOf(disk) == std::vector<std::string>{"filler", "volumnia.kelt"}, "a file was left");
        problem += Check(store.ReadString("orbl_databasefile") == big, "the value written is not held");

        unlink((disk + "/filler").c_str());
        const TOutcome written = Capture([&] { store.WriteInteger("MF_Y", 7); });
        model.WriteInteger("MF_Y", 7, TSettingsModel::TDisk::Writable);
        problem += Check(written == NoError(), "the write with room failed: " + written.Message);
        problem += Check(Folder.ReadFile("disk/volumnia.kelt") == model.FileContent(), "the file lost a value");
        problem +=
            Check(EntriesOf(disk) == std::vector<std::string>{"volumnia.kelt"}, "a file was left after the write");
        return problem;
    });
}

// --- A folder where no file can be made ------------------------------------

// Binds folder onto itself read-only, in the child's own mount namespace.
std::string MakeReadOnly(const std::string& folder)
{
    std::string why;
    if (!EnterPrivateMountNamespace(why))
        return "SKIP: " + why;
    if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return std::string("SKIP: cannot bind the folder (") + std::strerror(errno) + ")";
    if (mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return std::string("SKIP: cannot remount it read-only (") + std::strerror(errno) + ")";
    // Root may write where permissions say no, but not on a read-only mount.
    const std::string probe = folder + "/probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd >= 0) {
        close(fd);
        return "the read-only folder took a new file";
    }
    return {};
}

void RunInReadOnlyFolder(TTempWorkingFolder& folder, const std::function<std::string(const std::string&)>& prepare,
                         const std::function<std::string(const std::string&)>& body)
{
    QDir(folder.Path()).mkdir("locked");
    const std::string locked = folder.FilePath("locked");
    const TChildResult result = RunInChild([&]() -> std::string {
        std::string problem = prepare(locked);
        if (!problem.empty())
            return problem;
        problem = MakeReadOnly(locked);
        if (!problem.empty())
            return problem;
        return body(locked);
    });
    if (result.Report.rfind("SKIP: ", 0) == 0)
        GTEST_SKIP() << "could not run the read-only folder test: " << result.Report.substr(6);
    ASSERT_TRUE(result.Exited) << "the child ended by signal " << result.Signal;
    EXPECT_EQ(result.Report, "");
}

TEST_F(FileSystemFault, DatabaseSaveInAReadOnlyFolderIsRefused)
{
    const std::string oldFile = DatabaseFile(StartItems);
    std::unique_ptr<TRFileSystem> settings;
    std::unique_ptr<TDatabase> db;
    RunInReadOnlyFolder(
        Folder,
        [&](const std::string&) -> std::string {
            Folder.WriteFile("locked/books.orbl", oldFile);
            Folder.WriteFile("volumnia.kelt", DatabaseSettings("locked/books.orbl"));
            settings = std::make_unique<TRFileSystem>("volumnia.kelt");
            db = std::make_unique<TDatabase>(*settings);
            Changes.OnEngine(*db);
            return {};
        },
        [&](const std::string& locked) -> std::string {
            const std::string memory = EngineState(*db);
            const TOutcome refused = Capture([&] { db->SaveToFile(); });
            std::string problem =
                Check(refused == AccessDenied,
                      "the save gave " + (refused.Raised() ? refused.Class + " " + refused.Message : "no error"));
            problem += Check(Folder.ReadFile("locked/books.orbl") == oldFile, "the old file changed");
            problem += Check(EntriesOf(locked) == std::vector<std::string>{"books.orbl"}, "a file was left");
            problem += Check(EngineState(*db) == memory, "the store in memory changed");
            // The file can still be read: a program started now finds the old books.
            TRFileSystem again("volumnia.kelt");
            const TOutcome opened = Capture([&] { TDatabase fresh(again); });
            problem += Check(opened == NoError(), "the read-only file cannot be opened: " + opened.Message);
            return problem;
        });
}

TEST_F(FileSystemFault, SettingsWriteInAReadOnlyFolderIsRefused)
{
    std::unique_ptr<TRFileSystem> store;
    RunInReadOnlyFolder(
        Folder,
        [&](const std::string& locked) -> std::string {
            Folder.WriteFile("locked/volumnia.kelt", SettingsFile);
            if (chdir(locked.c_str()) != 0)
                return "cannot enter the folder";
            store = std::make_unique<TRFileSystem>("volumnia.kelt");
            return {};
        },
        [&](const std::string& locked) -> std::string {
            // Entered again: a working folder entered before the read-only
            // mount would still reach the files through the writable one.
            if (chdir(locked.c_str()) != 0)
                return "cannot enter the read-only folder";
            const TOutcome refused = Capture([&] { store->WriteString("AlwaysOnTop", "true"); });
            std::string problem =
                Check(refused == AccessDenied,
                      "the write gave " + (refused.Raised() ? refused.Class + " " + refused.Message : "no error"));
            problem += Check(Folder.ReadFile("locked/volumnia.kelt") == SettingsFile, "the old file changed");
            problem += Check(store->ValueExists("AlwaysOnTop") && store->ReadInteger("MF_X") == 300,
                             "the values read from the file were lost");
            problem += Check(EntriesOf(locked) == std::vector<std::string>{"volumnia.kelt"}, "a file was left");
            problem += Check(store->ReadString("AlwaysOnTop") == "true", "the value written is not held");
            return problem;
        });
}

} // namespace
