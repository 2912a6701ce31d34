// TDatabase: the book database engine. A fixed table of 1500 item slots held
// in memory and mirrored in one plain text file (11 lines an item: the ID,
// then the ten texts; CR LF line ends). Fields are named by the aliases read
// from the settings. Every save rewrites the file atomically and reads it back.
// A file cut off inside a line, text after a Ctrl+Z or an empty ID line, and
// two books of one ID are refused as damaged ("#114"), changing nothing.
#pragma once

#include "engine/Item.h"
#include "engine/Searchresult.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TRFileSystem;

class TDatabase {
public:
    static constexpr int32_t Capacity = 1500; // slots
    static constexpr int32_t MaxItems = 1499; // items an add may reach

    // Create: reads orbl_databasefile and orbl_alias0..9, loads the file and
    // writes orbl_itemcount. A count the settings file cannot take (read-only,
    // a full disk) does not stop the open: the store keeps it for its next
    // save.
    explicit TDatabase(TRFileSystem& settings);
    // The same without writing orbl_itemcount back, for programs that read the
    // catalogue without changing the settings file.
    struct TLoadOnly {};
    TDatabase(const TRFileSystem& settings, TLoadOnly);
    // The same on a file named here rather than in the settings (a sync
    // tool's conflict copy of the database), read and never written back.
    TDatabase(const std::string& fileName, const TAlias& aliases, TLoadOnly);

    void LoadFromFile();
    void SaveToFile();
    // The same with the books of those IDs first, in that order (the order a
    // file had, which an undo gives back), then the others in slot order.
    void SaveToFile(const std::vector<int32_t>& order);
    // SaveToFile in two steps: the bytes it would write (the books of order
    // first), and the writing of such bytes, the backup and the read-back
    // included. The books keep their details over the read-back.
    std::string FileContent(const std::vector<int32_t>& order = {}) const;
    void WriteContent(const std::string& content);
    // The CRC-32 of the file's bytes as last loaded or saved.
    uint32_t FileHash() const { return FFileHash; }
    // The details of the book in a slot below Count(), which the file does
    // not hold: the catalogue attaches them from the details file.
    void SetDetails(int32_t slot, TDetails details);
    bool ItemExists(int32_t ID) const;
    // The slot below Count() that holds the ID (deleted-marked or not), or -1.
    int32_t SlotOf(int32_t ID) const { return FindSlot(ID); }
    int32_t FieldIndex(const std::string& alias) const;
    void AddItem(const TItem& item);
    // AddItem at a slot (clamped to the books there are), the books from it
    // on moving up one: a book put back where it stood.
    void InsertItemAt(int32_t slot, const TItem& item);
    // InsertItemAt for each item in turn, in one pass over the table: each
    // lands where it would have, and every check is made before anything
    // changes (all or none).
    struct TInsertion {
        int32_t Slot = 0;
        const TItem* Item = nullptr;
    };
    void InsertItemsAt(const std::vector<TInsertion>& insertions);
    void UpdateItem(const TItem& item);
    void DeleteItem(int32_t ID);
    void GetItem(int32_t ID, int32_t index, TItem& item) const;
    std::string GetField(int32_t ID, int32_t index, const std::string& alias) const;
    int32_t Count() const { return ItemCount; }
    // The item in a slot below Count(); unlike GetItem, whatever the Empty mark.
    const TItem& ItemAt(int32_t slot) const { return (*Items)[static_cast<size_t>(slot)]; }
    int32_t FileSize() const { return FFileSize; }

    Searchresult Search(const std::string& alias, const std::string& text) const;
    void SortBy(const std::string& alias);
    // The IDs of the books in slot order, and the books put in the order of
    // such a list (the ones it does not name after them, in slot order).
    std::vector<int32_t> Order() const;
    void ArrangeAs(const std::vector<int32_t>& order);
    // Collates the texts SortBy(alias) orders ahead of it, on another thread
    // while nothing else uses the engine: the next SortBy takes that order
    // when the field, its texts and the locale are still the ones it was made
    // from, and collates afresh otherwise.
    void PrepareSortBy(const std::string& alias);
    void ReplaceFieldValue(const std::string& alias, const std::string& oldValue, const std::string& newValue);
    void DeleteWhere(const std::string& alias, const std::string& value);

    // Keeps the file as it is now (just loaded) for the first save of the
    // run: that save first writes it beside the file as "<file>.bak", so one
    // mistaken bulk change can be undone by hand. A backup that cannot be
    // written does not stop the save; OnBackupProblem hears of it, once a run.
    void EnableStartOfRunBackup();
    // "<file>.bak", beside the file a link at fileName leads to (TTextFile::SideFileName).
    static std::string BackupFileName(const std::string& fileName);
    std::function<void(const std::string& text)> OnBackupProblem;

    bool Empty() const { return FEmpty; }
    const std::string& FileName() const { return FFileName; }
    const TAlias& Aliases() const { return FAliases; }

private:
    int32_t FindSlot(int32_t ID) const; // first slot below ItemCount, or -1
    std::vector<int32_t> UnmarkedSlots() const;
    // Puts the item of slot source[i] into slot i, for every slot below ItemCount.
    void Rearrange(const std::vector<int32_t>& source);
    // Views of the field's texts of those slots, valid until the items change.
    std::vector<std::string_view> FieldTexts(const std::vector<int32_t>& itemSlots, size_t field) const;
    // The positions of the texts in their collation order.
    static std::vector<int32_t> CollatedOrder(const std::vector<std::string_view>& texts);
    std::vector<int32_t> TakePreparedOrder(size_t field, const std::vector<std::string_view>& texts);
    void TellBackupProblem(const std::string& text);

    // The item table is allocated once with the engine and never resized.
    std::unique_ptr<std::array<TItem, Capacity>> Items;
    // The collation order made by PrepareSortBy, with what it was made from.
    struct TPreparedOrder {
        size_t Field = 0;
        QString Locale;
        std::vector<std::string> Texts;
        std::vector<int32_t> Order;
    };
    std::unique_ptr<TPreparedOrder> Prepared;
    // LoadFromFile reads a file here first and takes it over only when the
    // whole file fits the table.
    std::vector<TItem> LoadBuffer;
    int32_t ItemCount = 0;
    // The slot of each ID below ItemCount, so that a change of many books
    // finds each at once. Made on the first search after the IDs of the
    // slots changed (a load, an insert, a sort: SlotIndexValid false) and
    // kept up by an add.
    mutable std::unordered_map<int32_t, int32_t> SlotIndex;
    mutable bool SlotIndexValid = false;
    TAlias FAliases;
    std::string FFileName;
    bool FEmpty = false;
    bool BackupPending = false;
    bool BackupProblemTold = false;
    std::string BackupImage;
    int32_t FFileSize = 0;
    uint32_t FFileHash = 0;
};
