// The browser's cells made from a refill's rows only when read: what a cell
// shows must not depend on which rows were read before, on edits of single
// cells, or on the number of rows changing in between.
#include "widgets/BookGridModel.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace {

TItem Book(const std::string& title, const std::string& author, const std::string& publisher, bool onLoan)
{
    TItem item;
    item.Fields[0] = title;
    item.Fields[1] = author;
    item.Fields[2] = publisher;
    if (onLoan)
        item.Fields[7] = "A Friend";
    return item;
}

QStringList Row(const TBookGridModel& model, int row)
{
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column)
        texts << model.data(model.index(row, column), Qt::DisplayRole).toString();
    return texts;
}

TBookGridModel& Filled(TBookGridModel& model)
{
    TBookRows rows;
    rows.Reserve(1); // fewer than added: the buffer grows as needed
    rows.Add(Book("Emma", "Jane Austen", "", false));
    rows.Add(Book("Caf\xe9 \x93Zo\x94", "",
                  "\x8a"
                  "koda",
                  true));
    rows.Add(Book("", "Mary Shelley", "Lackington", false));
    model.SetRows(std::move(rows));
    return model;
}

TEST(BookGridModel, CellsReadInAnyOrderShowTheirBooksInBrowserColumns)
{
    const QString bullet(QChar(0x2022));
    const std::vector<QStringList> expected{{"", "Jane Austen", "Emma", ""},
                                            {bullet, "", QString::fromUtf8("Café “Zo”"), QString::fromUtf8("Škoda")},
                                            {"", "Mary Shelley", "", "Lackington"}};
    TBookGridModel model;
    Filled(model);
    ASSERT_EQ(model.rowCount(), 3);
    for (const int r : {2, 0, 1, 2})
        EXPECT_EQ(Row(model, r), expected[static_cast<size_t>(r)]) << r;
}

TEST(BookGridModel, EditsAndRowCountChangesKeepTheOtherCells)
{
    TBookGridModel model;
    Filled(model);
    model.SetCell(1, 2, QStringLiteral("Edited")); // a row never read before
    EXPECT_EQ(Row(model, 1), (QStringList{QString(QChar(0x2022)), "", "Edited", QString::fromUtf8("Škoda")}));

    model.SetRowCount(5); // rows added after a refill are blank
    EXPECT_EQ(Row(model, 2), (QStringList{"", "Mary Shelley", "", "Lackington"}));
    EXPECT_EQ(Row(model, 4), (QStringList{"", "", "", ""}));

    model.SetRowCount(1);
    model.SetRowCount(3); // rows cut off and added again come back blank
    EXPECT_EQ(Row(model, 0), (QStringList{"", "Jane Austen", "Emma", ""}));
    EXPECT_EQ(Row(model, 2), (QStringList{"", "", "", ""}));

    Filled(model); // a refill replaces an edited row
    EXPECT_EQ(Row(model, 1)[2], QString::fromUtf8("Café “Zo”"));

    model.SetRows(TBookRows{});
    ASSERT_EQ(model.rowCount(), 1); // no books leave one blank row
    EXPECT_EQ(Row(model, 0), (QStringList{"", "", "", ""}));
}

// Detail columns follow the four: UTF-8 text as a window shows it, named by
// the field table's caption; a blank row has them too.
TEST(BookGridModel, DetailColumnsShowTheirValuesInTheirOwnLetters)
{
    TItem book = Book("Emma", "Jane Austen", "", false);
    book.Details.Set("title_own", "\xD0\xAD\xD0\xBC\xD0\xBC\xD0\xB0");
    book.Details.Set("status", "to-read");
    TBookRows rows;
    rows.SetDetails({FieldTable::Find("title_own"), FieldTable::Find("status")});
    rows.Add(book);
    rows.Add(Book("Persuasion", "", "", false));
    TBookGridModel model;
    model.SetRows(std::move(rows));
    ASSERT_EQ(model.columnCount(), 6);
    EXPECT_EQ(Row(model, 0),
              (QStringList{"", "Jane Austen", "Emma", "", QString::fromUtf16(u"\u042D\u043C\u043C\u0430"), "To read"}));
    EXPECT_EQ(Row(model, 1), (QStringList{"", "", "Persuasion", "", "", ""}));
    EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "Reading status");
    model.SetRowCount(3);
    EXPECT_EQ(Row(model, 2), (QStringList{"", "", "", "", "", ""}));
}

} // namespace

namespace {

// A picture column shows no text (a cover's file name means nothing to the
// user): its picture is asked for only for a row read, and only where the
// book has one.
TEST(BookGridModel, APictureColumnAsksForThePicturesOfTheRowsReadOnly)
{
    TItem book = Book("Emma", "Jane Austen", "", false);
    book.Details.Set("cover", "1-0a0b0c0d.jpg");
    TBookRows rows;
    rows.SetDetails({FieldTable::Find("cover")});
    rows.Add(book);
    rows.Add(Book("Persuasion", "", "", false));
    rows.Add(book);
    TBookGridModel model;
    model.SetRows(std::move(rows));
    QStringList asked;
    model.SetPictures([&asked](const QString& value) {
        asked << value;
        QPixmap picture(4, 6);
        picture.fill(Qt::red);
        return picture;
    });
    EXPECT_EQ(model.data(model.index(0, 4), Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(model.data(model.index(0, 4), Qt::DecorationRole).value<QPixmap>().size(), QSize(4, 6));
    EXPECT_TRUE(model.data(model.index(1, 4), Qt::DecorationRole).isNull());
    EXPECT_EQ(asked, QStringList{"1-0a0b0c0d.jpg"});
    EXPECT_EQ(model.data(model.index(0, 4), Qt::AccessibleTextRole).toString(), "Cover");
}

} // namespace
