#include "widgets/BookRows.h"

#include "platform/Cp1252.h"

namespace {

// The bullet of the loan column, in the code page of the store's text.
constexpr std::string_view LoanMark = "\x95";

} // namespace

void TBookRows::Reserve(int rows)
{
    const auto count = static_cast<size_t>(std::max(rows, 0));
    Ends.reserve(count * static_cast<size_t>(Columns()));
    // Titles, authors and publishers run to some twenty characters each.
    Bytes.reserve(count * 64);
}

void TBookRows::Add(const TItem& item)
{
    AddCell(item.Fields[7].empty() ? std::string_view() : LoanMark);
    AddCell(item.Fields[1]);
    AddCell(item.Fields[0]);
    AddCell(item.Fields[2]);
    for (const TField* field : FDetails)
        AddCell(FieldTable::Shown(*field, item.Details.Value(field->Key)));
}

void TBookRows::AddCell(std::string_view text)
{
    Bytes.append(text);
    Ends.push_back(static_cast<uint32_t>(Bytes.size()));
}

QString TBookRows::Cell(int row, int column) const
{
    const auto index = static_cast<size_t>(row) * static_cast<size_t>(Columns()) + static_cast<size_t>(column);
    const uint32_t begin = index == 0 ? 0 : Ends[index - 1];
    const std::string_view text = std::string_view(Bytes).substr(begin, Ends[index] - begin);
    // The database's texts are Windows-1252, the details UTF-8.
    return column < ColumnCount ? Cp1252::ToQString(text)
                                : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
