#include "engine/Catalogue.h"

#include "engine/FieldTable.h"
#include "engine/History.h"
#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "platform/Crc32.h"
#include "platform/EInOutError.h"
#include "platform/TextFile.h"
#include "platform/WorkingFolderLock.h"
#include "settings/RFileSystem.h"
#include "settings/SettingsKeys.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const TItem* BookOf(const std::optional<TItem>& book)
{
    return book ? &*book : nullptr;
}

} // namespace

TCatalogue::TCatalogue() = default;

TCatalogue::TCatalogue(std::unique_ptr<TRFileSystem> settings, std::unique_ptr<TDatabase> database)
    : FSettings(std::move(settings)), FDatabase(std::move(database))
{
    if (FDatabase)
        LoadDetails();
}

TCatalogue::~TCatalogue() = default;

void TCatalogue::Open(const TTaker& take)
{
    try {
        take(FSettings, FDatabase);
    } catch (...) {
        if (FDatabase)
            LoadDetails();
        throw;
    }
    if (FDatabase)
        LoadDetails();
}

void TCatalogue::Close()
{
    FDatabase.reset();
    FSettings.reset();
}

void TCatalogue::EnableStartOfRunBackup(std::function<void(const std::string&)> problem)
{
    FDatabase->EnableStartOfRunBackup();
    FDatabase->OnBackupProblem = std::move(problem);
}

void TCatalogue::ReadCurrentIndex()
{
    FCurrentIndex = FSettings->ReadInteger("CurrentIndex");
}

std::vector<int32_t> TCatalogue::NextNumbers(size_t count, int* passedOver) const
{
    std::vector<int32_t> numbers;
    numbers.reserve(count);
    int32_t number = FCurrentIndex;
    int passed = 0;
    while (numbers.size() < count) {
        if (number == std::numeric_limits<int32_t>::max())
            throw ENoNumbersLeft();
        ++number;
        if (FDatabase->ItemExists(number))
            ++passed;
        else
            numbers.push_back(number);
    }
    if (passedOver)
        *passedOver = passed;
    return numbers;
}

std::optional<TItem> TCatalogue::Stored(int32_t id) const
{
    const int32_t slot = FDatabase->SlotOf(id);
    // A book removed by a change stays marked in memory until the save.
    if (slot < 0 || FDatabase->ItemAt(slot).Deleted)
        return std::nullopt;
    return FDatabase->ItemAt(slot);
}

int32_t TCatalogue::Add(const TItem& book)
{
    // Before the counter is raised: a run whose lock was taken from it writes nothing.
    CheckMaySave();
    int32_t id = 0;
    try {
        id = NextNumbers(1).front();
    } catch (const ENoNumbersLeft&) {
        // The counter stands at the largest number: it points at no free one.
        throw EORBLError("#104: Item ID already exists.");
    }
    TItem item = book;
    item.ID = id;
    PrepareRules();
    ShapeDetails(nullptr, item);
    FCurrentIndex = id;
    FDatabase->AddItem(item);
    // Only a help: where the settings cannot be written the book is still
    // saved, and the end of the run reports the settings.
    try {
        FSettings->WriteInteger("CurrentIndex", FCurrentIndex);
    } catch (const std::exception&) {
    }
    TBookChange change;
    change.Kind = TBookChangeKind::Added;
    change.Books.push_back({id, std::nullopt, Stored(id)});
    WriteAhead(change);
    try {
        SaveChange();
    } catch (...) {
        UnwriteAhead();
        FDatabase->DeleteItem(id);
        throw;
    }
    Tell(change, {-1});
    return id;
}

