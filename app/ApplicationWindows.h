// Makes what the windows share, below them: the catalogue (the books and the
// settings), the due dates, the shown rows and the run's state; then creates
// the main window, opens the catalogue on the files read at start (with the
// start-of-run backup and the history), creates the book browser, arms the
// dialogs and the Loans window to be made on their first use, each given
// what it works on. At the end it destroys all that were made in the
// reverse of their fixed order, the main window last, and then saves the
// catalogue: the main window's place and CurrentIndex to the settings, then
// the database file. When opening the catalogue fails, no other window is
// made and nothing is written back.
//
// Before anything is read, the run takes the working folder's lock: a second
// Volumnia on the same folder (whose end would overwrite the first one's
// books and settings) says so and makes no window, and so does a run that
// finds an import or update holding the folder, naming it. A folder that takes
// no new file has its lock in the runtime folder; where no lock can be made
// at all the run goes on without one. A lock that a program on another
// computer holds (a sync tool carries lock files) is named with that computer
// and the time it was taken; the user may open the files read-only, or take
// the lock over after a second, plain question, or end the run.
#pragma once

#include <memory>
#include <string>
#include <vector>

class TCatalogue;
class TDueDates;
class TRunState;
class TShownRows;
class TStartupFiles;
struct TValue;

class TApplicationWindows {
public:
    // Takes the lock and reads the files now.
    TApplicationWindows();
    // Starts from files whose lock and reading began earlier (see main).
    explicit TApplicationWindows(std::unique_ptr<TStartupFiles> files);
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;

    // False when start-up failed and the program must end at once.
    bool Started() const;

    // What the windows were given, for the program's end and for tests.
    TCatalogue& Catalogue() { return *FCatalogue; }
    TShownRows& Rows() { return *FRows; }
    TRunState& Run() { return *FRun; }
    TDueDates& Dues() { return *FDues; }

    static constexpr const char* AlreadyRunningMessage =
        "Volumnia is already running in this folder. Only one Volumnia can work on a folder's books at a time.";

private:
    std::unique_ptr<TStartupFiles> Files; // holds the folder's lock for the run
    std::unique_ptr<TCatalogue> FCatalogue;
    std::unique_ptr<TDueDates> FDues;
    std::unique_ptr<TShownRows> FRows;
    std::unique_ptr<TRunState> FRun;
    // The catalogue on the engines read at start; false when it could not be
    // opened (said in a message), and the run must end.
    bool OpenCatalogue();
    // A lock of another computer stopped the reading: asks whether to look
    // at the files read-only or, after a second question, to take its locks
    // over, and reads them so. False when the run must end.
    bool OpenDespiteOtherComputer();
    // The end-of-run save, once the windows are gone.
    void SaveCatalogue(const std::vector<TValue>& place);
    void ShowOverdue();
    std::string DueNote; // what the due dates file said, shown for the run

    bool Made = false;   // whether the windows are this object's to destroy
    bool Opened = false; // whether the catalogue was opened, and is saved at the end
};
