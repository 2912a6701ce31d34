// The History window's lists: the changes chosen from the history's lines,
// each decoded when a cell asks for it, and the books of one change.
#include "engine/History.h"
#include "tests/support/TempWorkingFolder.h"
#include "widgets/ChangeBooksModel.h"
#include "widgets/HistoryListModel.h"

#include <QDateTime>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

TItem Titled(int32_t id, const std::string& title)
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    return item;
}

TEST(HistoryListModel, ListsTheChosenEntriesInTheirOrderWithTheirBooks)
{
    TTempWorkingFolder folder;
    THistory history("books.orbl");
    history.Append({1, "Volumnia", {TBookChangeKind::Updated, {{1, Titled(1, "Emma"), Titled(1, "\xC9mile")}}}});
    TBookChange removed{TBookChangeKind::RemovedWhere, {}};
    // Titles T1 to T5, built without "T" + a temporary, which GCC 12 at -O3
    // misreads as an overlapping copy (-Wrestrict).
    for (int32_t id = 1; id <= 5; ++id)
        removed.Books.push_back({id, Titled(id, std::to_string(id).insert(0, 1, 'T')), std::nullopt});
    history.Append({2, "volumnia-csv", removed});
    history.Append({3, "Volumnia", {TBookChangeKind::Removed, {{9, Titled(9, "Gone"), std::nullopt}}}});

    THistoryListModel model;
    model.SetEntries(history.ReadLines(), {1, 0}); // newest first, the last change left out
    ASSERT_EQ(model.rowCount(), 2);
    // When, as the locale writes dates and times.
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(2).toLocalTime();
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Finnish, QLocale::Finland)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(model.index(0, THistoryListModel::When).data().toString(),
                  locale.toString(time.date(), QLocale::ShortFormat) + u' ' +
                      locale.toString(time.time(), QLocale::ShortFormat));
    }
    const struct {
        int Row;
        int Column;
        const char* Text;
    } cells[] = {
        {0, THistoryListModel::What, "Remove several (5 books) by volumnia-csv"},
        {0, THistoryListModel::Books, "1: T1; 2: T2; 3: T3; ... 5 books"},
        {1, THistoryListModel::What, "Edit"},
        {1, THistoryListModel::Books, "1: \u00C9mile"},
    };
    for (const auto& cell : cells) {
        const QModelIndex index = model.index(cell.Row, cell.Column);
        EXPECT_EQ(index.data().toString(), QString::fromUtf8(cell.Text));
        EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), QString::fromUtf8(cell.Text));
    }

    TChangeBooksModel books;
    books.SetChange(&model.Entry(0).Change);
    ASSERT_EQ(books.rowCount(), 5);
    EXPECT_EQ(books.index(4, TChangeBooksModel::ID).data().toString(), "5");
    EXPECT_EQ(books.index(4, TChangeBooksModel::Before).data().toString(), "T5");
    EXPECT_EQ(books.index(4, TChangeBooksModel::After).data().toString(), "(none)");
    books.SetChange(nullptr);
    EXPECT_EQ(books.rowCount(), 0);
}

} // namespace
