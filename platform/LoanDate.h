// Reading the dates people type for loans: the loan date as the loan dialog's
// "Today" writes it (the locale's short date format), and a due date. Shared
// by the Loans window's rows and the due dates kept beside the database, so
// both read a date alike.
#pragma once

#include <QDate>
#include <QString>

namespace LoanDate {

// Where a two-digit year goes: into the last hundred years up to today (a
// loan date is not in the future), or into the hundred years around today (a
// due date may lie ahead).
enum class TCentury { UpToToday, AroundToday };

// Reads text in a date format. A format with a two-digit year also reads the
// year written in full.
bool Read(const QString& text, const QString& format, const QDate& today, QDate& date,
          TCentury century = TCentury::UpToToday);
// Reads a date the locale's format did not: ISO 8601 (2004-03-01) or
// day.month.year with dots (1.3.2004), which cannot be taken for another date;
// slashed dates are not, as 02/03 is March in one country and February in the next.
bool ReadOther(const QString& text, QDate& date);
// The locale's short date format first, then ReadOther.
bool ReadShort(const QString& text, const QDate& today, QDate& date, TCentury century = TCentury::UpToToday);

} // namespace LoanDate
