// TCatalogue: the books and the settings of one run, below every window and
// every program that changes them. It owns the settings store and the
// database engine, and every change to books goes through it: add (the one
// place new book numbers are given out), update, remove, lend, return, the
// bulk changes, an import's books, the sort, and the end-of-run save. Each
// change is saved at once; once it has reached the file, BooksChanged says
// which books changed and how. Windows read through the const accessors and
// refresh on the signals; they never change the engines themselves.
#pragma once

#include "engine/BookChange.h"
#include "engine/DetailsFile.h"
#include "engine/Item.h"
#include "settings/Value.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TDatabase;
class THistory;
class TRFileSystem;

class TCatalogue : public QObject {
    Q_OBJECT

public:
    // Closed until Open hands it the engines.
    TCatalogue();
    TCatalogue(std::unique_ptr<TRFileSystem> settings, std::unique_ptr<TDatabase> database);
    ~TCatalogue() override;

    // Lets take fill in the engines, then keeps what it filled in, also when
    // it raises (the reading of the files raises after handing over what it
    // made). IsOpen says whether both are there.
    using TTaker = std::function<void(std::unique_ptr<TRFileSystem>&, std::unique_ptr<TDatabase>&)>;
    void Open(const TTaker& take);
    void Close();
    bool IsOpen() const { return FSettings && FDatabase; }
    // From now on every change and the end of the run's save are refused with
    // the reason given, before anything is written: the files are another
    // program's, opened to be looked at only.
    void SetReadOnly(const std::string& reason) { FReadOnly = reason; }
    bool ReadOnly() const { return !FReadOnly.empty(); }

    const TDatabase& Database() const { return *FDatabase; }
    const TRFileSystem& Settings() const { return *FSettings; }
    // Settings are written by the windows that own them (places, print
    // columns, the database file's name); books never through this.
    TRFileSystem& Settings() { return *FSettings; }

    // The first save of the run keeps the file as it was loaded in
    // "<file>.bak"; problem hears of a backup that could not be written.
    void EnableStartOfRunBackup(std::function<void(const std::string&)> problem = {});

    // The last book number given out: read from the settings at start,
    // written back with every add and at the end of the run.
    void ReadCurrentIndex();
    int32_t CurrentIndex() const { return FCurrentIndex; }
    // Sets the counter, which the next add and the end of the run go on from.
    void SetCurrentIndex(int32_t index) { FCurrentIndex = index; }

    // The numbers count new books would get: each the next after the one
    // before (the first after CurrentIndex), passing over numbers the
    // database holds already, as the counter may lag behind the books saved
    // after a crash. passedOver counts those. A number that would pass the
    // largest ID raises ENoNumbersLeft.
    std::vector<int32_t> NextNumbers(size_t count, int* passedOver = nullptr) const;
    struct ENoNumbersLeft : std::runtime_error {
        ENoNumbersLeft() : std::runtime_error("no book numbers left after CurrentIndex") {}
    };

    // How an add treats a counter that cannot be written to the settings:
    // the main window's add still stores the book (the end of the run
    // reports the settings), an import stores nothing and raises
    // ECounterNotWritten with the store's message.
    enum class TCounter { BestEffort, Required };
    struct ECounterNotWritten : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    // An import's books did not reach the database file (the save's message).
    struct ENotSaved : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // Adds a book under the next number and returns it. The counter goes up
    // before the database is asked and stays up if the add fails; it reaches
    // the settings file before the book reaches the database file, so a crash
    // in between cannot give the number out again. A book that did not reach
    // the file is taken back out of memory, so that trying again stores it once.
    int32_t Add(const TItem& book);
    // Adds books numbered by NextNumbers, in order, in one save; all or none.
    // A save that fails raises ENotSaved.
    void AddNumbered(const std::vector<TItem>& books, TCounter counter,
                     TBookChangeKind kind = TBookChangeKind::Imported);

    // Replaces the stored book of that ID, all ten fields. The book keeps
    // its details, but for the title or author in its own letters where
    // that field changed (they belonged to the old text).
    void Update(const TItem& book);
    // The same with the book's details replaced by details, in one change.
    void Update(const TItem& book, const TDetails& details);
    // Replaces the details of the book of that ID; its fields stay. Kind
    // DetailsSet ("Edit details") unless another is given (a due date set).
    void SetDetails(int32_t id, const TDetails& details, TBookChangeKind kind = TBookChangeKind::DetailsSet);

    // Rows of the details file that belong to no book as it stands (its title
    // or author was changed outside the program, or the book is gone): kept
    // in the file, never attached to the book now under that number, until
    // attached or set aside here. Both are changes like any other.
    const std::vector<TDetailsRow>& StrayDetails() const { return FStray; }
    void AttachStray(int32_t id);
    void DiscardStray(int32_t id);
    // What went wrong reading the details file, once.
    std::string TakeDetailsNote();
    void Remove(int32_t id);
    // Only the loaner and the loan date change: the book keeps every other field.
    void Lend(int32_t id, const std::string& loaner, const std::string& date);
    // Only the loan date is cleared: the book keeps the name of its last loaner.
    void Return(int32_t id);
    void ReplaceWhere(const std::string& alias, const std::string& oldValue, const std::string& newValue);
    void RemoveWhere(const std::string& alias, const std::string& value);

