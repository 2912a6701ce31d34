#include "engine/Catalogue.h"

#include "engine/ORBL.h"
#include "settings/RFileSystem.h"
#include "settings/SettingsKeys.h"

#include <limits>
#include <utility>

TCatalogue::TCatalogue() = default;

TCatalogue::TCatalogue(std::unique_ptr<TRFileSystem> settings, std::unique_ptr<TDatabase> database)
    : FSettings(std::move(settings)), FDatabase(std::move(database))
{
}

TCatalogue::~TCatalogue() = default;

void TCatalogue::Open(const TTaker& take)
{
    take(FSettings, FDatabase);
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
    if (slot < 0)
        return std::nullopt;
    return FDatabase->ItemAt(slot);
}

int32_t TCatalogue::Add(const TItem& book)
{
    int32_t id = 0;
    try {
        id = NextNumbers(1).front();
    } catch (const ENoNumbersLeft&) {
        // The counter stands at the largest number: it points at no free one.
        throw EORBLError("#104: Item ID already exists.");
    }
    TItem item = book;
    item.ID = id;
    FCurrentIndex = id;
    FDatabase->AddItem(item);
    // Only a help: where the settings cannot be written the book is still
    // saved, and the end of the run reports the settings.
    try {
        FSettings->WriteInteger("CurrentIndex", FCurrentIndex);
    } catch (const std::exception&) {
    }
    try {
        FDatabase->SaveToFile();
    } catch (...) {
        FDatabase->DeleteItem(id);
        throw;
    }
    TBookChange change;
    change.Kind = TBookChangeKind::Added;
    change.Books.push_back({id, std::nullopt, Stored(id)});
    emit BooksChanged(change);
    return id;
}

void TCatalogue::AddNumbered(const std::vector<TItem>& books, TCounter counter, TBookChangeKind kind)
{
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
    try {
        FDatabase->SaveToFile();
    } catch (const std::exception& error) {
        takeBack();
        throw ENotSaved(error.what());
    }
    TBookChange change;
    change.Kind = kind;
    change.Books.reserve(books.size());
    for (const TItem& book : books)
        change.Books.push_back({book.ID, std::nullopt, Stored(book.ID)});
    emit BooksChanged(change);
}

void TCatalogue::ChangeOne(TBookChangeKind kind, int32_t id, const std::function<void()>& change)
{
    TBookChange told;
    told.Kind = kind;
    told.Books.push_back({id, Stored(id), std::nullopt});
    change();
    FDatabase->SaveToFile();
    told.Books.front().After = Stored(id);
    emit BooksChanged(told);
}

void TCatalogue::Update(const TItem& book)
{
    ChangeOne(TBookChangeKind::Updated, book.ID, [&] { FDatabase->UpdateItem(book); });
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

// The books whose field holds exactly value, as they are now. The field's
// alias is checked only where there are books, as the engine checks it.
std::vector<TBookChange::TBook> Matching(const TDatabase& database, const std::string& alias, const std::string& value)
{
    std::vector<TBookChange::TBook> books;
    if (database.Count() == 0)
        return books;
    const size_t field = static_cast<size_t>(database.FieldIndex(alias));
    for (int32_t slot = 0; slot < database.Count(); ++slot) {
        const TItem& item = database.ItemAt(slot);
        if (item.Fields[field] == value)
            books.push_back({item.ID, item, std::nullopt});
    }
    return books;
}

} // namespace

void TCatalogue::SaveAndTell(TBookChange change)
{
    FDatabase->SaveToFile();
    for (TBookChange::TBook& book : change.Books)
        book.After = Stored(book.ID);
    emit BooksChanged(change);
}

void TCatalogue::ReplaceWhere(const std::string& alias, const std::string& oldValue, const std::string& newValue)
{
    TBookChange change;
    change.Kind = TBookChangeKind::ReplacedWhere;
    change.Books = Matching(*FDatabase, alias, oldValue);
    FDatabase->ReplaceFieldValue(alias, oldValue, newValue);
    SaveAndTell(std::move(change));
}

void TCatalogue::RemoveWhere(const std::string& alias, const std::string& value)
{
    TBookChange change;
    change.Kind = TBookChangeKind::RemovedWhere;
    change.Books = Matching(*FDatabase, alias, value);
    FDatabase->DeleteWhere(alias, value);
    SaveAndTell(std::move(change));
}

void TCatalogue::SortBy(const std::string& method)
{
    FSettings->WriteString("SortMethod", method);
    FDatabase->SortBy(TSettingsKeys::SortAliasFor(method));
    emit Reordered();
}

void TCatalogue::SortByStored()
{
    FDatabase->SortBy(TSettingsKeys::SortAliasFor(FSettings->ReadString("SortMethod")));
    emit Reordered();
}

void TCatalogue::SortByField(const std::string& alias)
{
    FDatabase->SortBy(alias);
    emit Reordered();
}

void TCatalogue::Reload()
{
    FDatabase->LoadFromFile();
}

void TCatalogue::SaveAtEnd(std::vector<TValue> values)
{
    values.push_back(TRFileSystem::IntegerValue("CurrentIndex", FCurrentIndex));
    FSettings->WriteValues(values);
    FDatabase->SaveToFile();
}