void TCatalogue::AddNumbered(const std::vector<TItem>& given, TCounter counter, TBookChangeKind kind)
{
    CheckMaySave();
    PrepareRules();
    std::vector<TItem> shaped;
    if (!FRules.empty()) {
        shaped = given;
        for (TItem& book : shaped)
            ShapeDetails(nullptr, book);
    }
    const std::vector<TItem>& books = FRules.empty() ? given : shaped;
    size_t added = 0;
    const auto takeBack = [&] {
        for (size_t i = 0; i < added; ++i)
            FDatabase->DeleteItem(books[i].ID);
    };
    try {
        for (const TItem& book : books) {
            FDatabase->AddItem(book);
            ++added;
        }
    } catch (...) {
        takeBack();
        throw;
    }
    if (!books.empty()) {
        const int32_t last = books.back().ID;
        try {
            // The item count with it, in the same save: Volumnia then finds
            // it up to date and need not write the settings file to open.
            FSettings->WriteValues({TRFileSystem::IntegerValue("CurrentIndex", last),
                                    TRFileSystem::IntegerValue("orbl_itemcount", FDatabase->Count())});
        } catch (const std::exception& error) {
            if (counter == TCounter::Required) {
                takeBack();
                throw ECounterNotWritten(error.what());
            }
        }
        FCurrentIndex = last;
    }
    TBookChange change;
    change.Kind = kind;
    change.Books.reserve(books.size());
    for (const TItem& book : books)
        change.Books.push_back({book.ID, std::nullopt, Stored(book.ID)});
    WriteAhead(change);
    try {
        SaveChange();
    } catch (const std::exception& error) {
        UnwriteAhead();
        takeBack();
        throw ENotSaved(error.what());
    }
    Tell(change, std::vector<int32_t>(books.size(), -1));
}

void TCatalogue::ChangeOne(TBookChangeKind kind, int32_t id, const std::function<void()>& change)
{
    CheckMaySave(); // before memory changes
    PrepareRules();
    TBookChange told;
    told.Kind = kind;
    told.Books.push_back({id, Stored(id), std::nullopt});
    const int32_t slot = FDatabase->SlotOf(id);
    change();
    if (const int32_t now = FDatabase->SlotOf(id); now >= 0 && !FRules.empty()) {
        TItem item = FDatabase->ItemAt(now);
        ShapeDetails(BookOf(told.Books.front().Before), item);
        if (!(item.Details == FDatabase->ItemAt(now).Details))
            FDatabase->SetDetails(now, std::move(item.Details));
    }
    told.Books.front().After = Stored(id);
    SaveAhead(told);
    Tell(told, {slot});
}

namespace {

// The title or author in its own letters goes with the text it was kept for.
void DropOwnLettersOf(const TItem& before, TItem& after)
{
    if (after.Fields[0] != before.Fields[0])
        after.Details.Remove(FieldTable::TitleOwnKey);
    if (after.Fields[1] != before.Fields[1])
        after.Details.Remove(FieldTable::AuthorOwnKey);
}

} // namespace

void TCatalogue::Update(const TItem& book)
{
    ChangeOne(TBookChangeKind::Updated, book.ID, [&] {
        const std::optional<TItem> stored = Stored(book.ID);
        if (!stored) {
            FDatabase->UpdateItem(book); // refused with the engine's own message
            return;
        }
        TItem item = book;
        item.Details = stored->Details;
        DropOwnLettersOf(*stored, item);
        FDatabase->UpdateItem(item);
    });
}

void TCatalogue::Update(const TItem& book, const TDetails& details)
{
    ChangeOne(TBookChangeKind::Updated, book.ID, [&] {
        TItem item = book;
        item.Details = details;
        FDatabase->UpdateItem(item);
    });
}

void TCatalogue::SetDetails(int32_t id, const TDetails& details, TBookChangeKind kind)
{
    ChangeOne(kind, id, [&] {
        TItem item = Stored(id).value_or(TItem{id, {}, false});
        item.Details = details;
        FDatabase->UpdateItem(item);
    });
}

void TCatalogue::AttachStray(int32_t id)
{
    const auto found = std::find_if(FStray.begin(), FStray.end(), [&](const TDetailsRow& row) { return row.ID == id; });
    if (found == FStray.end())
        return;
    const TDetailsRow row = *found;
    FStray.erase(found);
    try {
        SetDetails(id, row.Details);
    } catch (...) {
        FStray.push_back(row);
        std::sort(FStray.begin(), FStray.end(), [](const TDetailsRow& a, const TDetailsRow& b) { return a.ID < b.ID; });
        throw;
    }
}