    // Sorts by a method ("ByName", "ByAuthor", "ByPublisher") and keeps it in
    // SortMethod; the order reaches the database file with the next save.
    void SortBy(const std::string& method);
    // Sorts by the method the settings hold.
    void SortByStored();
    // Orders the books by a field for reading them in that order, storing no
    // choice (an export's order).
    void SortByField(const std::string& alias);
    // Reads the database file again, as another program may have changed it
    // before this one held its lock.
    void Reload();

    // Undo and redo of this run's changes, newest first. An undo puts every
    // book of the change back as it was before it (a removed book with its
    // ID, fields and loan, at the place it had in the file; the file in the
    // order it had, also where that was not memory's, as before the run's
    // first save after a sort), saves at once
    // and is told as a change of kind Undone; a redo does the change again
    // (Redone). Both refuse with EChangedSince, writing nothing, when a book
    // is no longer as the change left it. A new change clears the redo.
    bool CanUndo() const { return !FUndo.empty(); }
    bool CanRedo() const { return !FRedo.empty(); }
    // The change an undo or redo would take back or do again ("Remove
    // several (12 books)"), empty when there is none.
    std::string UndoName() const;
    std::string RedoName() const;
    void Undo();
    void Redo();
    struct EChangedSince : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    static constexpr size_t UndoDepth = 100;

    // Changes from the history, each a change like any other (kind Restored,
    // undoable): the book of that ID gets those fields and details back (it
    // must be in the catalogue, still as left, the book as the history's
    // newest entry of it left it: a book changed by hand since is refused,
    // naming it); a removed book comes back with its ID (which must be
    // free); every book of a change goes back to how it was before it, each
    // of them still as the change left it (an import taken back).
    void RestoreVersion(const TItem& version, const std::optional<TItem>& left);
    void BringBack(const TItem& book);
    void TakeBack(const TBookChange& change);

    // A merge with a sync tool's conflict copy (engine/Merge), one change of
    // kind Merged, undoable as a whole: each book of books (settled) goes
    // from Before to After, every one still as Before or the merge is
    // refused with EChangedSince, naming it, before anything is written;
    // the other side's new books come in under new numbers, CurrentIndex
    // raised past highest first (and reaching the settings before the books
    // reach the database file, as an add's). Returns the numbers given.
    std::vector<int32_t> Merge(const std::vector<TBookChange::TBook>& books, const std::vector<TItem>& added,
                               int32_t highest);

    // Keeps every change in the history beside the database file, naming
    // program, at the time now gives (milliseconds since 1970 UTC; the system
    // clock when empty). Each entry is appended ahead of its change's save
    // and taken out again where the save fails, so that after a kill at any
    // moment the history holds exactly the changes the files hold (see
    // engine/History.h: an entry whose save never came is passed over when
    // read and taken out before the next). A history that cannot be written
    // does not stop the change: problem hears of it once the change is saved,
    // and of one that cannot be written (TTextFile::SideFileProblem) at once,
    // before any change.
    void EnableHistory(const std::string& program, std::function<int64_t()> now = {},
                       std::function<void(const std::string&)> problem = {});
    // The history's size limit (THistory::DefaultSizeLimit unless set).
    void SetHistorySizeLimit(size_t bytes);
    // Every entry leaves the history within its limit (THistory::SetWithinLimit).
    void KeepHistoryWithinLimit();

    // The end of the run: the values given (the main window's place) and
    // CurrentIndex to the settings in one save, then the database file.
    void SaveAtEnd(std::vector<TValue> values = {});

    // A store kept beside the database file that follows the changes of
    // books (the due dates). Each saved change (in the history since before
    // its save) is told to the undo, then to the side stores in the order
    // they were added, and only then by BooksChanged: a window following the signal finds every
    // side store up to date, whatever was made or connected first. A store
    // is removed (by the key it was added with) before it goes.
    using TSideStore = std::function<void(const TBookChange&)>;
    void AddSideStore(const void* key, TSideStore follow);
    void RemoveSideStore(const void* key);

    // A rule over the details a change leaves (the due dates: a new loan gets
    // its due date, an ended loan loses it). Before a change reads its books
    // every rule is prepared; then, before the save, each rule shapes the
    // details of every book the change adds or alters (before: the book as it
    // was, nullptr for a new one), so what a rule adds is part of the same
    // save, undo step and history entry. Undo, redo and the History window's
    // changes give books back as they were and ask no rule. Added and removed
    // like the side stores.
    class TDetailsRule {
    public:
        virtual ~TDetailsRule() = default;
        virtual void Prepare() {}
        virtual void Shape(const TItem* before, TItem& after) = 0;
    };
    void AddDetailsRule(TDetailsRule* rule);
    void RemoveDetailsRule(TDetailsRule* rule);

