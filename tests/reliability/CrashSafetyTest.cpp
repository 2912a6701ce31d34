/*
 * A program killed in the middle of a save. A forked child saves two known
 * contents in turn (A, then B, then A...) as fast as it can, and is killed
 * with SIGKILL after a random delay; the file must then hold exactly A or
 * exactly B, never a mix, a cut-off or nothing, and the only other file the
 * kill may leave is the one temporary "<file>.saving". The next save in the
 * parent must succeed and leave nothing but the data file behind.
 */
#include "engine/History.h"
#include "engine/ORBL.h"
#include "tests/reliability/ModelRun.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/WaitUntilItWaits.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Reliability;

// Kills a store in memory (where a save is quick) and on the disk (where most
// of a save is spent waiting for the sync).
#ifdef VOLUMNIA_SANITIZED
constexpr int KillsInMemory = 60, KillsOnDisk = 20;
#else
constexpr int KillsInMemory = 250, KillsOnDisk = 100;
#endif

struct TKillRun {
    std::function<void()> SaveA, SaveB; // in the child, in turn
    std::function<void()> SaveInParent; // after the kill: writes A
    std::string DataFile;
    std::string ContentA, ContentB;
    std::vector<std::string> Files; // what the folder holds between saves
    uint32_t Seed;
};

struct TKillTally {
    int Kills = 0, FoundA = 0, FoundB = 0, LeftTemporary = 0;
};

// Seconds one A save and one B save take together, measured in the parent.
double CycleSeconds(const TKillRun& run)
{
    const auto start = std::chrono::steady_clock::now();
    constexpr int Cycles = 3;
    for (int i = 0; i < Cycles; ++i) {
        run.SaveB();
        run.SaveA();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / Cycles;
}

// Returns what went wrong in one kill, or nothing.
std::string KillOnce(TTempWorkingFolder& folder, const TKillRun& run, bool startWithB, std::chrono::microseconds delay,
                     TKillTally& tally)
{
    int ready[2];
    if (pipe(ready) != 0)
        return "cannot make a pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return "cannot fork";
    if (pid == 0) {
        // One save before the go: a forked child first pays for copying the
        // pages it touches, and the kills are meant for saves at full pace.
        close(ready[0]);
        bool b = startWithB;
        try {
            (b ? run.SaveB : run.SaveA)();
            const char go = 1;
            if (write(ready[1], &go, 1) != 1)
                _exit(2);
            for (;;) {
                b = !b;
                (b ? run.SaveB : run.SaveA)();
            }
        } catch (...) {
            _exit(3);
        }
    }
    close(ready[1]);
    char go = 0;
    const bool started = read(ready[0], &go, 1) == 1;
    close(ready[0]);
    if (started)
        std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!started)
        return "the child did not start";
    if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL)
        return "the child stopped on its own (exit code " + std::to_string(WEXITSTATUS(status)) + "): a save failed";
    ++tally.Kills;

    const std::string bytes = folder.ReadFile(run.DataFile);
    if (bytes == run.ContentA)
        ++tally.FoundA;
    else if (bytes == run.ContentB)
        ++tally.FoundB;
    else
        return "the file is neither content after a kill: " + std::to_string(bytes.size()) + " bytes (A has " +
               std::to_string(run.ContentA.size()) + ", B " + std::to_string(run.ContentB.size()) + ")";

    std::vector<std::string> files = folder.FileNames();
    const auto temporary = std::find(files.begin(), files.end(), run.DataFile + ".saving");
    if (temporary != files.end()) {
        ++tally.LeftTemporary;
        files.erase(temporary);
    }
    if (files != run.Files)
        return "the kill left other files than the data file and its \".saving\" file";

    // The next save goes through and takes the temporary file with it.
    try {
        run.SaveInParent();
    } catch (const std::exception& e) {
        return std::string("the save after the kill failed: ") + e.what();
    }
    if (folder.ReadFile(run.DataFile) != run.ContentA)
        return "the save after the kill wrote something else";
    if (folder.FileNames() != run.Files)
        return "the save after the kill left a file behind";
    return {};
}