void TCatalogue::DiscardStray(int32_t id)
{
    CheckMaySave();
    const std::vector<TDetailsRow> before = FStray;
    FStray.erase(std::remove_if(FStray.begin(), FStray.end(), [&](const TDetailsRow& row) { return row.ID == id; }),
                 FStray.end());
    if (FStray.size() == before.size())
        return;
    try {
        WriteDetails(DetailsBytes());
        FDetailsClean = FDetailsBytes;
    } catch (...) {
        FStray = before;
        throw;
    }
    emit StrayDetailsChanged();
}

void TCatalogue::Remove(int32_t id)
{
    ChangeOne(TBookChangeKind::Removed, id, [&] { FDatabase->DeleteItem(id); });
}

void TCatalogue::Lend(int32_t id, const std::string& loaner, const std::string& date)
{
    ChangeOne(TBookChangeKind::Lent, id, [&] {
        // A book that is not there is refused by UpdateItem with its own message.
        TItem item = Stored(id).value_or(TItem{id, {}, false});
        item.Fields[6] = loaner;
        item.Fields[7] = date;
        FDatabase->UpdateItem(item);
    });
}

void TCatalogue::Return(int32_t id)
{
    ChangeOne(TBookChangeKind::Returned, id, [&] {
        TItem item = Stored(id).value_or(TItem{id, {}, false});
        item.Fields[7].clear();
        FDatabase->UpdateItem(item);
    });
}

namespace {

// The books whose field holds exactly value, as they are now, and their
// places. The field's alias is checked only where there are books, as the
// engine checks it.
std::vector<TBookChange::TBook> Matching(const TDatabase& database, const std::string& alias, const std::string& value,
                                         std::vector<int32_t>& places)
{
    std::vector<TBookChange::TBook> books;
    if (database.Count() == 0)
        return books;
    const size_t field = static_cast<size_t>(database.FieldIndex(alias));
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        if (item.Fields[field] == value) {
            books.push_back({item.ID, item, std::nullopt});
            places.push_back(slot);
        }
    }
    return books;
}

bool SameBook(const TItem* a, const TItem* b)
{
    if (!a || !b)
        return !a && !b;
    return a->Fields == b->Fields && a->Details == b->Details;
}

std::string Named(int32_t id, const TItem* book)
{
    std::string name = "book " + std::to_string(id);
    if (book && !book->Fields[0].empty())
        name += " (\"" + book->Fields[0] + "\")";
    return name;
}

} // namespace

void TCatalogue::SaveAndTell(TBookChange change, std::vector<int32_t> places)
{
    for (TBookChange::TBook& book : change.Books)
        book.After = Stored(book.ID);
    SaveAhead(change);
    Tell(change, std::move(places));
}

void TCatalogue::ReplaceWhere(const std::string& alias, const std::string& oldValue, const std::string& newValue)
{
    CheckMaySave();
    TBookChange change;
    change.Kind = TBookChangeKind::ReplacedWhere;
    PrepareRules();
    std::vector<int32_t> places;
    change.Books = Matching(*FDatabase, alias, oldValue, places);
    FDatabase->ReplaceFieldValue(alias, oldValue, newValue);
    if (oldValue != newValue)
        for (const TBookChange::TBook& book : change.Books) {
            const int32_t slot = FDatabase->SlotOf(book.ID);
            if (slot < 0)
                continue;
            TItem item = FDatabase->ItemAt(slot);
            DropOwnLettersOf(*book.Before, item);
            ShapeDetails(BookOf(book.Before), item);
            if (!(item.Details == FDatabase->ItemAt(slot).Details))
                FDatabase->SetDetails(slot, std::move(item.Details));
        }
    SaveAndTell(std::move(change), std::move(places));
}

void TCatalogue::RemoveWhere(const std::string& alias, const std::string& value)
{
    CheckMaySave();
    TBookChange change;
    change.Kind = TBookChangeKind::RemovedWhere;
    std::vector<int32_t> places;
    change.Books = Matching(*FDatabase, alias, value, places);
    FDatabase->DeleteWhere(alias, value);
    SaveAndTell(std::move(change), std::move(places));
}

