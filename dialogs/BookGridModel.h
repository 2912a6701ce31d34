// The cells of the browser's grid: rows of four texts, read-only.
#pragma once

#include <QAbstractTableModel>

#include <array>
#include <vector>

class TBookGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using TRow = std::array<QString, 4>;
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<TRow>& Rows() const { return FRows; }
    void SetRows(std::vector<TRow> rows);
    void SetRowCount(int rows);
    void SetCell(int row, int column, const QString& text);

private:
    std::vector<TRow> FRows{TRow{}};
};