// midWrite: whether some kills must find the temporary file, that is, land
// while the new content is being written or synced.
void KillDuringSaves(TTempWorkingFolder& folder, const TKillRun& run, int kills, bool midWrite, const char* store)
{
    // Delays spread over one and a half A-and-B cycles (two milliseconds at
    // least), so the kills fall into every step of a save: writing, syncing,
    // renaming, reading back. Half the children begin with B.
    const double cycle = CycleSeconds(run);
    const auto longest = std::chrono::microseconds(static_cast<int64_t>(std::max(cycle * 1.5, 0.002) * 1e6));
    std::mt19937 random(run.Seed);
    std::uniform_int_distribution<int64_t> delay(0, longest.count());
    TKillTally tally;
    for (int i = 0; i < kills; ++i) {
        const bool startWithB = random() % 2 == 1;
        const std::string problem = KillOnce(folder, run, startWithB, std::chrono::microseconds(delay(random)), tally);
        ASSERT_EQ(problem, "") << "kill " << i;
    }
    std::cout << "[ crashes  ] " << store << ": " << tally.Kills << " kills survived (file A " << tally.FoundA
              << " times, B " << tally.FoundB << " times; " << tally.LeftTemporary
              << " kills left the temporary file); one A and B cycle takes " << cycle * 1000 << " ms\n";
    // Kills that never met a save half done would prove nothing.
    EXPECT_GT(tally.FoundA, 0);
    EXPECT_GT(tally.FoundB, 0);
    // (A sanitizer slows the steps of a save unevenly, and its runs are short.)
    if (midWrite && !SanitizedBuild) {
        EXPECT_GT(tally.LeftTemporary, 0);
    }
}

std::string BookFile(const std::string& prefix, int count)
{
    std::string bytes;
    for (int id = 1; id <= count; ++id) {
        bytes += std::to_string(id) + "\r\n" + prefix + " " + std::to_string(id) + "\r\n" + prefix +
                 " author\r\nPublisher\r\n19" + std::to_string(id % 100) + "\r\n";
        for (int f = 4; f < 10; ++f)
            bytes += "\r\n";
    }
    return bytes;
}

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

// Two engines on the same file, one loaded while it held A, one while it
// held B, saving in turn in a child that is killed. hardLinked: the file has
// a second name (a snapshot made by hard links), which must keep A whatever
// the kills do to the name saved.
void KillDatabaseSaves(TTempWorkingFolder& folder, int kills, bool midWrite, uint32_t seed, const char* where,
                       bool hardLinked = false)
{
    const std::string contentA = BookFile("Alpha", 1499);
    const std::string contentB = BookFile("Beta, a longer title", 1499);
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl"));
    TRFileSystem settings("volumnia.kelt");
    folder.WriteFile("books.orbl", contentB);
    TDatabase databaseB(settings);
    folder.WriteFile("books.orbl", contentA);
    TDatabase databaseA(settings);
    ASSERT_EQ(databaseA.Count(), 1499);
    ASSERT_EQ(databaseB.Count(), 1499);
    std::vector<std::string> files{"books.orbl", "volumnia.kelt"};
    if (hardLinked) {
        ASSERT_EQ(link("books.orbl", "snapshot.orbl"), 0);
        files = {"books.orbl", "snapshot.orbl", "volumnia.kelt"};
    }

    const TKillRun run{[&] { databaseA.SaveToFile(); },
                       [&] { databaseB.SaveToFile(); },
                       [&] { databaseA.SaveToFile(); },
                       "books.orbl",
                       contentA,
                       contentB,
                       files,
                       seed};
    KillDuringSaves(folder, run, kills, midWrite, where);
    if (hardLinked) {
        EXPECT_TRUE(folder.ReadFile("snapshot.orbl") == contentA) << "the snapshot's name was written through";
    }
}

TEST_F(CrashSafety, DatabaseFileIsWholeAfterAKillAtAnyMoment)
{
    // In memory the temporary file lives only for the microseconds of its
    // write, and most kills fall into the reading back; the run on the disk
    // is the one that must meet the writes.
    const auto folder = RamFolder();
    KillDatabaseSaves(*folder, KillsInMemory, false, 20240607, "database in memory");
}

