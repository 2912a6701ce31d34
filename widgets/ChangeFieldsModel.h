// The cells of the History window's list of what a change did to one book,
// field by field: each field it gave another value, in the field table's
// order (the eight of the database file, then the details, and last any
// detail the table does not know, by its key), in three columns: the field's
// caption (engine/FieldTable.h), its value before and after (empty where it
// had none). A book added lists every field it came with, a book removed
// every field it had. Read-only; the book is the caller's, kept while it is
// listed here.
#pragma once

#include "engine/BookChange.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class TChangeFieldsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { Field, Before, After, ColumnCount };

    struct TRow {
        QString Caption;
        QString Before;
        QString After;
    };
    // The fields the change gave another value, as listed.
    static std::vector<TRow> Rows(const TBookChange::TBook& book);

    explicit TChangeFieldsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Lists the fields of book (nullptr: none).
    void SetBook(const TBookChange::TBook* book);

private:
    std::vector<TRow> FRows;
};
