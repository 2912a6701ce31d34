// The cells of the History window's list of the books of one change: one
// book a row, in three columns (ID, title before, title after; "(none)"
// where the change had no book), read-only. The change is the caller's,
// kept while it is listed here.
#pragma once

#include "engine/BookChange.h"

#include <QAbstractTableModel>

class TChangeBooksModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { ID, Before, After, ColumnCount };

    explicit TChangeBooksModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Lists the books of change (nullptr: none).
    void SetChange(const TBookChange* change);

private:
    const TBookChange* FChange = nullptr;
};
