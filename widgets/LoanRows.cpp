#include "widgets/LoanRows.h"

#include "platform/Cp1252.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

TLoanRows::TLoanRows(const QDate& today) : Today(today), Format(QLocale().dateFormat(QLocale::ShortFormat)) {}

bool TLoanRows::ReadDate(const QString& text, const QString& format, const QDate& today, QDate& date)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const bool shortYear = format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
    QDate read = QLocale().toDate(trimmed, format);
    if (read.isValid() && shortYear) {
        // Qt reads "yy" as 19yy; a loan date is not in the future, so the
        // year moves on by centuries while it stays at or before today.
        while (read.addYears(100).isValid() && read.addYears(100) <= today)
            read = read.addYears(100);
    } else if (!read.isValid() && shortYear) {
        // The same format with the year written in full ("02.11.2026" where
        // the format is dd.MM.yy), as people and other programs write it.
        read = QLocale().toDate(trimmed, QString(format).replace(QLatin1String("yy"), QLatin1String("yyyy")));
    }
    if (!read.isValid())
        return false;
    date = read;
    return true;
}

bool TLoanRows::ReadOtherDate(const QString& text, QDate& date)
{
    // A catalogue kept under another locale, or filled by another program,
    // holds dates the locale's format does not read. Of those, ISO 8601 and
    // day.month.year with dots cannot be taken for any other date, so they
    // are read too; slashed dates are not, as 02/03 is March in one country
    // and February in the next.
    static const QString formats[] = {QStringLiteral("yyyy-MM-dd"), QStringLiteral("d.M.yyyy")};
    const QString trimmed = text.trimmed();
    for (const QString& format : formats) {
        const QDate read = QDate::fromString(trimmed, format);
        if (read.isValid()) {
            date = read;
            return true;
        }
    }
    return false;
}

void TLoanRows::Add(const TItem& item)
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
    if (ReadDate(row.Date, Format, Today, date) || ReadOtherDate(row.Date, date)) {
        row.Dated = true;
        row.Days = date.daysTo(Today);
    }
    Rows.push_back(std::move(row));
}

void TLoanRows::Sort(TOrder order)
{
    const auto longestOut = [](const TRow& a, const TRow& b) {
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