void TCatalogue::SortBy(const std::string& method)
{
    FSettings->WriteString("SortMethod", method);
    Sorted(TSettingsKeys::SortAliasFor(method));
    emit Reordered();
}

void TCatalogue::SortByStored()
{
    Sorted(TSettingsKeys::SortAliasFor(FSettings->ReadString("SortMethod")));
    emit Reordered();
}

void TCatalogue::SortByField(const std::string& alias)
{
    Sorted(alias);
    emit Reordered();
}

void TCatalogue::Sorted(const std::string& alias)
{
    if (FFileOrder.empty())
        FFileOrder = FDatabase->Order();
    FDatabase->SortBy(alias);
}

void TCatalogue::CheckMaySave() const
{
    if (ReadOnly())
        throw EInOutError(FReadOnly);
    TWorkingFolderLock::CheckHeld();
}

void TCatalogue::SaveChange()
{
    SaveFiles();
    // The file now holds memory's order; the order it had goes with the
    // change, for its undo.
    FSavedFileOrder = std::move(FFileOrder);
    FFileOrder.clear();
}

void TCatalogue::Reload()
{
    FDatabase->LoadFromFile();
    LoadDetails();
    FFileOrder.clear();
}

void TCatalogue::SaveAtEnd(std::vector<TValue> values)
{
    CheckMaySave();
    values.push_back(TRFileSystem::IntegerValue("CurrentIndex", FCurrentIndex));
    try {
        FSettings->WriteValues(values);
    } catch (const EInOutError& error) {
        // At the end of the run nothing else says which file it was.
        throw EInOutError("The settings file " + FSettings->FileName() + " could not be saved (" + error.what() + ").");
    }
    SaveFiles();
    FFileOrder.clear();
}

std::string TCatalogue::DetailsBytes() const
{
    std::vector<std::pair<int32_t, const TItem*>> books;
    for (int32_t slot = 0; slot < FDatabase->Count(); ++slot) {
        const TItem& item = FDatabase->ItemAt(slot);
        if (!item.Deleted && !item.Details.Empty())
            books.emplace_back(item.ID, &item);
    }
    std::string bytes = DetailsFile::Header(FDueMoved);
    if (books.empty() && FStray.empty())
        return bytes;
    std::sort(books.begin(), books.end());
    bytes.reserve(FDetailsBytes.size() + 256);
    for (const auto& [id, item] : books)
        DetailsFile::AppendRow(bytes, id, DetailsFile::Fingerprint(*item), item->Details);
    // The strays after the books' own rows, in the order they were read.
    for (const TDetailsRow& row : FStray)
        DetailsFile::AppendRow(bytes, row.ID, row.Fingerprint, row.Details);
    return bytes;
}

void TCatalogue::WriteDetails(const std::string& bytes)
{
    const std::string name = DetailsFile::FileNameFor(FDatabase->FileName());
    if (FDetailsKeepAside) {
        // What stood at the name was no details file of ours: it is kept.
        TTextFile::WriteSideFile(name + ".unreadable", TTextFile::ReadAll(name), FDatabase->FileName());
        FDetailsKeepAside = false;
    }
    // No book has details: no file, as before the first detail was given, so
    // that an undo gives back a folder without one.
    if (bytes == DetailsFile::Header())
        TTextFile::Remove(name);
    else
        TTextFile::WriteSideFile(name, bytes, FDatabase->FileName());
    FDetailsBytes = bytes;
}

