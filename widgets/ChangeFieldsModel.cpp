#include "widgets/ChangeFieldsModel.h"

#include "engine/FieldTable.h"
#include "platform/Cp1252.h"

#include <set>
#include <string>

namespace {

const TDetails NoDetails;

const TItem* BookOf(const std::optional<TItem>& book)
{
    return book ? &*book : nullptr;
}

} // namespace

std::vector<TChangeFieldsModel::TRow> TChangeFieldsModel::Rows(const TBookChange::TBook& book)
{
    const TItem* before = BookOf(book.Before);
    const TItem* after = BookOf(book.After);
    const TDetails& detailsBefore = before ? before->Details : NoDetails;
    const TDetails& detailsAfter = after ? after->Details : NoDetails;
    static const std::string none;
    std::vector<TRow> rows;
    for (const TField& field : FieldTable::Fields()) {
        if (!field.IsDetail()) {
            // The file's texts are Windows-1252.
            const size_t f = static_cast<size_t>(field.FileField);
            const std::string& was = before ? before->Fields[f] : none;
            const std::string& is = after ? after->Fields[f] : none;
            if (was != is)
                rows.push_back({QString::fromUtf8(field.Caption), Cp1252::ToQString(was), Cp1252::ToQString(is)});
            continue;
        }
        // Details are UTF-8, shown as the windows show them.
        const std::string was = detailsBefore.Value(field.Key);
        const std::string is = detailsAfter.Value(field.Key);
        if (was == is)
            continue;
        if (field.Kind == TFieldKind::Image) {
            // A picture's file name says nothing to the user: only that it changed.
            rows.push_back({QString::fromUtf8(field.Caption), was.empty() ? QString() : QStringLiteral("Picture"),
                            is.empty()    ? QString()
                            : was.empty() ? QStringLiteral("Picture")
                                          : QStringLiteral("Another picture")});
            continue;
        }
        rows.push_back({QString::fromUtf8(field.Caption), QString::fromUtf8(FieldTable::Shown(field, was)),
                        QString::fromUtf8(FieldTable::Shown(field, is))});
    }
    // A detail the table does not know (written by a later version): by its key.
    std::set<std::string> unknown;
    for (const TDetails* details : {&detailsBefore, &detailsAfter})
        for (const auto& [key, value] : details->Values())
            if (!FieldTable::Find(key))
                unknown.insert(key);
    for (const std::string& key : unknown) {
        const std::string was = detailsBefore.Value(key);
        const std::string is = detailsAfter.Value(key);
        if (was != is)
            rows.push_back({QString::fromUtf8(key), QString::fromUtf8(was), QString::fromUtf8(is)});
    }
    return rows;
}

TChangeFieldsModel::TChangeFieldsModel(QObject* parent) : QAbstractTableModel(parent) {}

int TChangeFieldsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TChangeFieldsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TChangeFieldsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const TRow& row = FRows[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case Field:
        return row.Caption;
    case Before:
        return row.Before;
    case After:
        return row.After;
    default:
        return QVariant();
    }
}

QVariant TChangeFieldsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const titles[ColumnCount] = {"Field", "Before", "After"};
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return QString::fromLatin1(titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TChangeFieldsModel::SetBook(const TBookChange::TBook* book)
{
    beginResetModel();
    FRows = book ? Rows(*book) : std::vector<TRow>();
    endResetModel();
}
