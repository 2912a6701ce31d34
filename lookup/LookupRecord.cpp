#include "lookup/LookupRecord.h"

#include "csv/CsvSubstitution.h"
#include "engine/FieldTable.h"
#include "platform/Cp1252.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The text for the database file; one it cannot hold keeps its own letters
// under ownKey, as the main window does with typed text.
std::string FileText(const QString& text, TDetails& details, const char* ownKey)
{
    if (Cp1252::CanHold(text))
        return Cp1252::FromQString(text);
    if (ownKey)
        details.Set(ownKey, text.toStdString());
    return Cp1252::FromQString(TCsvSubstitution::Text(text));
}

int Weight(const TLookupRecord& record, const QString& isbn)
{
    int weight = record.Isbns.contains(isbn) ? 16 : 0;
    weight += record.Title.isEmpty() ? 0 : 8;
    weight += record.Authors.isEmpty() ? 0 : 4;
    weight += record.Publishers.isEmpty() ? 0 : 2;
    weight += record.Year.isEmpty() ? 0 : 1;
    return weight;
}

} // namespace

QString TLookupRecord::FullTitle() const
{
    if (Subtitle.isEmpty() || Title.isEmpty())
        return Title.isEmpty() ? Subtitle : Title;
    return Title + QStringLiteral(": ") + Subtitle;
}

QString TLookupRecord::AuthorText() const
{
    return Authors.join(QStringLiteral("; "));
}

QString TLookupRecord::PublisherText() const
{
    return Publishers.join(QStringLiteral("; "));
}

namespace LookupRecord {

TItem BookOf(const TLookupRecord& record, const std::string& isbn13)
{
    TItem item;
    item.Fields[0] = FileText(record.FullTitle(), item.Details, FieldTable::TitleOwnKey);
    item.Fields[1] = FileText(record.AuthorText(), item.Details, FieldTable::AuthorOwnKey);
    item.Fields[2] = FileText(record.PublisherText(), item.Details, nullptr);
    item.Fields[3] = Cp1252::FromQString(record.Year);
    const std::string isbn = FieldTable::Isbn13(isbn13);
    if (!isbn.empty())
        item.Details.Set("isbn", isbn);
    return item;
}

std::vector<TLookupRecord> Ranked(std::vector<TLookupRecord> records, const std::string& isbn13)
{
    records.erase(std::remove_if(records.begin(), records.end(), [](const TLookupRecord& r) { return r.IsEmpty(); }),
                  records.end());
    const QString isbn = QString::fromStdString(isbn13);
    std::stable_sort(records.begin(), records.end(), [&isbn](const TLookupRecord& a, const TLookupRecord& b) {
        return Weight(a, isbn) > Weight(b, isbn);
    });
    return records;
}

QString YearIn(const QString& date)
{
    static const QRegularExpression year(QStringLiteral("(?<![0-9])([12][0-9]{3})(?![0-9])"));
    const QRegularExpressionMatch match = year.match(date);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString PagesIn(const QString& extent)
{
    static const QRegularExpression number(QStringLiteral("(?<![0-9])[0-9]{1,6}(?![0-9])"));
    const QRegularExpressionMatch match = number.match(extent);
    return match.hasMatch() ? match.captured(0) : QString();
}

QString Trimmed(const QString& text)
{
    QString value = text.simplified();
    for (;;) {
        if (value.isEmpty())
            return value;
        const QChar last = value.back();
        if (last == QLatin1Char('/') || last == QLatin1Char(':') || last == QLatin1Char(';') ||
            last == QLatin1Char(',') || last == QLatin1Char('=')) {
            value.chop(1);
            value = value.trimmed();
            continue;
        }
        // A full stop ends a sentence, not an initial: "R." and "Jr." keep it.
        if (last == QLatin1Char('.')) {
            const qsizetype space = value.lastIndexOf(QLatin1Char(' '));
            const QString word = value.mid(space + 1);
            if (word.size() > 2 && !word.startsWith(QLatin1Char('(')) && word != QStringLiteral("Jr.") &&
                word != QStringLiteral("Sr.")) {
                value.chop(1);
                value = value.trimmed();
                continue;
            }
        }
        return value;
    }
}

} // namespace LookupRecord
