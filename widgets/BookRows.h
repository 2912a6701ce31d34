// The rows of the browser's grid as one refill gives them: for each book its
// loan mark, author, title and publisher, kept as the store's 8-bit text in
// one buffer. A refill of 1499 books is a few copies into that buffer; a row
// becomes text for the screen only when the grid first needs it. Detail
// columns chosen in the browser follow the four, each a detail of the field
// table as a window shows it (UTF-8).
#pragma once

#include "engine/FieldTable.h"
#include "engine/Item.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TBookRows {
public:
    // The browser's own columns, before any detail.
    static constexpr int ColumnCount = 4;

    // The details shown after the four columns; set before rows are added.
    void SetDetails(std::vector<const TField*> details) { FDetails = std::move(details); }
    const std::vector<const TField*>& Details() const { return FDetails; }
    int Columns() const { return ColumnCount + static_cast<int>(FDetails.size()); }

    // Room for this many books, so that adding them does not move the buffer.
    void Reserve(int rows);
    // The row of one book: a bullet when it is on loan, then author, title
    // and publisher, then its details.
    void Add(const TItem& item);

    int Count() const { return static_cast<int>(Ends.size() / static_cast<size_t>(Columns())); }
    QString Cell(int row, int column) const;

private:
    void AddCell(std::string_view text);

    std::vector<const TField*> FDetails;

    std::string Bytes;
    // Where each cell ends in Bytes, row by row; a cell starts where the one
    // before it ends.
    std::vector<uint32_t> Ends;
};
