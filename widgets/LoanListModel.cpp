#include "widgets/LoanListModel.h"

TLoanListModel::TLoanListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString TLoanListModel::ColumnName(int column)
{
    switch (column) {
    case Title:
        return QStringLiteral("Book title");
    case Author:
        return QStringLiteral("Book author");
    case Loaner:
        return QStringLiteral("Loaner");
    case DateLoaned:
        return QStringLiteral("Date loaned");
    case DaysOnLoan:
        return QStringLiteral("Days on loan");
    case Due:
        return QStringLiteral("Due");
    default:
        return QString();
    }
}

int TLoanListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Loans.Count();
}

int TLoanListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TLoanListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= Loans.Count())
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == DaysOnLoan)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const TLoanRows::TRow& row = Loans.Row(index.row());
    switch (index.column()) {
    case Title:
        return row.Title;
    case Author:
        return row.Author;
    case Loaner:
        return row.Loaner;
    case DateLoaned:
        return row.Date;
    case DaysOnLoan:
        // A blank cell reads as nothing; a screen reader hears why it is blank.
        if (!row.Dated && role == Qt::AccessibleTextRole)
            return QStringLiteral("Date not readable");
        return Loans.DaysText(index.row());
    case Due:
        if (!row.Due && role == Qt::AccessibleTextRole)
            return QStringLiteral("No due date");
        return Loans.DueText(index.row());
    default:
        return QVariant();
    }
}

QVariant TLoanListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return ColumnName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TLoanListModel::SetRows(TLoanRows rows)
{
    beginResetModel();
    Loans = std::move(rows);
    endResetModel();
}