    // Due dates kept by earlier runs in "<database>.due" (engine/DueDates)
    // move into the details once: DueDatesMoved says whether the details file
    // says they did. MoveDueDates gives each book of dues its due date
    // (yyyy-MM-dd) where it has none and marks the details file; both reach
    // the file with the next save, as no change of books of their own; not
    // while the details file cannot be saved.
    bool DueDatesMoved() const { return FDueMoved; }
    void MoveDueDates(const std::vector<std::pair<int32_t, std::string>>& dues);

signals:
    void BooksChanged(const TBookChange& change);
    // The books were sorted: the same books in another order.
    void Reordered();
    // Stray rows were set aside (DiscardStray); no book changed. An attached
    // one is told by BooksChanged, as the book's details changed.
    void StrayDetailsChanged();

private:
    std::optional<TItem> Stored(int32_t id) const;
    void ChangeOne(TBookChangeKind kind, int32_t id, const std::function<void()>& change);
    void SaveAndTell(TBookChange change, std::vector<int32_t> places);
    // The slot each book of a change stands in, -1 for one not there.
    std::vector<int32_t> SlotsOf(const TBookChange& change) const;
    // Tells a saved change: to the undo (places: where each book stood
    // before it), to the side stores, then by BooksChanged.
    void Tell(const TBookChange& change, std::vector<int32_t> places, bool undoable = true);
    // The history's part of a change: its entry appended before the save
    // (the last entry of a run killed before its save taken out first),
    // and taken out again where the save failed. SaveAhead: both around
    // SaveChange.
    void WriteAhead(const TBookChange& change);
    void UnwriteAhead();
    void SaveAhead(const TBookChange& change);
    // Reads the details file and attaches each row to its book (see
    // engine/DetailsFile.h for the journal and the fingerprint); never raises.
    void LoadDetails();
    // The details file as memory holds it, strays included: the books'
    // rows in number order, then the strays.
    std::string DetailsBytes() const;
    // Saves the database file (with the books of order first) and, where
    // they changed, the details, in the order that lets a kill leave every
    // book its old or its new details (DetailsFile.h).
    void SaveFiles(const std::vector<int32_t>& order = {});
    void WriteDetails(const std::string& bytes);
    struct TStep {
        TBookChange Change;
        std::vector<int32_t> SlotsBefore;
        std::vector<int32_t> SlotsAfter;
        // The IDs in the order the file had before the change, when that was
        // not the order in memory (the first change after a sort); empty
        // when the file was in memory's order.
        std::vector<int32_t> FileOrderBefore;
    };
    // Saves a change: see FFileOrder.
    void SaveChange();
    // Memory was sorted: the file keeps its order until the next save.
    void Sorted(const std::string& alias);
    // Moves each book from From to To (a book to come back at Slot), after
    // checking every one still stands as From; saves and returns what it did.
    // From and To point at books the caller keeps until Move returns
    // (nullptr: no book), so that a change of many books is not copied.
    struct TMove {
        int32_t ID = 0;
        const TItem* From = nullptr;
        const TItem* To = nullptr;
        int32_t Slot = -1;
    };
    TBookChange Move(TBookChangeKind kind, std::vector<TMove> moves, const std::vector<int32_t>& fileOrder = {});

    // The order of the books in the file while it differs from memory's (a
    // sort since the last save or load), empty otherwise; the change that
    // saves next keeps it, so that its undo writes the very file back.
    std::vector<int32_t> FFileOrder;
    std::vector<int32_t> FSavedFileOrder; // the last save's, for its step
    std::vector<TStep> FUndo;
    std::vector<TStep> FRedo;
    std::vector<std::pair<const void*, TSideStore>> FSideStores;
    std::vector<TDetailsRule*> FRules;
    void PrepareRules();
    // Lets every rule shape after (as memory holds it) against before.
    void ShapeDetails(const TItem* before, TItem& after);
    bool FDueMoved = false;
    std::unique_ptr<THistory> FHistory;
    std::string FProgram;
    std::function<int64_t()> FNow;
    std::function<void(const std::string&)> FHistoryProblem;
    std::string FAhead;        // the entry written ahead of the save under way
    std::string FAheadProblem; // why it could not be written
    bool FHistorySettled = false;
    std::string FReadOnly; // why no change may be saved, when none may
    // Raises why nothing may be saved now: a read-only run, or a lock of this
    // run that another computer's replaced.
    void CheckMaySave() const;

    // The details file as last read or written: its bytes, and the rows that
    // go with the database file on disk. Dirty: its bytes are not the clean
    // form of those rows (a journal left, damaged lines), so the next save
    // writes it.
    std::string FDetailsBytes;
    std::string FDetailsClean; // the clean form of the rows that go with the database file on disk
    bool FDetailsDirty = false;
    // A file at the details file's name that is not one: kept aside before
    // the first write.
    bool FDetailsKeepAside = false;
    // A details file that could not be read (a folder at its name, no
    // permission): left as it is, and a change of details refused.
    bool FDetailsBlocked = false;
    std::vector<TDetailsRow> FStray;
    std::string FDetailsNote;

    std::unique_ptr<TRFileSystem> FSettings;
    std::unique_ptr<TDatabase> FDatabase;
    int32_t FCurrentIndex = 0;
};
