// The cells of the Loans window's list: the rows of a TLoanRows in six
// columns (title, author, loaner, date loaned, days on loan, due), read-only. The
// column names are the list's header data, so a screen reader names each
// column although the list shows its titles as sort links above it.
#pragma once

#include "widgets/LoanRows.h"

#include <QAbstractTableModel>

class TLoanListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { Title, Author, Loaner, DateLoaned, DaysOnLoan, Due, ColumnCount };

    explicit TLoanListModel(QObject* parent = nullptr);

    // The column's name as the window's title over it shows it.
    static QString ColumnName(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row at once.
    void SetRows(TLoanRows rows);
    const TLoanRows& Rows() const { return Loans; }

private:
    TLoanRows Loans{QDate()};
};