void TCatalogue::SaveFiles(const std::vector<int32_t>& order)
{
    // Every save of the books comes here: where another computer's lock was
    // brought in over this run's, nothing is written.
    CheckMaySave();
    const std::string content = FDatabase->FileContent(order);
    const std::string details = DetailsBytes();
    if (!FDetailsDirty && details == FDetailsBytes) {
        FDatabase->WriteContent(content);
        return;
    }
    if (FDetailsBlocked)
        throw EInOutError("The details file " + DetailsFile::FileNameFor(FDatabase->FileName()) +
                          " could not be read, so it is left as it is and no details can be saved; nothing was "
                          "changed.");
    const uint32_t after = Crc32::Of(content);
    const uint32_t before = FDatabase->FileHash();
    if (after == before) {
        // The database file stays as it is: the details file alone is the change.
        WriteDetails(details);
        FDetailsClean = details;
        FDetailsDirty = false;
        return;
    }
    // The rows after with the rows before beside them, then the database
    // file, then the rows after alone: see DetailsFile.h.
    WriteDetails(DetailsFile::Journaled(details, after, before, FDetailsClean));
    FDetailsDirty = true;
    FDatabase->WriteContent(content);
    FDetailsClean = details;
    try {
        WriteDetails(details);
        FDetailsDirty = false;
    } catch (const std::exception&) {
        // The journal names the database file as saved, so the rows after
        // are the ones read; the next save writes the file clean.
    }
}

void TCatalogue::LoadDetails()
{
    FStray.clear();
    FDetailsDirty = false;
    FDetailsKeepAside = false;
    FDueMoved = false;
    FDetailsBlocked = false;
    FDetailsBytes = DetailsFile::Header();
    FDetailsClean = FDetailsBytes;
    const std::string name = DetailsFile::FileNameFor(FDatabase->FileName());
    if (FDatabase->FileName().empty())
        return;
    if (!TTextFile::Exists(name)) {
        // A folder, a dangling link or a FIFO at its name is no details file
        // that could be read, and is never replaced.
        const QFileInfo there(Cp1252::ToQString(name));
        if (there.exists() || there.isSymLink()) {
            FDetailsNote = "The details file " + name + " could not be read (" + TTextFile::SideFileProblem(name) +
                           "); the books are shown without their details, and no details can be saved.";
            FDetailsBlocked = true;
        }
        return;
    }
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(name);
    } catch (const std::exception& error) {
        FDetailsNote = "The details file " + name + " could not be read (" + error.what() +
                       "); the books are shown without their details, and no details can be saved.";
        FDetailsBlocked = true;
        return;
    }
    DetailsFile::TContent content = DetailsFile::Parse(bytes);
    if (content.NotOurs) {
        FDetailsNote =
            "The file " + name + " is no details file; it is kept aside as " + name + ".unreadable at the next change.";
        FDetailsKeepAside = true;
        FDetailsDirty = true;
        return;
    }
    std::vector<TDetailsRow>& rows = DetailsFile::RowsFor(content, FDatabase->FileHash());
    // The clean form of the rows read: the file itself where it has no
    // journal and no damage (only their rows matter, for the next journal).
    FDueMoved = content.DueMoved;
    FDetailsClean = content.HasJournal || content.Damaged > 0 ? DetailsFile::Format(rows, FDueMoved) : bytes;
    for (TDetailsRow& row : rows) {
        const int32_t slot = FDatabase->SlotOf(row.ID);
        if (slot >= 0 && !FDatabase->ItemAt(slot).Deleted &&
            DetailsFile::Fingerprint(FDatabase->ItemAt(slot)) == row.Fingerprint &&
            FDatabase->ItemAt(slot).Details.Empty())
            FDatabase->SetDetails(slot, std::move(row.Details));
        else
            FStray.push_back(std::move(row));
    }
    FDetailsBytes = std::move(bytes);
    FDetailsDirty = content.HasJournal || content.Damaged > 0;
    if (content.Damaged > 0)
        FDetailsNote = std::to_string(content.Damaged) + (content.Damaged == 1 ? " damaged line" : " damaged lines") +
                       " of the details file " + name + " passed over.";
    if (!FStray.empty()) {
        if (!FDetailsNote.empty())
            FDetailsNote += ' ';
        FDetailsNote += std::to_string(FStray.size()) +
                        (FStray.size() == 1 ? " book's details no longer match" : " books' details no longer match") +
                        " the book of their number (changed outside Volumnia); they are kept for a look.";
    }
}

std::string TCatalogue::TakeDetailsNote()
{
    std::string note;
    note.swap(FDetailsNote);
    return note;
}

