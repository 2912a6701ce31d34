// The cells of the History window's list of changes: one entry a row, in the
// order given, in three columns (when, what, which books), read-only. A
// cell's text is made when the list asks for it, so a full history is
// listed without making the texts of every change.
#pragma once

#include "engine/HistoryEntry.h"

#include <QAbstractTableModel>

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

    // Replaces every row at once.
    void SetEntries(std::vector<THistoryEntry> entries);
    const std::vector<THistoryEntry>& Entries() const { return FEntries; }

private:
    std::vector<THistoryEntry> FEntries;
};