TEST_F(CrashSafety, DatabaseFileOnTheDiskIsWholeAfterAKillAtAnyMoment)
{
    TTempWorkingFolder folder;
    KillDatabaseSaves(folder, KillsOnDisk, true, 314, "database on the disk");
}

// A file with a second name used to be rewritten in place, which a kill
// could tear; it is now replaced like any other.
TEST_F(CrashSafety, HardLinkedDatabaseFileIsWholeAfterAKillAtAnyMoment)
{
    TTempWorkingFolder folder;
    KillDatabaseSaves(folder, KillsOnDisk, true, 2718, "hard-linked database on the disk", true);
}

// The real volumnia-csv, killed at any moment of an import of five books into
// a hard-linked database: each time the database holds the books it held or
// those and the five, CurrentIndex is never below the highest ID, no ID is
// held twice, the next import takes over the killed one's locks, and the
// database's second name keeps the content it had from the start, and the
// history holds exactly the imports the database holds.
TEST_F(CrashSafety, ImportsKilledAtAnyMomentLeaveTheOldOrTheNewDatabase)
{
    TTempWorkingFolder folder;
    const std::string original = BookFile("Alpha", 900);
    folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl") + "CurrentIndex\r\n900\r\nvInteger\r\n");
    folder.WriteFile("books.orbl", original);
    ASSERT_EQ(link("books.orbl", "snapshot.orbl"), 0);
    folder.WriteFile("in.csv", "Book title\nOne\nTwo\nThree\nFour\nFive\n");
    const std::string program = VOLUMNIA_BINARY_DIR "/csv/volumnia-csv";

    // One import, killed after delay (none: runs to its end); its exit status.
    const auto import = [&](std::chrono::microseconds delay, bool kill) {
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            // The same five titles each time: kept, not passed over as duplicates.
            execl(program.c_str(), "volumnia-csv", "import", "--keep-duplicates", "in.csv",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (kill) {
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    };
    // What the folder holds now: the books' count, after checking the rest.
    const auto check = [&](int32_t before) -> int32_t {
        TRFileSystem settings("volumnia.kelt");
        TDatabase database(settings, TDatabase::TLoadOnly{});
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < database.Count(); ++i)
            ids.push_back(database.ItemAt(i).ID);
        std::sort(ids.begin(), ids.end());
        EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end()) << "an ID is held twice";
        EXPECT_GE(settings.ReadInteger("CurrentIndex"), ids.empty() ? 0 : ids.back());
        EXPECT_TRUE(database.Count() == before || database.Count() == before + 5)
            << database.Count() << " books after " << before;
        // The history holds exactly the imports the database holds, the
        // newest one's books among them.
        const std::vector<THistoryEntry> imports = THistory("books.orbl").ReadAll(nullptr, &database);
        EXPECT_EQ(imports.size() * 5, static_cast<size_t>(database.Count() - 900));
        if (!imports.empty()) {
            for (const TBookChange::TBook& book : imports.back().Change.Books)
                EXPECT_TRUE(database.ItemExists(book.ID));
        }
        return database.Count();
    };

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(import({}, false), 0) << "an import that is not killed";
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int32_t held = check(900);
    ASSERT_EQ(held, 905);

    std::mt19937 random(1618);
    std::uniform_int_distribution<int64_t> delay(0, static_cast<int64_t>(seconds * 1.3e6));
    int old = 0, whole = 0;
    const int kills = SanitizedBuild ? 30 : 100;
    for (int i = 0; i < kills && !HasFailure(); ++i) {
        SCOPED_TRACE("kill " + std::to_string(i));
        import(std::chrono::microseconds(delay(random)), true);
        const int32_t now = check(held);
        (now == held ? old : whole) += 1;
        held = now;
    }
    std::cout << "[ crashes  ] volumnia-csv import into a hard-linked database: " << kills << " kills (old file " << old
              << " times, new " << whole << " times); one import takes " << seconds * 1000 << " ms\n";
    EXPECT_GT(old, 0);
    EXPECT_GT(whole, 0);
    EXPECT_TRUE(folder.ReadFile("snapshot.orbl") == original) << "the second name was written through";
    // The killed imports' locks are taken over by the next one.
    EXPECT_EQ(import({}, false), 0);
    EXPECT_EQ(check(held), held + 5);
}

