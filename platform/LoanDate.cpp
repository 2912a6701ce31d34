#include "platform/LoanDate.h"

#include "platform/Cp1252.h"

#include <QLocale>

#include <vector>

namespace LoanDate {

namespace {

bool IsField(QChar c)
{
    return c == u'd' || c == u'M' || c == u'y';
}

// Direction marks and other invisible format characters (U+200F in Arabic
// dates) say nothing about the date.
bool IsMark(QChar c)
{
    return c.category() == QChar::Other_Format;
}

// A literal run of the format with what the database cannot hold taken out;
// a run that stood between two fields and loses all it had becomes a slash,
// so the fields stay apart.
QString KeptLiteral(const QString& literal, bool betweenFields)
{
    QString kept;
    bool dropped = false;
    for (const QChar c : literal) {
        if (IsMark(c))
            continue;
        if (!Cp1252::CanHold(QString(c))) {
            dropped = true;
            continue;
        }
        kept += c;
    }
    if (dropped)
        kept = kept.simplified();
    if (kept.isEmpty() && !literal.isEmpty() && betweenFields)
        kept = QStringLiteral("/");
    return kept;
}

QString Quoted(const QString& literal)
{
    bool plain = true;
    for (const QChar c : literal)
        plain = plain && !c.isLetter() && c != u'\'';
    if (plain)
        return literal;
    return u'\'' + QString(literal).replace(QLatin1String("'"), QLatin1String("''")) + u'\'';
}

QString Cleaned(const QString& format)
{
    // The format as fields and the literal runs between them.
    struct TPart {
        QString Text;
        bool Field;
    };
    std::vector<TPart> parts;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (IsField(c)) {
            qsizetype end = i;
            while (end < format.size() && format[end] == c)
                ++end;
            parts.push_back({format.mid(i, end - i), true});
            i = end;
            continue;
        }
        QString literal;
        if (c == u'\'') {
            qsizetype end = i + 1;
            for (; end < format.size(); ++end) {
                if (format[end] == u'\'') {
                    if (end + 1 < format.size() && format[end + 1] == u'\'') {
                        literal += u'\'';
                        ++end;
                        continue;
                    }
                    break;
                }
                literal += format[end];
            }
            i = end + 1;
        } else {
            literal = c;
            ++i;
        }
        if (!parts.empty() && !parts.back().Field)
            parts.back().Text += literal;
        else
            parts.push_back({literal, false});
    }
    QString cleaned;
    for (size_t p = 0; p < parts.size(); ++p) {
        if (parts[p].Field) {
            cleaned += parts[p].Text;
            continue;
        }
        const bool between = p > 0 && p + 1 < parts.size();
        QString kept = KeptLiteral(parts[p].Text, between);
        if (!between)
            kept = kept.trimmed();
        cleaned += Quoted(kept);
    }
    return cleaned;
}

bool InRange(const QDate& date)
{
    return date.isValid() && date.year() >= FirstYear && date.year() <= LastYear;
}

bool ReadIn(const QLocale& locale, const QString& text, const QString& format, const QDate& today, QDate& date,
            TCentury century)
{
    const bool shortYear = format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
    QDate read = locale.toDate(text, format);
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
        read = locale.toDate(text, QString(format).replace(QLatin1String("yy"), QLatin1String("yyyy")));
    }
    if (!InRange(read))
        return false;
    date = read;
    return true;
}

} // namespace

QString Format(TYears years)
{
    QString format = Cleaned(QLocale().dateFormat(QLocale::ShortFormat));
    if (years == TYears::Four && !format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString Write(const QDate& date, TYears years)
{
    const QString format = Format(years);
    // The locale's month names where the format has them and the database
    // holds them; the C locale's otherwise.
    const QString text = Plain(QLocale().toString(date, format));
    return Cp1252::CanHold(text) ? text : QLocale::c().toString(date, format);
}

QString Plain(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        if (IsMark(c))
            continue;
        const int digit = c.digitValue();
        plain += c.isDigit() && digit >= 0 ? QChar(static_cast<char16_t>(u'0' + digit)) : c;
    }
    return plain;
}

bool Read(const QString& text, const QDate& today, QDate& date, TCentury century)
{
    const QString plain = Plain(text).trimmed();
    if (plain.isEmpty())
        return false;
    const QLocale locale;
    const QString format = Format();
    const QString own = locale.dateFormat(QLocale::ShortFormat);
    if (ReadIn(locale, plain, format, today, date, century) ||
        ReadIn(QLocale::c(), plain, format, today, date, century) ||
        (own != format && ReadIn(locale, text.trimmed(), own, today, date, century)))
        return true;
    for (const char* other : {"yyyy-MM-dd", "d.M.yyyy"}) {
        const QDate read = QDate::fromString(plain, QLatin1String(other));
        if (InRange(read)) {
            date = read;
            return true;
        }
    }
    return false;
}

} // namespace LoanDate
