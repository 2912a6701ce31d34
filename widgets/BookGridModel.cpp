#include "widgets/BookGridModel.h"

int TBookGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TBookGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TBookRows::ColumnCount;
}

QVariant TBookGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(Rows.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return Cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return int(Qt::AlignCenter);
    return {};
}

const TBookGridModel::TRow& TBookGridModel::Row(int row) const
{
    const auto r = static_cast<size_t>(row);
    if (Pending[r]) {
        for (int column = 0; column < TBookRows::ColumnCount; ++column)
            Rows[r][static_cast<size_t>(column)] = Source.Cell(row, column);
        Pending[r] = false;
    }
    return Rows[r];
}

const QString& TBookGridModel::Cell(int row, int column) const
{
    return Row(row)[static_cast<size_t>(column)];
}

void TBookGridModel::SetRows(TBookRows rows)
{
    const auto count = static_cast<size_t>(rows.Count());
    beginResetModel();
    Source = std::move(rows);
    Rows.assign(std::max<size_t>(count, 1), TRow{});
    Pending.assign(Rows.size(), count > 0);
    endResetModel();
}

void TBookGridModel::SetRowCount(int rows)
{
    const int count = std::max(rows, 1);
    const int current = static_cast<int>(Rows.size());
    if (count > current) {
        beginInsertRows(QModelIndex(), current, count - 1);
        Rows.resize(static_cast<size_t>(count));
        Pending.resize(static_cast<size_t>(count), false);
        endInsertRows();
    } else if (count < current) {
        beginRemoveRows(QModelIndex(), count, current - 1);
        Rows.resize(static_cast<size_t>(count));
        Pending.resize(static_cast<size_t>(count));
        endRemoveRows();
    }
}

void TBookGridModel::SetCell(int row, int column, const QString& text)
{
    Row(row);
    Rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}
