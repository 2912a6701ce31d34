#include "widgets/LoanRows.h"

#include "platform/Cp1252.h"
#include "platform/LoanDate.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

TLoanRows::TLoanRows(const QDate& today) : Today(today) {}

void TLoanRows::Add(const TItem& item, std::optional<QDate> due)
{
    if (item.Fields[7].empty())
        return;
    TRow row;
    row.ID = item.ID;
    row.Title = Cp1252::ToQString(item.Fields[0]);
    row.Author = Cp1252::ToQString(item.Fields[1]);
    row.Loaner = Cp1252::ToQString(item.Fields[6]);
    row.Date = Cp1252::ToQString(item.Fields[7]);
    QDate date;
    if (LoanDate::Read(row.Date, Today, date)) {
        row.Dated = true;
        row.Lent = date;
        row.Days = date.daysTo(Today);
    }
    if (due && due->isValid()) {
        row.Due = due;
        row.DueIn = Today.daysTo(*due);
    }
    Rows.push_back(std::move(row));
}

void TLoanRows::Sort(TOrder order)
{
    const auto longestOut = [](const TRow& a, const TRow& b) {
        if (a.Overdue() != b.Overdue())
            return a.Overdue();
        if (a.Overdue() && a.DueIn != b.DueIn)
            return a.DueIn < b.DueIn;
        if (a.Dated != b.Dated)
            return a.Dated;
        return a.Dated && a.Days > b.Days;
    };
    if (order == TOrder::LongestOut) {
        std::stable_sort(Rows.begin(), Rows.end(), longestOut);
        return;
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto text = [order](const TRow& row) -> const QString& {
        return order == TOrder::Title ? row.Title : order == TOrder::Author ? row.Author : row.Loaner;
    };
    std::stable_sort(Rows.begin(), Rows.end(), [&](const TRow& a, const TRow& b) {
        const int c = collator.compare(text(a), text(b));
        return c != 0 ? c < 0 : longestOut(a, b);
    });
}

int TLoanRows::RowOf(int32_t id) const
{
    const auto found = std::find_if(Rows.begin(), Rows.end(), [id](const TRow& row) { return row.ID == id; });
    return found == Rows.end() ? -1 : static_cast<int>(found - Rows.begin());
}

int TLoanRows::OutLongerThan(int64_t days) const
{
    return static_cast<int>(
        std::count_if(Rows.begin(), Rows.end(), [days](const TRow& row) { return row.Dated && row.Days > days; }));
}

QString TLoanRows::DaysText(int row) const
{
    const TRow& r = Row(row);
    return r.Dated ? QString::number(r.Days) : QString();
}

int TLoanRows::OverdueCount() const
{
    return static_cast<int>(std::count_if(Rows.begin(), Rows.end(), [](const TRow& row) { return row.Overdue(); }));
}

bool TLoanRows::AnyDue() const
{
    return std::any_of(Rows.begin(), Rows.end(), [](const TRow& row) { return row.Due.has_value(); });
}

QString TLoanRows::DueWords(int64_t dueIn)
{
    if (dueIn == 0)
        return QStringLiteral("due today");
    if (dueIn == -1)
        return QStringLiteral("1 day overdue");
    if (dueIn < 0)
        return QStringLiteral("%1 days overdue").arg(-dueIn);
    if (dueIn == 1)
        return QStringLiteral("due in 1 day");
    return QStringLiteral("due in %1 days").arg(dueIn);
}

QString TLoanRows::DueText(int row) const
{
    const TRow& r = Row(row);
    return r.Due ? DueWords(r.DueIn) : QString();
}
