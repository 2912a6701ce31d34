#include "platform/LocaleTexts.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace LocaleTexts {

QString ShortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

// The zone field goes (never a quoted literal's letter t), and so do the
// brackets and blanks that stood around it ("H:mm:ss (t)" in Catalan).
QString LongTime(const QTime& time)
{
    const QLocale locale;
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept += c;
    }
    // An opening bracket, blanks, a closing one: gone. Runs of spaces: one.
    // (By hand: a regular expression's compilation cost the first tick a
    // quarter of a millisecond.)
    const auto blank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
    };
    QString cleaned;
    cleaned.reserve(kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QChar c = kept[i];
        if (c == u'(' || c == u'[') {
            qsizetype close = i + 1;
            while (close < kept.size() && blank(kept[close]))
                ++close;
            if (close < kept.size() && (kept[close] == u')' || kept[close] == u']')) {
                i = close;
                continue;
            }
        }
        if (c == u' ' && cleaned.endsWith(u' '))
            continue;
        cleaned += c;
    }
    return locale.toString(time, cleaned.trimmed());
}

} // namespace LocaleTexts