// The real Volumnia, killed at any moment of its orderly end (a SIGTERM, as a
// logout sends), which saves the settings and then a hard-linked database.
// The files are as a hand edit leaves them, LF line ends and CurrentIndex in
// hex, which the end writes anew (CR LF, decimal). Each kill leaves each file
// old or new, never a mix, and the settings never behind the books; the
// database's second name and the run's backup keep the content the run found;
// and what a kill leaves (".saving" files, locks) never stops the next start
// nor its saves.
TEST_F(CrashSafety, VolumniaKilledWhileItEndsLeavesTheOldOrTheNewFiles)
{
    TTempWorkingFolder folder;
    std::string original, saved;
    for (int id = 1; id <= 1500; ++id) {
        std::string number = std::to_string(id);
        number.insert(0, 4 - number.size(), '0'); // the title order is the stored order
        original += std::to_string(id) + "\nTitle " + number + "\nAuthor " + std::to_string(id % 37) +
                    "\nPublisher\n19" + number.substr(2) + "\n\n\n\n\n\n\n";
    }
    for (const char c : original)
        saved += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ifstream installed(VOLUMNIA_SOURCE_DIR "/resources/install/volumnia.kelt", std::ios::binary);
    std::string settingsOld{std::istreambuf_iterator<char>(installed), {}};
    const std::string index = "CurrentIndex\r\n0\r\n";
    const size_t at = settingsOld.find(index);
    ASSERT_NE(at, std::string::npos);
    settingsOld.replace(at, index.size(), "CurrentIndex\r\n0x5DC\r\n");
    // The start adds the books' count (the sign that both locks were taken);
    // the end writes CurrentIndex back as a plain number.
    const std::string settingsStarted = settingsOld + "orbl_itemcount\r\n1500\r\nvInteger\r\n";
    std::string settingsEnded = settingsStarted;
    settingsEnded.replace(at, index.size() + 4, "CurrentIndex\r\n1500\r\n");
    folder.WriteFile("books.orbl", original);
    ASSERT_EQ(link("books.orbl", "snapshot.orbl"), 0);
    const std::vector<std::string> files{"books.orbl", "books.orbl.bak", "snapshot.orbl", "volumnia.kelt"};
    const std::set<std::string> leftovers{"books.orbl.bak.saving", "books.orbl.lock", "books.orbl.saving",
                                          "volumnia.kelt.lock", "volumnia.kelt.saving"};

    // One run from the old files (the database hard-linked again): SIGTERM
    // once it waits in its event loop, and SIGKILL after killAfter. Returns
    // the seconds from the SIGTERM until the books are saved (a run not
    // killed; the end of the process may take far longer on busy cores), and
    // whether the kill ended it.
    const auto run = [&](std::optional<std::chrono::microseconds> killAfter) -> std::pair<double, bool> {
        folder.Remove("books.orbl");
        EXPECT_EQ(link("snapshot.orbl", "books.orbl"), 0);
        folder.WriteFile("volumnia.kelt", settingsOld);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder.Path());
        program.start(QStringLiteral(VOLUMNIA_BINARY_DIR "/app/Volumnia"), {});
        if (!program.waitForStarted(10000)) {
            ADD_FAILURE() << "Volumnia does not start";
            return {0, false};
        }
        QElapsedTimer clock;
        clock.start();
        while (program.state() != QProcess::NotRunning && folder.ReadFile("volumnia.kelt") != settingsStarted &&
               clock.elapsed() < 10000)
            QThread::msleep(2);
        if (folder.ReadFile("volumnia.kelt") != settingsStarted) {
            ADD_FAILURE() << "the start was refused or failed: " << program.readAllStandardError().toStdString();
            program.kill();
            program.waitForFinished();
            return {0, false};
        }
        WaitUntilItWaits(program);
        clock.start();
        program.terminate();
        double seconds = 0;
        if (killAfter) {
            std::this_thread::sleep_for(*killAfter);
            program.kill();
        } else {
            // The database's name gets the new file: the last save is done.
            struct stat first = {}, now = {};
            ::stat("snapshot.orbl", &first);
            while (clock.elapsed() < 10000 && ::stat("books.orbl", &now) == 0 && now.st_ino == first.st_ino)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        }
        EXPECT_TRUE(program.waitForFinished(10000)) << "the orderly end does not end";
        const bool killed = program.exitStatus() == QProcess::CrashExit;
        EXPECT_TRUE(killed || program.exitCode() == 0) << program.readAllStandardError().toStdString();
        return {seconds, killed};
    };
    const auto endedInOrder = [&] {
        EXPECT_TRUE(folder.ReadFile("books.orbl") == saved);
        EXPECT_EQ(folder.ReadFile("volumnia.kelt"), settingsEnded);
        EXPECT_TRUE(folder.ReadFile("books.orbl.bak") == original);
        EXPECT_EQ(folder.FileNames(), files);
    };

    const auto start = std::chrono::steady_clock::now();
    double ending = 0;
    for (int i = 0; i < 3; ++i) {
        ending += run(std::nullopt).first / 3;
        endedInOrder();
    }
    ASSERT_FALSE(HasFailure());

    std::mt19937 random(1729);
    std::uniform_int_distribution<int64_t> delay(0, static_cast<int64_t>(ending * 1.5e6));
    int old = 0, whole = 0, unkilled = 0;
    const int kills = SanitizedBuild ? 30 : 100;
    int i = 0;
    for (; i < kills && !HasFailure(); ++i) {
        SCOPED_TRACE("kill " + std::to_string(i));
        unkilled += run(std::chrono::microseconds(delay(random))).second ? 0 : 1;
        const std::string books = folder.ReadFile("books.orbl");
        const std::string settings = folder.ReadFile("volumnia.kelt");
        EXPECT_TRUE(books == original || books == saved) << books.size() << " bytes in the database";
        EXPECT_TRUE(settings == settingsStarted || settings == settingsEnded) << settings.size() << " bytes";
        // CurrentIndex reaches the disk before the books it numbers.
        EXPECT_TRUE(books == original || settings == settingsEnded) << "the books were saved before the settings";
        EXPECT_TRUE(folder.ReadFile("snapshot.orbl") == original) << "the second name was written through";
        if (folder.Exists("books.orbl.bak")) {
            EXPECT_TRUE(folder.ReadFile("books.orbl.bak") == original) << "the backup is not what the run found";
        }
        for (const std::string& name : folder.FileNames())
            EXPECT_TRUE(std::count(files.begin(), files.end(), name) == 1 || leftovers.count(name) == 1) << name;
        (books == original ? old : whole) += 1;
    }
    // What the last kill left is taken over by an orderly run.
    run(std::nullopt);
    endedInOrder();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "[ crashes  ] Volumnia's end with a hard-linked database: " << i << " kills (old file " << old
              << " times, new " << whole << " times, " << unkilled
              << " ended before the kill); an orderly end saves in " << ending * 1000 << " ms, the whole test "
              << seconds << " s\n";
    EXPECT_GT(old, 0);
    EXPECT_GT(whole, 0);
}