std::vector<int32_t> TCatalogue::SlotsOf(const TBookChange& change) const
{
    std::vector<int32_t> places;
    places.reserve(change.Books.size());
    for (const TBookChange::TBook& book : change.Books)
        places.push_back(FDatabase->SlotOf(book.ID));
    return places;
}

void TCatalogue::Tell(const TBookChange& change, std::vector<int32_t> places, bool undoable)
{
    // The entry went ahead of the save; what kept it from the history is
    // told now that the change is saved.
    FAhead.clear();
    if (!FAheadProblem.empty() && FHistoryProblem)
        FHistoryProblem("The change is saved, but the history " + FHistory->FileName() + " could not be written (" +
                        FAheadProblem + ").");
    FAheadProblem.clear();
    std::vector<int32_t> fileOrder = std::move(FSavedFileOrder);
    FSavedFileOrder.clear();
    if (undoable) {
        FRedo.clear();
        FUndo.push_back({change, std::move(places), SlotsOf(change), std::move(fileOrder)});
        if (FUndo.size() > UndoDepth)
            FUndo.erase(FUndo.begin());
    }
    // A copy: a store may be added or removed while the stores are told.
    const std::vector<std::pair<const void*, TSideStore>> stores = FSideStores;
    for (const auto& store : stores)
        store.second(change);
    emit BooksChanged(change);
}

void TCatalogue::AddSideStore(const void* key, TSideStore follow)
{
    FSideStores.emplace_back(key, std::move(follow));
}

void TCatalogue::RemoveSideStore(const void* key)
{
    std::erase_if(FSideStores, [key](const auto& store) { return store.first == key; });
}

void TCatalogue::AddDetailsRule(TDetailsRule* rule)
{
    FRules.push_back(rule);
}

void TCatalogue::RemoveDetailsRule(TDetailsRule* rule)
{
    std::erase(FRules, rule);
}

void TCatalogue::PrepareRules()
{
    const std::vector<TDetailsRule*> rules = FRules;
    for (TDetailsRule* rule : rules)
        rule->Prepare();
}

void TCatalogue::ShapeDetails(const TItem* before, TItem& after)
{
    for (TDetailsRule* rule : FRules)
        rule->Shape(before, after);
}

void TCatalogue::MoveDueDates(const std::vector<std::pair<int32_t, std::string>>& dues)
{
    // Details that cannot be saved take none: every change would be refused.
    if (FDetailsBlocked)
        return;
    for (const auto& [id, due] : dues) {
        const int32_t slot = FDatabase->SlotOf(id);
        if (slot < 0 || FDatabase->ItemAt(slot).Details.Has(FieldTable::DueKey))
            continue;
        TDetails details = FDatabase->ItemAt(slot).Details;
        details.Set(FieldTable::DueKey, due);
        FDatabase->SetDetails(slot, std::move(details));
    }
    FDueMoved = true;
}

void TCatalogue::EnableHistory(const std::string& program, std::function<int64_t()> now,
                               std::function<void(const std::string&)> problem)
{
    FHistory = std::make_unique<THistory>(FDatabase->FileName());
    FHistorySettled = false;
    FProgram = program;
    FNow = std::move(now);
    FHistoryProblem = std::move(problem);
    // A history this user cannot write (another member's file, a link or a
    // folder at its name) is told now, before any change, not after each.
    if (FHistoryProblem)
        if (const std::string unwritable = FHistory->Unwritable(); !unwritable.empty())
            FHistoryProblem(unwritable);
}

void TCatalogue::SetHistorySizeLimit(size_t bytes)
{
    if (FHistory)
        FHistory->SetSizeLimit(bytes);
}

