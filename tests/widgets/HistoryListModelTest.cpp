// The History window's lists: the changes chosen from the history's lines,
// each decoded when a cell asks for it, the books of one change, and what it
// did to one book, field by field.
#include "engine/History.h"
#include "tests/support/TempWorkingFolder.h"
#include "widgets/ChangeBooksModel.h"
#include "widgets/ChangeFieldsModel.h"
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

// Each field the change gave another value, with the field table's caption,
// in its order: file fields (Windows-1252), details (UTF-8, a choice by its
// shown name), a key the table does not know; read back from a history line.
TEST(HistoryListModel, ListsWhatAChangeDidToABookFieldByField)
{
    TItem before = Titled(7, "Mort");
    before.Fields[1] = "Pratchett";
    before.Details.Set("rating", "3");
    before.Details.Set("series", "Discworld");
    before.Details.Set("shelf_colour", "red");
    TItem after = before;
    after.Fields[0] = "M\xF6rt";
    after.Fields[7] = "2026-12-08";
    after.Details.Set("rating", "4");
    after.Details.Set("status", "read");
    after.Details.Set("title_own", "\xD0\x9C\xD0\xBE\xD1\x80\xD1\x82");
    after.Details.Remove("shelf_colour");
    after.Details.Set("cover", "7-0a0b0c0d.jpg");
    TItem recovered = after;
    recovered.Details.Set("cover", "7-1a1b1c1d.jpg");
    using TRows = std::vector<std::vector<QString>>;
    const struct {
        const char* What;
        std::optional<TItem> Before;
        std::optional<TItem> After;
        TRows Rows;
    } cases[] = {
        {"edited",
         before,
         after,
         {{"Title", "Mort", "M\u00F6rt"},
          {"Date loaned", "", "2026-12-08"},
          {"Title in its own letters", "", "\u041C\u043E\u0440\u0442"},
          {"Reading status", "", "Read"},
          {"Rating", "3", "4"},
          {"Cover", "", "Picture"},
          {"shelf_colour", "red", ""}}},
        {"another cover", after, recovered, {{"Cover", "Picture", "Another picture"}}},
        {"added",
         std::nullopt,
         before,
         {{"Title", "", "Mort"},
          {"Author", "", "Pratchett"},
          {"Series", "", "Discworld"},
          {"Rating", "", "3"},
          {"shelf_colour", "", "red"}}},
        {"removed",
         before,
         std::nullopt,
         {{"Title", "Mort", ""},
          {"Author", "Pratchett", ""},
          {"Series", "Discworld", ""},
          {"Rating", "3", ""},
          {"shelf_colour", "red", ""}}},
        {"unchanged", before, before, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.What);
        TTempWorkingFolder folder;
        THistory history("books.orbl");
        history.Append({1, "Volumnia", {TBookChangeKind::Updated, {{7, test.Before, test.After}}}});
        THistoryListModel list;
        list.SetEntries(history.ReadLines(), {0});
        TChangeFieldsModel fields;
        fields.SetBook(&list.Entry(0).Change.Books.at(0));
        TRows shown;
        for (int r = 0; r < fields.rowCount(); ++r)
            shown.push_back({fields.index(r, TChangeFieldsModel::Field).data().toString(),
                             fields.index(r, TChangeFieldsModel::Before).data().toString(),
                             fields.index(r, TChangeFieldsModel::After).data().toString()});
        EXPECT_EQ(shown, test.Rows);
    }
}

} // namespace
