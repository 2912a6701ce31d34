// Loan dates and due dates as text: the one writer and the one reader every
// window and file format uses. A loan date is written in the locale's short
// date format made fit for the database: ASCII digits, no direction marks,
// only separators Windows-1252 holds (the locale's order of day, month and
// year is kept), so an Arabic or Persian user's "Today" is stored whole and
// reads back as the same day in every locale.
#pragma once

#include <QDate>
#include <QString>

namespace LoanDate {

// Where a two-digit year goes: into the last hundred years up to today (a
// loan date is not in the future), or into the hundred years around today (a
// due date may lie ahead).
enum class TCentury { UpToToday, AroundToday };
// The year as the locale's short format writes it, or always in four digits
// (a due date shown for editing keeps its century).
enum class TYears { AsLocale, Four };

// The first and last year a date may have: the due dates file and the
// exports write four-digit years.
constexpr int FirstYear = 1;
constexpr int LastYear = 9999;

// The default locale's short date format without the marks and letters the
// database cannot hold.
QString Format(TYears years = TYears::AsLocale);
// The date in Format(years), in ASCII digits and Windows-1252 letters.
QString Write(const QDate& date, TYears years = TYears::AsLocale);
// Typed text with every decimal digit as its ASCII digit and without
// direction marks: what is stored of a date typed in the locale's digits.
QString Plain(const QString& text);
// Reads a loan or due date: the locale's short format (as Write writes it, as
// the locale itself writes it, or with a two-digit year written in full),
// then ISO 8601 (2004-03-01) or day.month.year with dots (1.3.2004), which
// cannot be taken for another date; other slashed dates are not read, as
// 02/03 is March in one country and February in the next. Years outside
// FirstYear..LastYear do not read.
bool Read(const QString& text, const QDate& today, QDate& date, TCentury century = TCentury::UpToToday);

} // namespace LoanDate
