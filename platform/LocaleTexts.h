// Dates and times as the user's locale writes them, for the status bar and
// the loan date: the short date, and the long time with its seconds but
// without the time zone Qt's long format adds.
#pragma once

#include <QString>

class QDate;
class QTime;

namespace LocaleTexts {

// The default locale's short date format.
QString ShortDate(const QDate& date);

// The default locale's long time format without its time zone field and the
// brackets and blanks that stood around it.
QString LongTime(const QTime& time);

} // namespace LocaleTexts
