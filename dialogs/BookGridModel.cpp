#include "dialogs/BookGridModel.h"

int TBookGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TBookGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant TBookGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(FRows.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return FRows[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return int(Qt::AlignCenter);
    return {};
}

void TBookGridModel::SetRows(std::vector<TRow> rows)
{
    if (rows.empty())
        rows.emplace_back();
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

void TBookGridModel::SetRowCount(int rows)
{
    const int count = std::max(rows, 1);
    const int current = static_cast<int>(FRows.size());
    if (count > current) {
        beginInsertRows(QModelIndex(), current, count - 1);
        FRows.resize(static_cast<size_t>(count));
        endInsertRows();
    } else if (count < current) {
        beginRemoveRows(QModelIndex(), count, current - 1);
        FRows.resize(static_cast<size_t>(count));
        endRemoveRows();
    }
}

void TBookGridModel::SetCell(int row, int column, const QString& text)
{
    FRows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}