void TCatalogue::WriteAhead(const TBookChange& change)
{
    FAhead.clear();
    FAheadProblem.clear();
    // A lost lock: the save that follows refuses, so no entry goes ahead of it.
    if (!FHistory || ReadOnly() || !TWorkingFolderLock::StillHeld())
        return;
    try {
        if (!FHistorySettled) {
            // The last entry of a change whose save never came (a kill after
            // its entry, in an earlier run) goes before this one is written.
            // Memory holds this change already: its books are looked up as
            // they were before it, the others as the file holds them.
            const THistory::TLookup inFile = THistory::In(*FDatabase);
            FHistory->SettleLast([&](int32_t id) -> const TItem* {
                for (const TBookChange::TBook& book : change.Books)
                    if (book.ID == id)
                        return BookOf(book.Before);
                return inFile(id);
            });
            FHistorySettled = true;
        }
        FAhead = FHistory->Append(FNow ? FNow() : QDateTime::currentMSecsSinceEpoch(), FProgram, change);
    } catch (const std::exception& error) {
        FAheadProblem = error.what();
    }
}

void TCatalogue::UnwriteAhead()
{
    FAheadProblem.clear();
    if (FAhead.empty())
        return;
    try {
        FHistory->DropLast(FAhead);
    } catch (const std::exception&) {
        // Left in the file: a read given the database passes over it, and
        // the next entry settles it first.
        FHistorySettled = false;
    }
    FAhead.clear();
}

void TCatalogue::SaveAhead(const TBookChange& change)
{
    WriteAhead(change);
    try {
        SaveChange();
    } catch (...) {
        UnwriteAhead();
        throw;
    }
}

TBookChange TCatalogue::Move(TBookChangeKind kind, std::vector<TMove> moves, const std::vector<int32_t>& fileOrder)
{
    CheckMaySave();
    for (const TMove& move : moves) {
        const int32_t slot = FDatabase->SlotOf(move.ID);
        const TItem* now = slot < 0 ? nullptr : &FDatabase->ItemAt(slot);
        if (!SameBook(now, move.From))
            throw EChangedSince(
                "The " + Named(move.ID, now ? now : move.From) +
                (move.From ? (now ? " was changed since" : " was removed since") : " is in the catalogue again") +
                "; nothing was changed.");
    }
    const std::vector<int32_t> orderBefore = FDatabase->Order();
    TBookChange told;
    told.Kind = kind;
    told.Books.reserve(moves.size());
    for (const TMove& move : moves)
        told.Books.push_back({move.ID, Stored(move.ID), std::nullopt});
    // Books coming back are put in from the lowest slot up, so each lands
    // where it stood when the ones below it are back too; one without a
    // slot goes after the others.
    std::stable_sort(moves.begin(), moves.end(), [](const TMove& a, const TMove& b) {
        const int32_t x = a.Slot < 0 ? std::numeric_limits<int32_t>::max() : a.Slot;
        const int32_t y = b.Slot < 0 ? std::numeric_limits<int32_t>::max() : b.Slot;
        return x < y;
    });
    try {
        for (const TMove& move : moves)
            if (!move.To)
                FDatabase->DeleteItem(move.ID);
        std::vector<TDatabase::TInsertion> insertions;
        for (const TMove& move : moves) {
            if (move.To && move.From)
                FDatabase->UpdateItem(*move.To);
            else if (move.To)
                insertions.push_back({move.Slot < 0 ? std::numeric_limits<int32_t>::max() : move.Slot, move.To});
        }
        FDatabase->InsertItemsAt(insertions);
        for (TBookChange::TBook& book : told.Books)
            book.After = Stored(book.ID);
        WriteAhead(told);
        if (fileOrder.empty()) {
            SaveChange();
        } else {
            // The file goes back to the order it had, memory keeps its own.
            const std::vector<int32_t> memoryOrder = FDatabase->Order();
            SaveFiles(fileOrder);
            FDatabase->ArrangeAs(memoryOrder);
            FFileOrder = fileOrder;
        }
    } catch (...) {
        UnwriteAhead();
        // The file is as it was: so is memory once read back from it, in the
        // order it had.
        FDatabase->LoadFromFile();
        LoadDetails();
        FDatabase->ArrangeAs(orderBefore);
        throw;
    }
    return told;
}

std::string TCatalogue::UndoName() const
{
    return FUndo.empty() ? std::string() : ChangeName(FUndo.back().Change);
}

std::string TCatalogue::RedoName() const
{
    return FRedo.empty() ? std::string() : ChangeName(FRedo.back().Change);
}

