#include "widgets/HistoryListModel.h"

#include "platform/Cp1252.h"
#include "platform/LocaleTexts.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <utility>

namespace {

// Which books, in a few words: "12: Emma", or the first ones and how many.
QString BooksOf(const TBookChange& change)
{
    QStringList parts;
    for (const TBookChange::TBook& book : change.Books) {
        if (parts.size() == 3) {
            parts << QStringLiteral("... %1 books").arg(change.Books.size());
            break;
        }
        const std::optional<TItem>& shown = book.After ? book.After : book.Before;
        parts << QStringLiteral("%1: %2").arg(book.ID).arg(shown ? Cp1252::ToQString(shown->Fields[0]) : QString());
    }
    return parts.join(QStringLiteral("; "));
}

} // namespace

THistoryListModel::THistoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString THistoryListModel::Text(const THistoryEntry& entry, int column)
{
    switch (column) {
    case When: {
        // As the user's locale writes a date and a time of day.
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(entry.Time).toLocalTime();
        return LocaleTexts::ShortDate(when.date()) + u' ' + QLocale().toString(when.time(), QLocale::ShortFormat);
    }
    case What: {
        QString what = Cp1252::ToQString(ChangeName(entry.Change));
        if (entry.Program != "Volumnia")
            what += QStringLiteral(" by ") + Cp1252::ToQString(entry.Program);
        return what;
    }
    case Books:
        return BooksOf(entry.Change);
    default:
        return QString();
    }
}

int THistoryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(FListed.size());
}

int THistoryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant THistoryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return Text(Entry(index.row()), index.column());
}

QVariant THistoryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const titles[ColumnCount] = {"When", "What", "Books"};
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return QString::fromLatin1(titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void THistoryListModel::SetEntries(THistory::TLines lines, std::vector<size_t> listed)
{
    beginResetModel();
    FLines = std::move(lines);
    FListed = std::move(listed);
    FDecoded.clear();
    FDecoded.resize(FListed.size());
    endResetModel();
}

void THistoryListModel::SetListed(std::vector<size_t> listed)
{
    beginResetModel();
    FListed = std::move(listed);
    FDecoded.clear();
    FDecoded.resize(FListed.size());
    endResetModel();
}

const THistoryEntry& THistoryListModel::Entry(int row) const
{
    std::unique_ptr<THistoryEntry>& decoded = FDecoded[static_cast<size_t>(row)];
    if (!decoded)
        decoded = std::make_unique<THistoryEntry>(FLines.Entry(FListed[static_cast<size_t>(row)]));
    return *decoded;
}
