// The rows of the browser's grid as one refill gives them: for each book its
// loan mark, author, title and publisher, kept as the store's 8-bit text in
// one buffer. A refill of 1499 books is a few copies into that buffer; a row
// becomes text for the screen only when the grid first needs it.
#pragma once

#include "engine/Item.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TBookRows {
public:
    static constexpr int ColumnCount = 4;

    // Room for this many books, so that adding them does not move the buffer.
    void Reserve(int rows);
    // The row of one book: a bullet when it is on loan, then author, title
    // and publisher.
    void Add(const TItem& item);

    int Count() const { return static_cast<int>(Ends.size() / ColumnCount); }
    QString Cell(int row, int column) const;

private:
    void AddCell(std::string_view text);

    std::string Bytes;
    // Where each cell ends in Bytes, row by row; a cell starts where the one
    // before it ends.
    std::vector<uint32_t> Ends;
};
