// A plain reference model of the book database engine, written from the rules
// of the store and not from the engine's code: a table of 1500 slots, the
// first-of-duplicates lookup, the deleted mark, the capacity checks in their
// order, and what a save and a load leave in memory. Each operation returns
// the outcome the engine must give and, when that is no error, applies the
// change the engine must make. The model test runs both side by side.
#pragma once

#include "engine/Item.h"
#include "tests/reliability/Outcome.h"
#include "tests/reliability/Quoted.h"

#include <cstdint>
#include <string>
#include <vector>

class TDatabaseModel {
public:
    static constexpr int32_t Slots = 1500;
    static constexpr int32_t AddLimit = 1499;

    explicit TDatabaseModel(const TAlias& aliases);

    const TItem& Slot(int32_t i) const { return Table[static_cast<size_t>(i)]; }
    int32_t Count() const { return ItemCount; }
    bool Empty() const { return EmptyMark; }
    int32_t FileSize() const { return Blocks; }
    const TAlias& Aliases() const { return AliasNames; }

    bool Exists(int32_t id) const;
    int32_t FirstSlot(int32_t id) const;             // -1 when not held
    int32_t FieldOf(const std::string& alias) const; // -1 when no alias matches

    TOutcome Add(const TItem& item);
    TOutcome Update(const TItem& item);
    TOutcome Delete(int32_t id);
    TOutcome DeleteWhere(const std::string& alias, const std::string& value);
    TOutcome Replace(const std::string& alias, const std::string& oldValue, const std::string& newValue);
    // found: the items a search must return, in order.
    TOutcome Search(const std::string& alias, const std::string& text, std::vector<TItem>& found) const;
    // item is left as it was when nothing is copied.
    TOutcome GetItem(int32_t id, int32_t index, TItem& item) const;
    TOutcome GetField(int32_t id, int32_t index, const std::string& alias, std::string& text) const;

    // Sorting: the outcome the engine must give, then a check of the order the
    // engine made (texts that the collation finds equal but that differ in
    // bytes may come in either order). CheckSort returns why the order is
    // wrong, or nothing and takes it over.
    TOutcome SortOutcome(const std::string& alias) const;
    std::string CheckSort(const std::string& alias, const std::vector<TItem>& sorted);

    // The bytes a save writes, and the store after that save's reload.
    std::string FileContent() const;
    void Saved();

    // A database file put in place from outside, as its reader must take it.
    struct TFileLoad {
        std::vector<TItem> Items;          // the items the reader completes, in order
        bool NoData = false;               // 0 bytes, or a Ctrl+Z first
        bool EmptyIdLine = false;          // an empty line where the next ID line is due
        bool TextAfterEmptyIdLine = false; // and a non-empty line after it, or text after a Ctrl+Z: damaged
        bool CutInsideALine = false;       // the last item short of lines, its last line without an end
        bool BadIdLine = false;            // the next ID line is no whole number
        std::string BadLine;               // that line, as read
        bool TooMany = false;              // more items than the table has slots
        size_t Bytes = 0;                  // the file's length
    };
    TOutcome Loaded(const TFileLoad& file);

    // Windows-1252 lower case as Western locales have it (one byte for one).
    static std::string Lower(const std::string& text);
    // CR, LF and Ctrl+Z cannot be stored: they become blanks.
    static std::string Cleaned(const std::string& text);

private:
    std::vector<TItem> Table;
    int32_t ItemCount = 0;
    bool EmptyMark = false;
    int32_t Blocks = 0;
    TAlias AliasNames;
};

bool SameItem(const TItem& a, const TItem& b);
std::string Describe(const TItem& item);
