// The cells of the History window's list of changes: one entry a row, in the
// order given, in three columns (when, what, which books), read-only. An
// entry is decoded from its line, and a cell's text made, when the list
// first asks for it, so a full history is listed without decoding every
// change.
#pragma once

#include "engine/History.h"
#include "engine/HistoryEntry.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

class THistoryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { When, What, Books, ColumnCount };

    explicit THistoryListModel(QObject* parent = nullptr);

    // The cell's text: "2026-12-08 12:00", "Remove several (3 books) by
    // volumnia-csv", "12: Emma; 14: Walden".
    static QString Text(const THistoryEntry& entry, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row at once: the entries of lines at the indices
    // listed, in that order.
    void SetEntries(THistory::TLines lines, std::vector<size_t> listed);
    // Lists other entries of the lines last set, which are not read again.
    void SetListed(std::vector<size_t> listed);
    const THistory::TLines& Lines() const { return FLines; }
    // The entry of a row below rowCount(), kept until the next SetEntries.
    const THistoryEntry& Entry(int row) const;

private:
    THistory::TLines FLines;
    std::vector<size_t> FListed;
    mutable std::vector<std::unique_ptr<THistoryEntry>> FDecoded;
};
