// The cells of the browser's grid: rows of four texts and the details chosen
// (TBookRows), read-only. A refill
// keeps the books' rows as they came (TBookRows) and turns a row into text
// the first time it is shown or read, so only the rows on screen pay for it.
#pragma once

#include "widgets/BookRows.h"

#include <QAbstractTableModel>
#include <QPixmap>

#include <functional>
#include <vector>

class TBookGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using TRow = std::vector<QString>;
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The columns' names, as the titles above them name them (the header
    // itself is not shown): what a screen reader announces for a column.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QString& Cell(int row, int column) const;
    // Replaces every row; no rows leave one blank row.
    void SetRows(TBookRows rows);
    void SetRowCount(int rows);
    void SetCell(int row, int column, const QString& text);
    // The picture of a picture column's value (a cover's), asked for only
    // when a row on screen shows it; the cell itself shows no text.
    void SetPictures(std::function<QPixmap(const QString& value)> pictures) { Pictures = std::move(pictures); }

private:
    const TRow& Row(int row) const;
    bool IsPicture(int column) const;

    // Row r's texts, once made; until then Pending[r] says they are still
    // Source's row r.
    mutable std::vector<TRow> Rows{TRow{}};
    mutable std::vector<bool> Pending{false};
    TBookRows Source;
    std::function<QPixmap(const QString&)> Pictures;
};
