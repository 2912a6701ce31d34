#include "widgets/ChangeBooksModel.h"

#include "platform/Cp1252.h"

namespace {

QString Title(const std::optional<TItem>& book)
{
    return book ? Cp1252::ToQString(book->Fields[0]) : QStringLiteral("(none)");
}

} // namespace

TChangeBooksModel::TChangeBooksModel(QObject* parent) : QAbstractTableModel(parent) {}

int TChangeBooksModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !FChange ? 0 : static_cast<int>(FChange->Books.size());
}

int TChangeBooksModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TChangeBooksModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const TBookChange::TBook& book = FChange->Books[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case ID:
        return QString::number(book.ID);
    case Before:
        return Title(book.Before);
    case After:
        return Title(book.After);
    default:
        return QVariant();
    }
}

QVariant TChangeBooksModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const titles[ColumnCount] = {"ID", "Before", "After"};
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return QString::fromLatin1(titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TChangeBooksModel::SetChange(const TBookChange* change)
{
    beginResetModel();
    FChange = change;
    endResetModel();
}
