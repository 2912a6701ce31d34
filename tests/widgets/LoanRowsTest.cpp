// The Loans window's rows: which books are on loan, how the stored date is
// read in the locale's short format, how many days that is, and the orders.
#include "widgets/LoanListModel.h"
#include "widgets/LoanRows.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TItem Loaned(int32_t id, const std::string& title, const std::string& loaner, const std::string& date)
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = "Author of " + title;
    item.Fields[6] = loaner;
    item.Fields[7] = date;
    return item;
}

QStringList Titles(const TLoanRows& rows)
{
    QStringList titles;
    for (int r = 0; r < rows.Count(); ++r)
        titles << rows.Row(r).Title;
    return titles;
}

class LoanRowsTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    const QDate Today{2004, 3, 5};
};

TEST_F(LoanRowsTest, DaysComeFromTheShortDateFormatAndAreBlankWhenTheTextDoesNotRead)
{
    struct TCase {
        QLocale Locale;
        const char* Date;
        bool Dated;
        int64_t Days;
    };
    const TCase cases[] = {
        {QLocale(QLocale::Finnish, QLocale::Finland), "5.3.2004", true, 0},
        {QLocale(QLocale::Finnish, QLocale::Finland), "4.2.2004", true, 30},
        {QLocale(QLocale::Finnish, QLocale::Finland), "31.12.2003", true, 65}, // over a year's end
        {QLocale(QLocale::Finnish, QLocale::Finland), " 1.3.2004 ", true, 4},  // blanks around
        {QLocale(QLocale::Finnish, QLocale::Finland), "02.03.2004", true, 3},  // leading zeros
        {QLocale(QLocale::Finnish, QLocale::Finland), "6.3.2004", true, -1},   // typed ahead
        {QLocale(QLocale::Finnish, QLocale::Finland), "2004-03-01", true, 4},  // ISO 8601
        {QLocale(QLocale::Finnish, QLocale::Finland), "2004/03/01", false, 0}, // another format
        {QLocale(QLocale::Finnish, QLocale::Finland), "31.2.2004", false, 0},  // no such day
        {QLocale(QLocale::Finnish, QLocale::Finland), "last week", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "05/02/2004", true, 29},
        {QLocale(QLocale::English, QLocale::UnitedStates), "2/5/04", true, 29},     // two-digit year: 2004
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/31/99", true, 1526}, // 1999, not 2099
        {QLocale(QLocale::English, QLocale::UnitedStates), "3/1/2004", true, 4},    // the year in full
        {QLocale(QLocale::German, QLocale::Germany), "02.03.2004", true, 3},        // dd.MM.yy, year in full
        {QLocale(QLocale::German, QLocale::Germany), "02.03.20004", false, 0},
        // Dates another locale wrote: dots are day.month.year everywhere,
        // slashes are read only in the locale's own order.
        {QLocale::c(), "02.03.2004", true, 3},
        {QLocale(QLocale::English, QLocale::UnitedStates), "01.03.2004", true, 4},
        {QLocale(QLocale::English, QLocale::UnitedStates), "31.2.2004", false, 0},
        {QLocale(QLocale::English, QLocale::UnitedStates), "01/03/2004", true, 62}, // January, in its order
        {QLocale::c(), "01/03/2004", false, 0},
        // As Today writes it where the locale's digits and marks do not fit the database.
        {QLocale(QLocale::Arabic, QLocale::Egypt), "1/3/2004", true, 4},
        {QLocale(QLocale::Persian, QLocale::Iran), "2004/3/1", true, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Date);
        QLocale::setDefault(c.Locale);
        TLoanRows rows(Today);
        rows.Add(Loaned(1, "Book", "Ann", c.Date));
        ASSERT_EQ(rows.Count(), 1);
        EXPECT_EQ(rows.Row(0).Dated, c.Dated);
        EXPECT_EQ(rows.Row(0).Date, QString::fromLatin1(c.Date)); // shown as stored
        if (c.Dated) {
            EXPECT_EQ(rows.Row(0).Days, c.Days);
        }
        EXPECT_EQ(rows.DaysText(0), c.Dated ? QString::number(c.Days) : QString());
    }
}

TEST_F(LoanRowsTest, OnlyBooksWithADateLoanedAreRowsAndTheirTextsAreConverted)
{
    TLoanRows rows(Today);
    rows.Add(Loaned(1, "Not lent", "", ""));
    rows.Add(Loaned(2, "Name only", "Carl", ""));     // a loaner alone is no loan
    rows.Add(Loaned(3, "Date only", "", "1.3.2004")); // a date alone is one
    rows.Add(Loaned(4, "Les Mis\xe9rables", "Fran\xe7oise", "2.3.2004"));
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Row(0).ID, 3);
    EXPECT_EQ(rows.Row(1).Title, QStringLiteral("Les Misérables"));
    EXPECT_EQ(rows.Row(1).Loaner, QStringLiteral("Françoise"));
    EXPECT_EQ(rows.Row(1).Author, QStringLiteral("Author of Les Misérables"));
    EXPECT_EQ(rows.RowOf(4), 1);
    EXPECT_EQ(rows.RowOf(1), -1);
}

