#include "platform/LoanDate.h"

#include <QLocale>

namespace LoanDate {

bool Read(const QString& text, const QString& format, const QDate& today, QDate& date, TCentury century)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const bool shortYear = format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
    QDate read = QLocale().toDate(trimmed, format);
    if (read.isValid() && shortYear) {
        // Qt reads "yy" as 19yy; the year moves on by centuries while it
        // stays at or before today (a loan date), or within fifty years
        // after it (a due date).
        const QDate limit = century == TCentury::UpToToday ? today : today.addYears(50);
        while (read.addYears(100).isValid() && read.addYears(100) <= limit)
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

bool ReadOther(const QString& text, QDate& date)
{
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

bool ReadShort(const QString& text, const QDate& today, QDate& date, TCentury century)
{
    return Read(text, QLocale().dateFormat(QLocale::ShortFormat), today, date, century) || ReadOther(text, date);
}

} // namespace LoanDate