void TCatalogue::Undo()
{
    if (FUndo.empty())
        return;
    const TStep& step = FUndo.back();
    std::vector<TMove> moves;
    moves.reserve(step.Change.Books.size());
    for (size_t i = 0; i < step.Change.Books.size(); ++i) {
        const TBookChange::TBook& book = step.Change.Books[i];
        moves.push_back({book.ID, BookOf(book.After), BookOf(book.Before), step.SlotsBefore[i]});
    }
    const TBookChange told = Move(TBookChangeKind::Undone, std::move(moves), step.FileOrderBefore);
    FRedo.push_back(std::move(FUndo.back()));
    FUndo.pop_back();
    Tell(told, {}, false);
}

void TCatalogue::Redo()
{
    if (FRedo.empty())
        return;
    const TStep& step = FRedo.back();
    std::vector<TMove> moves;
    moves.reserve(step.Change.Books.size());
    for (size_t i = 0; i < step.Change.Books.size(); ++i) {
        const TBookChange::TBook& book = step.Change.Books[i];
        moves.push_back({book.ID, BookOf(book.Before), BookOf(book.After), step.SlotsAfter[i]});
    }
    const TBookChange told = Move(TBookChangeKind::Redone, std::move(moves));
    FUndo.push_back(std::move(FRedo.back()));
    FRedo.pop_back();
    Tell(told, {}, false);
}

void TCatalogue::RestoreVersion(const TItem& version, const std::optional<TItem>& left)
{
    if (!Stored(version.ID))
        throw EChangedSince("The " + Named(version.ID, &version) +
                            " is no longer in the catalogue; nothing was changed.");
    const std::vector<int32_t> places{FDatabase->SlotOf(version.ID)};
    Tell(Move(TBookChangeKind::Restored, {{version.ID, BookOf(left), &version, places.front()}}), places);
}

void TCatalogue::BringBack(const TItem& book)
{
    Tell(Move(TBookChangeKind::Restored, {{book.ID, nullptr, &book, -1}}), {-1});
}

void TCatalogue::TakeBack(const TBookChange& change)
{
    std::vector<TMove> moves;
    moves.reserve(change.Books.size());
    for (const TBookChange::TBook& book : change.Books)
        moves.push_back({book.ID, BookOf(book.After), BookOf(book.Before), -1});
    std::vector<int32_t> places;
    for (const TBookChange::TBook& book : change.Books)
        places.push_back(FDatabase->SlotOf(book.ID));
    Tell(Move(TBookChangeKind::Restored, std::move(moves)), std::move(places));
}

std::vector<int32_t> TCatalogue::Merge(const std::vector<TBookChange::TBook>& books, const std::vector<TItem>& added,
                                       int32_t highest)
{
    if (books.empty() && added.empty())
        return {};
    // Refused before the counter reaches the settings file.
    CheckMaySave();
    const int32_t indexBefore = FCurrentIndex;
    FCurrentIndex = std::max(FCurrentIndex, highest);
    std::vector<int32_t> numbers;
    std::vector<TItem> numbered = added;
    try {
        numbers = NextNumbers(added.size());
        for (size_t i = 0; i < numbered.size(); ++i)
            numbered[i].ID = numbers[i];
        if (!numbers.empty())
            FSettings->WriteInteger("CurrentIndex", numbers.back());
    } catch (...) {
        FCurrentIndex = indexBefore;
        throw;
    }
    if (!numbers.empty())
        FCurrentIndex = numbers.back();
    std::vector<TMove> moves;
    std::vector<int32_t> places;
    moves.reserve(books.size() + numbered.size());
    for (const TBookChange::TBook& book : books) {
        const int32_t slot = book.Before ? FDatabase->SlotOf(book.ID) : -1;
        moves.push_back({book.ID, BookOf(book.Before), BookOf(book.After), slot});
        places.push_back(slot);
    }
    for (const TItem& book : numbered) {
        moves.push_back({book.ID, nullptr, &book, -1});
        places.push_back(-1);
    }
    Tell(Move(TBookChangeKind::Merged, std::move(moves)), std::move(places));
    return numbers;
}
