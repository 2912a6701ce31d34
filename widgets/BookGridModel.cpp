#include "widgets/BookGridModel.h"

#include "widgets/BookFieldNames.h"

namespace {

// The loan column's name, and what its mark says in words.
const QString OnLoan = QStringLiteral("On loan");

} // namespace

int TBookGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TBookGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Source.Columns();
}

QVariant TBookGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(Rows.size()))
        return {};
    if (IsPicture(index.column())) {
        const QString& value = Cell(index.row(), index.column());
        if (role == Qt::DecorationRole && Pictures && !value.isEmpty())
            return Pictures(value);
        if (role == Qt::AccessibleTextRole)
            return value.isEmpty()
                       ? QString()
                       : QString::fromUtf8(Source.Details()[size_t(index.column() - TBookRows::ColumnCount)]->Caption);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }
    if (role == Qt::DisplayRole)
        return Cell(index.row(), index.column());
    if (role == Qt::AccessibleTextRole) {
        // The loan mark is a bullet, which a screen reader reads as a symbol.
        const QString& text = Cell(index.row(), index.column());
        return index.column() == 0 && !text.isEmpty() ? OnLoan : text;
    }
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return int(Qt::AlignCenter);
    return {};
}

QVariant TBookGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    // Column 0 the loan mark, 1 author, 2 title, 3 publisher, then the details.
    switch (section) {
    case 0:
        return OnLoan;
    case 1:
        return QString::fromLatin1(BookFieldNames[1]);
    case 2:
        return QString::fromLatin1(BookFieldNames[0]);
    case 3:
        return QString::fromLatin1(BookFieldNames[2]);
    default:
        if (section >= TBookRows::ColumnCount && section < Source.Columns())
            return QString::fromUtf8(Source.Details()[static_cast<size_t>(section - TBookRows::ColumnCount)]->Caption);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
}

bool TBookGridModel::IsPicture(int column) const
{
    return column >= TBookRows::ColumnCount && column < Source.Columns() &&
           Source.Details()[static_cast<size_t>(column - TBookRows::ColumnCount)]->Kind == TFieldKind::Image;
}

const TBookGridModel::TRow& TBookGridModel::Row(int row) const
{
    const auto r = static_cast<size_t>(row);
    // Blank rows and rows of an earlier refill get every column.
    if (Rows[r].size() != static_cast<size_t>(Source.Columns()))
        Rows[r].resize(static_cast<size_t>(Source.Columns()));
    if (Pending[r]) {
        for (int column = 0; column < Source.Columns(); ++column)
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