TEST_F(LoanRowsTest, OrdersPutTheLongestOutFirstAndUnreadableDatesLast)
{
    TLoanRows rows(Today);
    rows.Add(Loaned(1, "beta", "Zoe", "someday"));
    rows.Add(Loaned(2, "Delta", "ann", "4.3.2004"));
    rows.Add(Loaned(3, "alpha", "Bob", "1.1.2004"));
    rows.Add(Loaned(4, "Gamma", "Ann", "1.1.2004"));
    rows.Add(Loaned(5, "epsilon", "carl", "?"));

    rows.Sort(TLoanRows::TOrder::LongestOut); // ties keep the store's order
    EXPECT_EQ(Titles(rows), (QStringList{"alpha", "Gamma", "Delta", "beta", "epsilon"}));
    rows.Sort(TLoanRows::TOrder::Title); // letter case does not count
    EXPECT_EQ(Titles(rows), (QStringList{"alpha", "beta", "Delta", "epsilon", "Gamma"}));
    rows.Sort(TLoanRows::TOrder::Loaner); // equal names: the longest out first
    EXPECT_EQ(Titles(rows), (QStringList{"Gamma", "Delta", "alpha", "epsilon", "beta"}));
    rows.Sort(TLoanRows::TOrder::Author);
    EXPECT_EQ(Titles(rows), (QStringList{"alpha", "beta", "Delta", "epsilon", "Gamma"}));
}

TEST_F(LoanRowsTest, LongLoansAreThoseOutForMoreThanTheDaysGiven)
{
    TLoanRows rows(Today);
    rows.Add(Loaned(1, "a", "x", "4.2.2004")); // 30 days: not more than 30
    rows.Add(Loaned(2, "b", "x", "3.2.2004")); // 31
    rows.Add(Loaned(3, "c", "x", "1.1.1990"));
    rows.Add(Loaned(4, "d", "x", "long ago")); // unknown: not counted
    EXPECT_EQ(rows.OutLongerThan(30), 2);
    EXPECT_EQ(rows.OutLongerThan(0), 3);
}

TEST_F(LoanRowsTest, ModelNamesItsColumnsAndTellsAScreenReaderWhyADayCountIsBlank)
{
    TLoanRows rows(Today);
    rows.Add(Loaned(1, "Emma", "Ann", "1.3.2004"));
    rows.Add(Loaned(2, "Dune", "Bob", "soon"));
    TLoanListModel model;
    model.SetRows(std::move(rows));
    ASSERT_EQ(model.rowCount(), 2);
    QStringList names;
    for (int column = 0; column < model.columnCount(); ++column)
        names << model.headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString();
    EXPECT_EQ(names, (QStringList{"Book title", "Book author", "Loaner", "Date loaned", "Days on loan", "Due"}));
    const auto cell = [&](int row, int column, int role) { return model.data(model.index(row, column), role); };
    EXPECT_EQ(cell(0, TLoanListModel::DaysOnLoan, Qt::DisplayRole).toString(), QStringLiteral("4"));
    EXPECT_EQ(cell(1, TLoanListModel::DaysOnLoan, Qt::DisplayRole).toString(), QString());
    EXPECT_FALSE(cell(1, TLoanListModel::DaysOnLoan, Qt::AccessibleTextRole).toString().isEmpty());
    EXPECT_EQ(cell(1, TLoanListModel::Loaner, Qt::DisplayRole).toString(), QStringLiteral("Bob"));
    EXPECT_EQ(cell(1, TLoanListModel::Due, Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(cell(1, TLoanListModel::Due, Qt::AccessibleTextRole).toString(), QStringLiteral("No due date"));
}

TEST_F(LoanRowsTest, OverdueLoansComeFirstMostOverdueOnTopAndReadInWords)
{
    TLoanRows rows(Today);
    rows.Add(Loaned(1, "Long out", "Ann", "1.1.2004"), QDate(2004, 3, 8)); // due in 3 days
    rows.Add(Loaned(2, "Late", "Bob", "1.3.2004"), QDate(2004, 2, 29));    // across the leap day
    rows.Add(Loaned(3, "Later", "Carl", "1.3.2004"), QDate(2004, 3, 4));   // yesterday
    rows.Add(Loaned(4, "Undated", "Dora", "soon"), QDate(2004, 3, 1));     // overdue although its date does not read
    rows.Add(Loaned(5, "No due", "Eve", "2.3.2004"));                      // no due date
    rows.Add(Loaned(6, "Today", "Fay", "4.3.2004"), QDate(2004, 3, 5));
    rows.Sort(TLoanRows::TOrder::LongestOut);
    EXPECT_EQ(Titles(rows), (QStringList{"Late", "Undated", "Later", "Long out", "No due", "Today"}));
    QStringList words;
    for (int r = 0; r < rows.Count(); ++r)
        words << rows.DueText(r);
    EXPECT_EQ(words,
              (QStringList{"5 days overdue", "4 days overdue", "1 day overdue", "due in 3 days", "", "due today"}));
    EXPECT_EQ(TLoanRows::DueWords(1), QStringLiteral("due in 1 day"));
    EXPECT_EQ(rows.OverdueCount(), 3);
    EXPECT_TRUE(rows.AnyDue());
}

} // namespace