TEST_F(CrashSafety, SettingsFileIsWholeAfterAKillAtAnyMoment)
{
    const auto ram = RamFolder();
    TTempWorkingFolder& folder = *ram;
    std::string contentA, contentB;
    for (int i = 0; i < 1499; ++i) {
        contentA += "key" + std::to_string(i) + "\r\n" + std::to_string(i) + "\r\nvInteger\r\n";
        contentB += "key" + std::to_string(i) + "\r\nthe value of key " + std::to_string(i) + "\r\nvString\r\n";
    }
    folder.WriteFile("volumnia.kelt", contentB);
    TRFileSystem storeB("volumnia.kelt");
    folder.WriteFile("volumnia.kelt", contentA);
    TRFileSystem storeA("volumnia.kelt");
    ASSERT_EQ(storeA.ReadInteger("key1498"), 1498);
    ASSERT_EQ(storeB.ReadString("key1498"), "the value of key 1498");

    const TKillRun run{[&] { storeA.SaveToFile(); },
                       [&] { storeB.SaveToFile(); },
                       [&] { storeA.SaveToFile(); },
                       "volumnia.kelt",
                       contentA,
                       contentB,
                       {"volumnia.kelt"},
                       19990101};
    KillDuringSaves(folder, run, KillsInMemory, true, "settings in memory");
}

} // namespace
