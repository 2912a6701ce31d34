// TShownRows: the books the windows list and step through, row by row, and
// the current row. Row r lists the book whose ID is RowIds()[r]: the whole
// catalogue in its order, or a search's result. The browser's grid, the main
// window's navigation, the Loans window and the printing of "books in
// browser" all read it; after every change to the books it lists the whole
// catalogue again (narrowed by the find line's words while they stand), and
// the current row is the first.
#pragma once

#include "engine/Item.h"
#include "engine/Searchresult.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TCatalogue;

class TShownRows : public QObject {
    Q_OBJECT

public:
    static constexpr int32_t Capacity = 1500;

    explicit TShownRows(const TCatalogue& catalogue);

    // Lists every book of the catalogue, in its order. While the database is
    // marked empty its books list as empty rows of ID 0.
    void FillAll();
    // Lists a search's result.
    void FillWith(const Searchresult& result);
    // Lists the books of the catalogue, in its order, that match the find
    // line's words (TBookFilter); no words list every book. The words stand
    // until another fill: a change to the books lists their matches anew.
    void FillMatching(const std::string& words);
    // The same, with the query as typed (UTF-8), which a word of letters the
    // database cannot hold is sought in the details with (TBookFilter).
    void FillMatching(const std::string& words, const std::string& typed);
    // Lists the whole catalogue again, still narrowed by standing words.
    void FillAgain();

    // Orders the rows listed by a detail (a key of the field table):
    // numbers by value (1, 2, 10), dates by day, text as the locale
    // collates it ignoring case; books without the value last, equals in
    // the order listed. Neither the catalogue's order nor its sort method
    // changes. The order stands over every fill until SortByDetail("") or a
    // sort of the catalogue ends it. Lists the rows anew (Refilled).
    void SortByDetail(const std::string& key);
    // The detail the rows are ordered by; empty when none.
    const std::string& DetailSortKey() const { return SortKey; }
    // The find line's words while they narrow the list; empty otherwise.
    const std::string& FindWords() const { return Words; }

    // Books listed; 0 leaves one blank row, which lists no book.
    int32_t Count() const { return FCount; }
    // Rows a list shows: at least the one blank row.
    int32_t RowCount() const { return FCount > 0 ? FCount : 1; }
    bool IsBlank(int32_t row) const { return row == 0 && FCount == 0; }
    // The ID listed in a row (0 for the blank row); rows past the list keep
    // what an earlier, longer list put there, as a fixed table does.
    int32_t IdAt(int32_t row) const;
    const std::array<int32_t, Capacity>& RowIds() const { return FRowIds; }
    // The row that lists the ID, or -1.
    int32_t RowOf(int32_t id) const;
    // The book of a listed row, as the list was filled.
    const TItem& ItemAt(int32_t row) const;

    int32_t Current() const { return FCurrent; }
    int32_t CurrentId() const { return IdAt(FCurrent); }
    // Makes a row current as the user does: CurrentChanged is emitted, also
    // for the row that is current already. A row outside the list raises
    // "Grid index out of range".
    void Select(int32_t row);

signals:
    // Filled anew; the first row is current.
    void Refilled();
    void CurrentChanged(int32_t row);

private:
    void Refill();
    // Orders the rows just filled by SortKey.
    void SortRows();

    const TCatalogue& Catalogue;
    std::array<int32_t, Capacity> FRowIds{};
    int32_t FCount = 0;
    int32_t FCurrent = 0;
    enum class TSource { Whole, Found, Matching };
    // A search's books, copied as it found them.
    std::vector<TItem> Found;
    // The database slots of the books the find line's words match.
    std::vector<int32_t> Slots;
    TSource Source = TSource::Whole;
    std::string Words;
    // The words as typed, UTF-8.
    std::string Typed;
    // The detail ordering the rows, and the row as filled that each row
    // lists (empty: the rows as filled).
    std::string SortKey;
    std::vector<int32_t> Order;
};
